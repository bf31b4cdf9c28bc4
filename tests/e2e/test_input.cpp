#include "run_program.h"

#include <cstdio>
#include <cstdlib>
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

TEST(Input, TheReadmesShellLoopSolvesAFileOfGridsInOrder)
{
    /* The loop the README gives for a file of grids, one per line, run by the shell on the
     * first puzzles of a file with one solution each, and a line that is refused. */
    std::vector<std::string> puzzles = read_lines(std::string(PUZZLES_DIR) + "/9x9_top95.txt");
    std::vector<std::string> answers =
        read_lines(std::string(PUZZLES_DIR) + "/answers/9x9_top95.txt");
    ASSERT_FALSE(puzzles.empty()) << "a puzzle file is missing";
    char path[] = "/tmp/grids_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    std::string text, expected;
    for (size_t k = 0; k < 6; k++) {
        text += (k == 3 ? "12x" : puzzles[k]) + "\n";
        expected += k == 3 ? "" : lines9(answers[k].substr(2));
    }
    ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
    std::string command = "while IFS= read -r grid; do printf '%s\\n' \"$grid\" | " + program(3) +
                          "; done < " + path + " 2>/dev/null";
    FILE *loop = popen(command.c_str(), "r");
    ASSERT_NE(loop, nullptr);
    std::string out;
    for (int c; (c = fgetc(loop)) != EOF;)
        out += static_cast<char>(c);
    pclose(loop);
    unlink(path);
    EXPECT_EQ(out, expected);
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

/* A 16 by 16 grid without a solution, whose step-by-step search backs out of guesses for a
 * hundred thousand passes before it says so. */
static const std::string UNSOLVABLE16 =
    "j````c`b`on`d``pd`l`ho```f```i``h````````ld`o````pcb`n`j`a`````l``b`pi```k`````````pj``n`"
    "``b`g`f``````c`api````e`gk````d`j```coh`eajd`````kh``c```o`a`f``n`e`j``if``````````h`n`c`"
    "d````gf```b`m```n``kgf```m`````l````mc```f`ki`b``d````o`e`````g`e`````n````fdo";

TEST(Input, OutputThatCannotBeWrittenIsReported)
{
    run_streams streams;
    streams.stdout_path = "/dev/full";
    for (const char *level : {"1", "2"}) {
        run_result r = run_program(program(3), {"-v", level}, SOLVED9, streams);
        EXPECT_EQ(r.err, "Erreur d'\351criture sur la sortie standard\n");
        EXPECT_EQ(r.status, 1);
    }
    /* A walk that the output shows step by step stops at the first pass after a failed write:
     * here one of millions of passes (hours at -v 2), and one of a grid without a solution,
     * which a run that wrote every step would end as impossible. */
    std::vector<std::string> blanked = read_lines(std::string(PUZZLES_DIR) + "/25x25_blanked.txt");
    ASSERT_GE(blanked.size(), 22u) << "a puzzle file is missing";
    const std::vector<std::pair<int, std::string>> walks = {{5, blanked[21]}, {4, UNSOLVABLE16}};
    for (const auto &[sq, grid] : walks)
        for (std::vector<std::string> args :
             {std::vector<std::string>{"-v", "1"}, {"-v", "2"}, {"-n", "-v", "4"}}) {
            run_result r = run_program(program(sq), args, grid + "\n", streams);
            EXPECT_EQ(r.err, "Erreur d'\351criture sur la sortie standard\n") << sq << args[1];
            EXPECT_EQ(r.status, 1) << sq << args[1];
        }
}

TEST(Input, LearnersThreadNeedsNoRoomBeyondTheRunsOwn)
{
    /* Line 22 sends questions to the learner, on a thread beside the search. A thread that
     * reserved a default stack or an allocator arena of its own would not fit within this limit,
     * which leaves the run room enough; a thread that cannot start at all leaves the questions
     * to one thread. Either way the bytes are those of a run without a limit. */
    if (getenv("SUDOKU_TEST_WRAPPER") != nullptr)
        GTEST_SKIP() << "a wrapper needs room of its own";
    std::vector<std::string> blanked = read_lines(std::string(PUZZLES_DIR) + "/25x25_blanked.txt");
    ASSERT_GE(blanked.size(), 22u) << "a puzzle file is missing";
    run_streams limited;
    limited.address_space = 16000L * 1024;
    run_result solved = run_program(program(5), {}, blanked[0] + "\n", limited);
    if (solved.status != 0)
        GTEST_SKIP() << "this build (a sanitizer's) cannot start within the limit";
    run_result free_run = run_program(program(5), {}, blanked[21] + "\n");
    run_result r = run_program(program(5), {}, blanked[21] + "\n", limited);
    EXPECT_EQ(r.out, free_run.out);
    EXPECT_EQ(r.err, free_run.err);
    EXPECT_EQ(r.status, free_run.status);
    EXPECT_TRUE(solves(5, blanked[21], r.out));
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

/* What the next reader of standard input finds after a run of the program for box side sq
 * that read input followed by rest: from a file, and from a pipe. */
struct leftover {
    run_result run;
    std::string file, pipe;
};

static std::string rest_of(int fd)
{
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<size_t>(n));
    close(fd);
    return text;
}

static leftover left_after(int sq, const std::string &input, const std::string &rest)
{
    std::string text = input + rest;
    leftover left;
    run_streams streams;
    streams.stdin_fd = open(".", O_TMPFILE | O_RDWR, 0600);
    EXPECT_EQ(write(streams.stdin_fd, text.data(), text.size()), ssize_t(text.size()));
    lseek(streams.stdin_fd, 0, SEEK_SET);
    left.run = run_program(program(sq), {}, "", streams);
    left.file = rest_of(streams.stdin_fd);
    int ends[2];
    EXPECT_EQ(pipe(ends), 0);
    EXPECT_EQ(write(ends[1], text.data(), text.size()), ssize_t(text.size()));
    close(ends[1]);
    streams.stdin_fd = ends[0];
    run_result piped = run_program(program(sq), {}, "", streams);
    EXPECT_EQ(piped.out, left.run.out);
    EXPECT_EQ(piped.status, left.run.status);
    left.pipe = rest_of(ends[0]);
    return left;
}

TEST(Input, NextReaderFindsExactlyWhatFollowsTheByteAfterTheLastCell)
{
    const std::string rest = "NEXT GRID\n" + std::string(300, '7');
    std::string tabbed; /* a tab before every cell, and one after the last */
    for (char c : SOLVED9)
        tabbed += std::string("\t") + c;
    std::string crlf;
    for (int y = 0; y < 9; y++)
        crlf += SOLVED9.substr(y * 9, 9) + "\r\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {SOLVED9 + "\n", rest},                         /* one line */
        {lines9(SOLVED9), rest},                        /* one row per line */
        {crlf.substr(0, crlf.size() - 1), "\n" + rest}, /* the carriage return is the byte after */
        {tabbed + "\t", rest},                          /* control bytes between the cells */
        {SOLVED9 + "x", rest}, /* an invalid byte after the last cell is not looked at */
    };
    for (const auto &[input, after] : cases) {
        leftover left = left_after(3, input, after);
        EXPECT_EQ(left.run.out, lines9(SOLVED9)) << input;
        EXPECT_EQ(left.run.err, "");
        EXPECT_EQ(left.file, after) << input;
        EXPECT_EQ(left.pipe, after) << input;
    }
    std::string big(625, 'a'); /* not a grid: the reader does not check */
    leftover left = left_after(5, big + "\n", rest);
    EXPECT_EQ(left.file, rest);
    EXPECT_EQ(left.pipe, rest);
}

TEST(Input, ShortInputLeavesNothingAndInvalidByteLeavesWhatFollowsItInAFile)
{
    leftover short_input = left_after(3, "1234\n", "");
    EXPECT_EQ(short_input.run.status, 0);
    EXPECT_EQ(short_input.file, "");
    EXPECT_EQ(short_input.pipe, "");
    const std::string rest = "456789" + std::string(300, '5');
    leftover bad = left_after(3, "123x", rest);
    EXPECT_EQ(bad.run.err, "x n'a strictement rien a faire la ...\n");
    EXPECT_EQ(bad.run.status, 1);
    EXPECT_EQ(bad.file, rest);
    /* From a pipe, the bytes read along with the invalid one are gone: the piece asked for
     * the 78 cells still missing after "123", plus one byte. */
    EXPECT_EQ(bad.pipe, rest.substr(81 + 1 - 4));
}
