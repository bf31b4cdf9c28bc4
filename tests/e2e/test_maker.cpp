#include "run_program.h"

#include <gtest/gtest.h>

static std::string flat(const std::string &text)
{
    std::string grid;
    for (char c : text)
        if (c != '\n')
            grid += c;
    return grid;
}

static int blanks(const std::string &grid)
{
    return static_cast<int>(std::count(grid.begin(), grid.end(), ' '));
}

TEST(Maker, PuzzleKeepsOrBlanksEachCellOfTheSolution)
{
    for (int sq : {3, 4, 5}) {
        std::string puzzle = read_file(std::string(EXAMPLES_DIR) + "/" +
                                       (sq == 3   ? "9x9_hard.txt"
                                        : sq == 4 ? "16x16.txt"
                                                  : "25x25.txt"));
        std::string solution = flat(run_program(program(sq), {}, puzzle).out);
        for (const char *level : {"1", "3", "5"}) {
            run_result r = run_program(program(sq), {"-m", level}, puzzle);
            ASSERT_EQ(r.status, 0);
            std::string made = flat(r.out);
            ASSERT_EQ(made.size(), solution.size());
            for (size_t i = 0; i < made.size(); i++)
                ASSERT_TRUE(made[i] == ' ' || made[i] == solution[i]) << i;
            /* Fed back, the puzzle solves again. The blanks are drawn from the clock, and the
             * sparsest grids can take minutes of search (about 2 in 100 16 by 16 grids at
             * level 5, and 25 by 25 ones from level 3), so each size is fed back up to the
             * highest level at which a thousand draws all solved at once. */
            if (level[0] > (sq == 3 ? '5' : sq == 4 ? '3' : '1'))
                continue;
            run_result again = run_program(program(sq), {}, r.out);
            EXPECT_EQ(again.status, 0);
            EXPECT_TRUE(solves(sq, r.out, again.out));
        }
    }
}

TEST(Maker, HigherLevelBlanksMoreCells)
{
    std::string puzzle = read_file(std::string(EXAMPLES_DIR) + "/25x25.txt");
    int low = blanks(flat(run_program(program(5), {"-m", "1"}, puzzle).out));
    int high = blanks(flat(run_program(program(5), {"-m", "5"}, puzzle).out));
    /* 625 cells at 1 in 6 against 5 in 6: about 104 against 521. */
    EXPECT_GT(low, 30);
    EXPECT_LT(low, 250);
    EXPECT_GT(high, 400);
    EXPECT_LT(high, 600);
}

TEST(Maker, FramedPuzzleShowsTheSolveCountersAndNoUnknowns)
{
    std::string solved = "123456789456789123789123456234567891567891234"
                         "891234567345678912678912345912345678";
    run_result r = run_program(program(3), {"-n", "-m", "5"}, solved);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(r.out.size() - 17), "\nTests 0\nForks 0\n");
    EXPECT_EQ(r.out.find("Inconnues"), std::string::npos);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1 + 9 + 3 + 2);
}

TEST(Maker, EachBlankedCellPrintsItsPlacementOfZero)
{
    std::string solved = "123456789456789123789123456234567891567891234"
                         "891234567345678912678912345912345678";
    run_result r = run_program(program(3), {"-v", "4", "-m", "4"}, solved);
    ASSERT_EQ(r.status, 0);
    std::string made = r.out.substr(r.out.size() - 90);
    std::string messages = r.out.substr(0, r.out.size() - 90);
    std::string expected;
    for (int i = 0; i < 81; i++)
        if (flat(made)[i] == ' ')
            expected += "sudoku.cpp:set_case:797 Passage de la case " + std::to_string(i % 9) +
                        "x" + std::to_string(i / 9) + " \340 0\n";
    EXPECT_EQ(messages.substr(messages.size() - expected.size()), expected);
}
