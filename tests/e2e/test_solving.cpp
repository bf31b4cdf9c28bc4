#include "run_program.h"

#include <gtest/gtest.h>

/* A 9 by 9 grid whose four blanks, (2, 0), (6, 0), (2, 1) and (6, 1), take 1 and 8 either way
 * round: no technique decides, so the solve is one guess (1 at (2, 0), the first cell with two
 * candidates) and one pass of naked singles. */
static const std::string SWAP = "46 375 2923 469 57975218463692831745314756298"
                                "857942316786524931149683572523197684";
static const std::string SWAP_SOLVED = "461375829238469157975218463692831745314756298"
                                       "857942316786524931149683572523197684";

static std::string lines9(const std::string &grid)
{
    std::string text;
    for (int y = 0; y < 9; y++)
        text += grid.substr(y * 9, 9) + "\n";
    return text;
}

/* The framed drawing of a grid of box side sq (blanks for empty cells), without counters. */
static std::string frame(int sq, const std::string &grid)
{
    const int side = sq * sq;
    std::string border;
    for (int x = 0; x < side; x++)
        border += "+--";
    border += "+\n";
    std::string text = border;
    for (int y = 0; y < side; y++) {
        text += "|";
        for (int x = 0; x < side; x++)
            text += std::string(" ") + grid[y * side + x] + (x % sq == sq - 1 ? "|" : " ");
        text += "\n";
        if (y % sq == sq - 1)
            text += border;
    }
    return text;
}

/* The framed drawing of a 9 by 9 grid and its counter lines. */
static std::string frame9(const std::string &grid, int unknowns, int tests, int forks)
{
    std::string text = frame(3, grid);
    if (unknowns != 0)
        text += "Inconnues = " + std::to_string(unknowns) + "\n";
    return text + "Tests " + std::to_string(tests) + "\nForks " + std::to_string(forks) + "\n";
}

static std::string place(bool trace, int x, int y, int v)
{
    return std::string(trace ? "sudoku.cpp:set_case:797 " : "") + "Passage de la case " +
           std::to_string(x) + "x" + std::to_string(y) + " \340 " + std::to_string(v) + "\n";
}

static std::string swap_after_guess()
{
    std::string grid = SWAP;
    grid[2] = '1';
    return grid;
}

TEST(Solving, OneGuessPlainFramedAndAtVerbose1)
{
    run_result r = run_program(program(3), {}, SWAP);
    EXPECT_EQ(r.out, lines9(SWAP_SOLVED));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    r = run_program(program(3), {"-n"}, SWAP);
    EXPECT_EQ(r.out, frame9(SWAP_SOLVED, 0, 6, 1));
    r = run_program(program(3), {"-v", "1", "-n"}, SWAP);
    EXPECT_EQ(r.out, "Etat: 4/81, Tests: 0, Fork 0\nEtat: 3/81, Tests: 5, Fork 1\n" +
                         frame9(SWAP_SOLVED, 0, 6, 1));
}

TEST(Solving, OneGuessAtVerbose2And4ShowsEveryStepInOrder)
{
    for (bool trace : {false, true}) {
        std::string expected;
        for (int i = 0; i < 81; i++)
            if (SWAP[i] != ' ')
                expected += place(trace, i % 9, i / 9, SWAP[i] - '0');
        std::string t = trace ? "sudoku.cpp:" : "";
        expected += frame9(SWAP, 4, 0, 0);
        expected += frame9(SWAP, 4, 0, 0) + "Etat: 4/81, Tests: 0, Fork 0\n";
        expected += (trace ? t + "basic:437 " : "") + "Test Basic\n";
        expected += (trace ? t + "single_in_row_col:466 " : "") + "Test single_in_row_col \n";
        expected += (trace ? t + "single_in_box:514 " : "") + "Test single_in_box \n";
        expected += (trace ? t + "pointing_pairs:577 " : "") + "Test Pointing Pairs\n";
        expected += (trace ? t + "random_choice:684 " : "") +
                    "On choisis arbitrairement de metre 2x0 \340 1\n" + place(trace, 2, 0, 1);
        expected += frame9(swap_after_guess(), 3, 5, 1) + "Etat: 3/81, Tests: 5, Fork 1\n";
        expected += (trace ? t + "basic:437 " : "") + "Test Basic\n";
        expected += place(trace, 6, 0, 8) + place(trace, 2, 1, 8) + place(trace, 6, 1, 1);
        expected += lines9(SWAP_SOLVED);
        run_result r = run_program(program(3), {"-v", trace ? "4" : "2"}, SWAP);
        EXPECT_EQ(r.out, expected);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.status, 0);
    }
}

TEST(Solving, CompleteGridMakesNoPass)
{
    run_result r = run_program(program(3), {"-v", "1", "-n"}, SWAP_SOLVED);
    EXPECT_EQ(r.out, frame9(SWAP_SOLVED, 0, 0, 0));
    EXPECT_EQ(r.status, 0);
}

TEST(Solving, BrokenGridIsShownWithItsFaultAtVerbose2)
{
    std::string grid = SWAP;
    grid[2] = '9'; /* row 0 now holds 9 twice */
    run_result r = run_program(program(3), {"-v", "2"}, grid);
    std::string expected;
    for (int i = 0; i < 81; i++)
        if (grid[i] != ' ')
            expected += place(false, i % 9, i / 9, grid[i] - '0');
    expected += frame9(grid, 3, 0, 0) + "Deux 9 sur la ligne 0\n";
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "Grille Impossible\n");
    EXPECT_EQ(r.status, 1);
}

TEST(Solving, GridWithoutSolutionEndsAsImpossible)
{
    /* Row 0 cannot finish: its last cell lacks a value that stands lower in its column. */
    std::string grid = "12345678 " + std::string(36, ' ') + "        9" + std::string(27, ' ');
    run_result r = run_program(program(3), {}, grid);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Grille Impossible\n");
    EXPECT_EQ(r.status, 1);
    r = run_program(program(3), {"-v", "1"}, grid);
    EXPECT_EQ(r.out.substr(0, 30), "Etat: 72/81, Tests: 0, Fork 0\n");
    EXPECT_EQ(r.err, "Grille Impossible\n");
    EXPECT_EQ(r.status, 1);
}

/* Adds to a puzzle with a unique solution a given that differs from it but breaks no house:
 * the result has no solution, yet passes the first check. */
static std::string without_solution(const std::string &puzzle, const std::string &solution)
{
    for (int i = 0; i < 81; i++) {
        if (puzzle[i] != '0')
            continue;
        for (char w = '1'; w <= '9'; w++) {
            if (w == solution[i])
                continue;
            bool clash = false;
            for (int j = 0; j < 81; j++) {
                bool peer = j / 9 == i / 9 || j % 9 == i % 9 ||
                            (j / 27 == i / 27 && j % 9 / 3 == i % 9 / 3);
                clash |= peer && puzzle[j] == w;
            }
            if (!clash) {
                std::string grid = puzzle;
                grid[i] = w;
                return grid;
            }
        }
    }
    return puzzle;
}

TEST(Solving, PuzzlesMadeUnsolvableNeedSearchingAndEndAsImpossible)
{
    std::vector<std::string> puzzles = read_lines(std::string(PUZZLES_DIR) + "/9x9_top95.txt");
    std::vector<std::string> answers =
        read_lines(std::string(PUZZLES_DIR) + "/answers/9x9_top95.txt");
    ASSERT_FALSE(puzzles.empty()) << "a puzzle file is missing";
    for (size_t k = 0; k < 10; k++) {
        std::string grid = without_solution(puzzles[k], answers[k].substr(2));
        run_result r = run_program(program(3), {}, grid);
        EXPECT_EQ(r.out, "") << k;
        EXPECT_EQ(r.err, "Grille Impossible\n") << k;
        EXPECT_EQ(r.status, 1) << k;
    }
}

TEST(Solving, FramedRunOfALongWalkPrintsWhereTheWholeWalkEnds)
{
    /* The step-by-step search of this puzzle backs out of so many guesses that its counters
     * overflow; -n stops walking the dead branches once they have, and prints what the whole
     * walk, shown pass by pass with -v 1, ends with: the one solution and infinite counters. */
    std::vector<std::string> puzzles =
        read_lines(std::string(PUZZLES_DIR) + "/16x16_unique_35pct.txt");
    std::vector<std::string> answers =
        read_lines(std::string(PUZZLES_DIR) + "/answers/16x16_unique_35pct.txt");
    ASSERT_FALSE(puzzles.empty()) << "a puzzle file is missing";
    run_result r = run_program(program(4), {"-n"}, puzzles[3]);
    EXPECT_EQ(r.out, frame(4, answers[3].substr(2)) + "Tests inf\nForks inf\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    run_result walked = run_program(program(4), {"-n", "-v", "1"}, puzzles[3]);
    std::string without_progress;
    for (size_t at = 0; at < walked.out.size(); at = walked.out.find('\n', at) + 1)
        if (walked.out.compare(at, 6, "Etat: ") != 0)
            without_progress += walked.out.substr(at, walked.out.find('\n', at) + 1 - at);
    EXPECT_EQ(without_progress, r.out);
}

TEST(Solving, FramedRunOfAGridWithoutSolutionPrintsOnlyImpossible)
{
    /* A 16 by 16 puzzle with a given changed: no solution, though the check passes, and a
     * step-by-step search that walks for seconds before it has tried everything. */
    const std::string grid =
        "```d`ieljb````````````````c`l`a```f`p`mdn````o`cg``````nfk`om``bh`````````k```epp`db"
        "`````e``k`n```g`mk`ion````````c```je````g`````mo`b```g```j``kj``l````o`f`dman``f```"
        "````d`gco`h```p`m``n```````jea`co```k`hb`b``p`fg``````````c`hi``k````algj`fn``j````"
        "`e````";
    run_result r = run_program(program(4), {"-n"}, grid);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Grille Impossible\n");
    EXPECT_EQ(r.status, 1);
}

TEST(Solving, EmptyGridOfEachSizeIsSolved)
{
    for (int sq : {3, 4, 5}) {
        run_result r = run_program(program(sq), {}, "");
        EXPECT_TRUE(solves(sq, "", r.out)) << sq;
        EXPECT_EQ(r.status, 0);
    }
}

TEST(Solving, BundledExamplesAreSolved)
{
    const std::vector<std::pair<int, std::string>> examples = {
        {3, "9x9_easy.txt"}, {3, "9x9_hard.txt"}, {4, "16x16.txt"}, {5, "25x25.txt"}};
    for (const auto &[sq, name] : examples) {
        std::string puzzle = read_file(std::string(EXAMPLES_DIR) + "/" + name);
        run_result r = run_program(program(sq), {}, puzzle);
        EXPECT_TRUE(solves(sq, puzzle, r.out)) << name;
        EXPECT_EQ(r.status, 0) << name;
    }
}

/* Every puzzle of the files is solved into a complete valid grid that keeps its givens, and
 * into the known solution where there is only one: the sparse files too, whose step-by-step
 * search can take minutes, since a default run leaves out the branches without a solution. */
struct puzzle_file {
    int sq;           /* box side */
    const char *name; /* file name in the puzzle folder */
};
void PrintTo(const puzzle_file &file, std::ostream *out)
{
    *out << file.name;
}

class PuzzleFile : public testing::TestWithParam<puzzle_file>
{
};

TEST_P(PuzzleFile, EveryPuzzleIsSolved)
{
    auto [sq, name] = GetParam();
    std::vector<std::string> puzzles = read_lines(std::string(PUZZLES_DIR) + "/" + name);
    std::vector<std::string> answers = read_lines(std::string(PUZZLES_DIR) + "/answers/" + name);
    ASSERT_FALSE(puzzles.empty()) << "a puzzle file is missing";
    ASSERT_EQ(puzzles.size(), answers.size());
    for (size_t k = 0; k < puzzles.size(); k++) {
        run_result r = run_program(program(sq), {}, puzzles[k]);
        ASSERT_EQ(r.status, 0) << name << ":" << k + 1;
        ASSERT_TRUE(solves(sq, puzzles[k], r.out)) << name << ":" << k + 1;
        std::string flat;
        for (char c : r.out)
            if (c != '\n')
                flat += c;
        if (answers[k][0] == '1') {
            ASSERT_EQ(flat, answers[k].substr(2)) << name << ":" << k + 1;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Quick, PuzzleFile,
    testing::Values(
        puzzle_file{3, "9x9_top95.txt"}, puzzle_file{3, "9x9_hardest.txt"},
        puzzle_file{3, "9x9_easy50.txt"}, puzzle_file{3, "9x9_su25short.txt"},
        puzzle_file{3, "9x9_su30short.txt"}, puzzle_file{3, "9x9_sudoku1.txt"},
        puzzle_file{3, "9x9_sudoku2.txt"}, puzzle_file{3, "9x9_blanked.txt"},
        puzzle_file{3, "9x9_solved.txt"}, puzzle_file{4, "16x16_unique_60pct.txt"},
        puzzle_file{4, "16x16_unique_50pct.txt"}, puzzle_file{4, "16x16_unique_45pct.txt"},
        puzzle_file{4, "16x16_unique_40pct.txt"}, puzzle_file{4, "16x16_unique_35pct.txt"},
        puzzle_file{4, "16x16_blanked.txt"}, puzzle_file{4, "16x16_solved.txt"},
        puzzle_file{5, "25x25_unique_70pct.txt"}, puzzle_file{5, "25x25_unique_60pct.txt"},
        puzzle_file{5, "25x25_unique_55pct.txt"}, puzzle_file{5, "25x25_unique_50pct.txt"},
        puzzle_file{5, "25x25_blanked.txt"}, puzzle_file{5, "25x25_solved.txt"}),
    [](const testing::TestParamInfo<puzzle_file> &info) {
        std::string name = info.param.name;
        name = name.substr(0, name.find('.'));
        for (char &c : name)
            if (!isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return "f" + name;
    });
