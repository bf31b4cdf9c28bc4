#include "run_program.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

static const std::string SOLVED9 = "123456789456789123789123456234567891567891234"
                                   "891234567345678912678912345912345678";

static std::string lines9(const std::string &grid)
{
    std::string text;
    for (int y = 0; y < 9; y++)
        text += grid.substr(y * 9, 9) + "\n";
    return text;
}

TEST(Input, InvalidByteIsNamedOnStandardErrorAndNothingElse)
{
    const std::vector<std::pair<int, std::string>> cases = {
        {3, "12a"}, {3, "\303\251"}, {4, "ab1"}, {4, "abQ"}, {5, "y z"}, {5, "\377"},
    };
    for (const auto &[sq, text] : cases) {
        for (const char *level : {"1", "2"}) {
            run_result r = run_program(program(sq), {"-v", level}, text);
            char bad = text[text.find_first_not_of(sq == 3 ? "12 " : sq == 4 ? "ab" : "y ")];
            EXPECT_EQ(r.err, std::string(1, bad) + " n'a strictement rien a faire la ...\n");
            EXPECT_EQ(r.status, 1);
            if (level[0] == '1') {
                EXPECT_EQ(r.out, "");
            }
        }
    }
}

TEST(Input, InvalidByteRightAfterACompleteGridIsNeverLookedAt)
{
    run_result r = run_program(program(3), {}, SOLVED9 + "x!\377");
    EXPECT_EQ(r.out, lines9(SOLVED9));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

TEST(Input, EachRunReadsOneGridAndLeavesTheRestForTheNext)
{
    std::string second = SOLVED9; /* the same grid with its values relabelled */
    for (char &c : second)
        c = static_cast<char>('1' + (c - '0') % 9);
    int fd = open(".", O_TMPFILE | O_RDWR, 0600);
    ASSERT_GE(fd, 0);
    std::string text = SOLVED9 + "\n" + second + "\n";
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    lseek(fd, 0, SEEK_SET);
    run_streams streams;
    streams.stdin_fd = fd;
    EXPECT_EQ(run_program(program(3), {}, "", streams).out, lines9(SOLVED9));
    EXPECT_EQ(run_program(program(3), {}, "", streams).out, lines9(second));
    close(fd);
}

TEST(Input, CarriageReturnsTabsAndEmptyLinesAreSkipped)
{
    std::string text = "\n\t";
    for (int y = 0; y < 9; y++)
        text += SOLVED9.substr(y * 9, 9) + "\r\n\n";
    run_result r = run_program(program(3), {}, text);
    EXPECT_EQ(r.out, lines9(SOLVED9));
    EXPECT_EQ(r.status, 0);
}

TEST(Input, RepeatedValueIsRefusedAsImpossible)
{
    std::string grid = SOLVED9;
    grid[1] = '1'; /* row 0 and box 0 hold 1 twice; column 1 lacks 2 */
    for (const char *level : {"0", "1"}) {
        std::vector<std::string> args;
        if (level[0] != '0')
            args = {"-v", level};
        run_result r = run_program(program(3), args, grid);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "Grille Impossible\n");
        EXPECT_EQ(r.status, 1);
    }
}

TEST(Input, ReadErrorIsReportedNotTakenForAnEmptyGrid)
{
    run_streams streams;
    streams.stdin_path = "/";
    run_result r = run_program(program(3), {}, "", streams);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Erreur de lecture sur l'entr\351e standard\n");
    EXPECT_EQ(r.status, 1);
}

TEST(Input, OutputThatCannotBeWrittenIsReported)
{
    run_streams streams;
    streams.stdout_path = "/dev/full";
    for (const char *level : {"1", "2"}) {
        run_result r = run_program(program(3), {"-v", level}, SOLVED9, streams);
        EXPECT_EQ(r.err, "Erreur d'\351criture sur la sortie standard\n");
        EXPECT_EQ(r.status, 1);
    }
}

TEST(Input, LongInputIsReadOnlyAsFarAsTheGrid)
{
    std::string text = SOLVED9 + std::string(4 << 20, 'x');
    run_result r = run_program(program(3), {}, text);
    EXPECT_EQ(r.out, lines9(SOLVED9));
    EXPECT_EQ(r.status, 0);
}

TEST(Input, GridCutShortOrOnlyBlanksLeavesTheRestEmptyAndIsSolved)
{
    const std::vector<std::string> inputs = {"1234", std::string(81, ' '), "123456789\n45678"};
    for (const std::string &text : inputs) {
        run_result r = run_program(program(3), {}, text);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        std::string grid;
        for (char c : r.out)
            if (c != '\n')
                grid += c;
        ASSERT_EQ(grid.size(), 81u);
        EXPECT_EQ(grid.substr(0, 4), "1234");
        EXPECT_EQ(grid.find(' '), std::string::npos);
    }
}
