#include "helpers.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

static std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

#if BOX_SIDE == 3
TEST(Frame, FirstBandOfA9By9GridMatchesTheDrawing)
{
    grid_ptr g = read_text("246813579"
                           "813579246"
                           "579206813");
    std::string out = capture_stdout([&] { show_nice_grid(g.get()); });
    EXPECT_EQ(out.substr(0, 4 * 29), "+--+--+--+--+--+--+--+--+--+\n"
                                     "| 2  4  6| 8  1  3| 5  7  9|\n"
                                     "| 8  1  3| 5  7  9| 2  4  6|\n"
                                     "| 5  7  9| 2     6| 8  1  3|\n");
}
#endif

TEST(Frame, LayoutHasBordersOnlyBelowEveryBandAndBarsOnlyBetweenBoxes)
{
    grid_ptr g = read_text(with_cell(solved_text(), 1, 0, 0));
    std::vector<std::string> lines = lines_of(capture_stdout([&] { show_nice_grid(g.get()); }));
    std::string border;
    for (int x = 0; x < SIZE; x++)
        border += "+--";
    border += "+";
    ASSERT_EQ(lines.size(), static_cast<size_t>(1 + SIZE + SQ + 3));
    size_t at = 0;
    EXPECT_EQ(lines[at++], border);
    for (int y = 0; y < SIZE; y++) {
        std::string row = "|";
        for (int x = 0; x < SIZE; x++) {
            int v = x == 1 && y == 0 ? 0 : solved_value(x, y);
            row += std::string(" ") + (v == 0 ? ' ' : value_char(v));
            row += x % SQ == SQ - 1 ? '|' : ' ';
        }
        EXPECT_EQ(lines[at++], row);
        ASSERT_EQ(row.size(), static_cast<size_t>(3 * SIZE + 1)); /* 28, 49 or 76 */
        if (y % SQ == SQ - 1) {
            EXPECT_EQ(lines[at++], border);
        }
    }
    EXPECT_EQ(lines[at++], "Inconnues = 1");
    EXPECT_EQ(lines[at++], "Tests 0");
    EXPECT_EQ(lines[at++], "Forks 0");
}

TEST(Frame, SolvedStateHasNoUnknownsLineAndWholeCounters)
{
    grid_ptr g = read_text(solved_text());
    g->tests = 12345678901234567.0;
    g->forks = 2.5;
    std::string out = capture_stdout([&] { show_nice_grid(g.get()); });
    std::string tail = "Tests 12345678901234568\nForks 2\n";
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(out.find("Inconnues"), std::string::npos);
    g->tests = INFINITY;
    out = capture_stdout([&] { show_nice_grid(g.get()); });
    EXPECT_NE(out.find("\nTests inf\n"), std::string::npos);
}

TEST(Progress, LineShowsEmptyCellsOutOfAllWithSingularFork)
{
    grid_ptr g = read_text(with_cell(solved_text(), 0, 0, 0));
    g->tests = 17;
    g->forks = 3;
    EXPECT_EQ(capture_stdout([&] { show_infos(g.get()); }),
              "Etat: 1/" + std::to_string(NB_CELLS) + ", Tests: 17, Fork 3\n");
}

TEST(Progress, MaskDumpWritesBitsZeroToSizeLowestFirst)
{
    std::string expected = "1" + std::string(SIZE - 1, '0') + "1\n";
    expected[2] = '1';
    EXPECT_EQ(capture_stdout([] { show_mask(1 | (1 << 2) | (1 << SIZE) | (1 << (SIZE + 1))); }),
              expected);
}
