#include "helpers.h"

#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(Reader, EmptyInputGivesAnEmptyGrid)
{
    grid_ptr g = read_text("");
    EXPECT_EQ(g->unknowns, NB_CELLS);
    for (int i = 0; i < NB_CELLS; i++) {
        EXPECT_EQ(g->cell[i], 0);
        EXPECT_EQ(g->mask[i], ALL_VALUES);
    }
}

TEST(Reader, GivenValuesAreStoredWithoutPropagation)
{
    std::string text = with_cell(std::string(NB_CELLS, ZERO_CHAR), 2, 1, SIZE);
    grid_ptr g = read_text(with_cell(text, 0, SIZE - 1, 1));
    EXPECT_EQ(cell_at(g.get(), 2, 1), SIZE);
    EXPECT_EQ(mask_at(g.get(), 2, 1), 1 << SIZE);
    EXPECT_EQ(cell_at(g.get(), 0, SIZE - 1), 1);
    EXPECT_EQ(mask_at(g.get(), 0, SIZE - 1), 1 << 1);
    EXPECT_EQ(mask_at(g.get(), 3, 1), ALL_VALUES); /* a peer keeps every candidate */
    EXPECT_EQ(g->row_missing[1], ALL_VALUES & ~(1 << SIZE));
    EXPECT_EQ(g->col_missing[2], ALL_VALUES & ~(1 << SIZE));
    EXPECT_EQ(g->box_missing[getsqr(0, SIZE - 1)], ALL_VALUES & ~(1 << 1));
    EXPECT_EQ(g->unknowns, NB_CELLS - 2);
}

TEST(Reader, LineBreaksAndOtherControlBytesTakeNoPosition)
{
    std::string solved = solved_text();
    std::string lines, crlf, tabs;
    for (int y = 0; y < SIZE; y++) {
        lines += solved.substr(y * SIZE, SIZE) + "\n";
        crlf += solved.substr(y * SIZE, SIZE) + "\r\n";
        tabs += std::string(1, '\0') + "\t" + solved.substr(y * SIZE, SIZE) + "\x1f";
    }
    for (const std::string &text : {solved, lines, crlf, tabs}) {
        grid_ptr g = read_text(text);
        EXPECT_EQ(g->unknowns, 0);
        for (int y = 0; y < SIZE; y++)
            for (int x = 0; x < SIZE; x++)
                ASSERT_EQ(cell_at(g.get(), x, y), solved_value(x, y)) << x << "x" << y;
    }
}

TEST(Reader, BlanksAreCellsSoATrailingBlankShiftsTheNextRow)
{
    std::string first_row;
    for (int x = 0; x < SIZE; x++)
        first_row += value_char(solved_value(x, 0));
    grid_ptr g = read_text(first_row + " \n" + value_char(1));
    EXPECT_EQ(cell_at(g.get(), 0, 1), 0);
    EXPECT_EQ(cell_at(g.get(), 1, 1), 1);
    EXPECT_EQ(g->unknowns, NB_CELLS - SIZE - 1);
}

TEST(Reader, EveryByteFallsIntoItsClass)
{
    for (int c = 0; c < 256; c++) {
        int result = -1;
        std::string err;
        grid_ptr g;
        err = capture_stderr([&] { g = read_text(std::string(1, static_cast<char>(c)), &result); });
        bool value = c > ZERO_CHAR && c <= ZERO_CHAR + SIZE;
        if (c < 32) {
            EXPECT_EQ(result, 0) << c;
            EXPECT_EQ(g->unknowns, NB_CELLS) << c;
            EXPECT_EQ(cell_at(g.get(), 1, 0), 0) << c;
        } else if (c == ' ' || c == ZERO_CHAR || value) {
            EXPECT_EQ(result, 0) << c;
            EXPECT_EQ(cell_at(g.get(), 0, 0), value ? c - ZERO_CHAR : 0) << c;
            EXPECT_EQ(g->unknowns, value ? NB_CELLS - 1 : NB_CELLS) << c;
        } else {
            EXPECT_EQ(result, 1) << c;
            EXPECT_EQ(err, std::string(1, static_cast<char>(c)) +
                               " n'a strictement rien a faire la ...\n")
                << c;
            continue;
        }
        EXPECT_EQ(err, "") << c;
    }
}

TEST(Reader, ValueCharactersDependOnTheBoxSide)
{
    int result;
    capture_stderr([&] { read_text(SQ == 3 ? "a" : "1", &result); });
    EXPECT_EQ(result, 1);
    capture_stderr([&] { read_text(SQ == 3 ? "5" : "A", &result); });
    EXPECT_EQ(result, SQ == 3 ? 0 : 1);
    capture_stderr([&] { read_text(std::string(1, static_cast<char>('a' + SIZE)), &result); });
    EXPECT_EQ(result, 1);
}

TEST(Reader, InvalidByteStopsTheReadAndKeepsWhatWasRead)
{
    int result;
    grid_ptr g;
    std::string text = std::string(1, value_char(2)) + "\303\251" + value_char(3);
    std::string err = capture_stderr([&] { g = read_text(text, &result); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(err, "\303 n'a strictement rien a faire la ...\n");
    EXPECT_EQ(cell_at(g.get(), 0, 0), 2);
    EXPECT_EQ(cell_at(g.get(), 1, 0), 0);
}

/* Runs parse_in on a file as standard input; returns where the file offset was left. */
static off_t offset_after_reading(const std::string &text, int *result)
{
    FILE *tmp = tmpfile();
    fwrite(text.data(), 1, text.size(), tmp);
    fflush(tmp);
    lseek(fileno(tmp), 0, SEEK_SET);
    int saved = dup(STDIN_FILENO);
    dup2(fileno(tmp), STDIN_FILENO);
    grid_ptr g(init_grid());
    *result = parse_in(g.get());
    off_t offset = lseek(STDIN_FILENO, 0, SEEK_CUR);
    dup2(saved, STDIN_FILENO);
    close(saved);
    fclose(tmp);
    return offset;
}

TEST(Reader, ExactlyOneByteAfterTheLastCellIsConsumed)
{
    int result = -1;
    std::string err = capture_stderr(
        [&] { EXPECT_EQ(offset_after_reading(solved_text() + "!rest", &result), NB_CELLS + 1); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(err, ""); /* the byte after the grid is not looked at */
    EXPECT_EQ(offset_after_reading(solved_text() + "\n" + solved_text(), &result), NB_CELLS + 1);
}

TEST(Reader, ReadErrorIsNotTakenForTheEndOfInput)
{
    int dir = open("/", O_RDONLY);
    ASSERT_GE(dir, 0);
    int saved = dup(STDIN_FILENO);
    dup2(dir, STDIN_FILENO);
    grid_ptr g(init_grid());
    int result = -1;
    std::string err = capture_stderr([&] { result = parse_in(g.get()); });
    dup2(saved, STDIN_FILENO);
    close(saved);
    close(dir);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(err, "Erreur de lecture sur l'entr\351e standard\n");
}

TEST(Reader, EachGivenValuePrintsItsPlacementInReadingOrder)
{
    verbose_level level(2);
    std::string text = with_cell(std::string(SIZE + 2, ' '), SIZE - 1, 0, 4);
    text = with_cell(text, 1, 1, 9);
    std::string out = capture_stdout([&] { read_text(text); });
    EXPECT_EQ(out, "Passage de la case " + std::to_string(SIZE - 1) +
                       "x0 \340 4\nPassage de la case 1x1 \340 9\n");
}

TEST(Writer, WritesOneLinePerRowWithBlanksForEmptyCells)
{
    std::string text = with_cell(with_cell(solved_text(), 0, 0, 0), SIZE - 1, SIZE - 1, 0);
    grid_ptr g = read_text(text);
    std::string out = capture_stdout([&] { show_grid(g.get()); });
    std::string expected;
    for (int y = 0; y < SIZE; y++) {
        for (int x = 0; x < SIZE; x++) {
            int v = (x == y && (x == 0 || x == SIZE - 1)) ? 0 : solved_value(x, y);
            expected += v == 0 ? ' ' : value_char(v);
        }
        expected += '\n';
    }
    EXPECT_EQ(out, expected);
    grid_ptr again = read_text(out);
    for (int i = 0; i < NB_CELLS; i++)
        EXPECT_EQ(again->cell[i], g->cell[i]);
}
