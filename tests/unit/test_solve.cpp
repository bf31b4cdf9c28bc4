#include "helpers.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

/* Whether g holds a complete valid grid. */
static bool complete_and_valid(sudoku_grid *g)
{
    for (int i = 0; i < NB_CELLS; i++)
        if (g->cell[i] < 1 || g->cell[i] > SIZE)
            return false;
    g->mask[0] = 1 << g->cell[0]; /* the check ignores masks of filled cells */
    return g->unknowns == 0 && check_grid(g) == 0;
}

TEST(Solve, CompleteGridIsItsOwnResultWithoutAnyPass)
{
    grid_ptr g = read_text(solved_text());
    verbose_level level(1);
    sudoku_grid *result = nullptr;
    EXPECT_EQ(capture_stdout([&] { result = resolv(g.get()); }), "");
    EXPECT_EQ(result, g.get());
    EXPECT_EQ(g->tests, 0);
    EXPECT_EQ(g->forks, 0);
}

TEST(Solve, NakedSinglesAloneCountOneTestPerPass)
{
    /* Row 0 and column 0 blank: every cell but (0, 0) is single in its column or row in the
     * first pass; (0, 0) only in the second. */
    std::string text = solved_text();
    for (int i = 0; i < SIZE; i++)
        text = with_cell(with_cell(text, i, 0, 0), 0, i, 0);
    grid_ptr g = read_text(text);
    verbose_level level(1);
    sudoku_grid *result = nullptr;
    std::string out = capture_stdout([&] { result = resolv(g.get()); });
    std::string cells = std::to_string(NB_CELLS);
    EXPECT_EQ(out, "Etat: " + std::to_string(2 * SIZE - 1) + "/" + cells +
                       ", Tests: 0, Fork 0\nEtat: 1/" + cells + ", Tests: 1, Fork 0\n");
    EXPECT_EQ(result, g.get());
    EXPECT_EQ(g->tests, 2);
    EXPECT_EQ(g->forks, 0);
    EXPECT_EQ(cell_at(g.get(), 0, 0), solved_value(0, 0));
}

TEST(Solve, EmptyGridIsSolvedByGuessing)
{
    grid_ptr root = read_text("");
    sudoku_grid *result = resolv(root.get());
    root.release();
    grid_ptr chain(result);
    EXPECT_TRUE(complete_and_valid(result));
    EXPECT_GT(result->forks, 0);
}

TEST(Solve, RootWithoutSolutionIsReportedAndKept)
{
    /* Row 0 holds 1 to SIZE - 1; its last cell cannot take SIZE, which stands lower in the
     * same column. */
    std::string text(NB_CELLS, ' ');
    for (int x = 0; x < SIZE - 1; x++)
        text = with_cell(text, x, 0, x + 1);
    text = with_cell(text, SIZE - 1, SQ, SIZE);
    grid_ptr g = read_text(text);
    ASSERT_EQ(check_grid(g.get()), 0);
    EXPECT_EQ(resolv(g.get()), nullptr);
    EXPECT_EQ(g->parent, nullptr);
}

#if BOX_SIDE == 3
TEST(Solve, OneGuessOnATwoWaySwapCountsFiveForTheGuessAndOneForTheFinish)
{
    /* The four blanks hold 1 and 8 either way round: nothing but a guess decides. */
    grid_ptr root = read_text("46 375 29"
                              "23 469 57"
                              "975218463"
                              "692831745"
                              "314756298"
                              "857942316"
                              "786524931"
                              "149683572"
                              "523197684");
    sudoku_grid *result = resolv(root.get());
    ASSERT_NE(result, root.get());
    EXPECT_EQ(result->parent, root.get());
    EXPECT_EQ(result->tests, 6);
    EXPECT_EQ(result->forks, 1);
    EXPECT_EQ(root->tests, 0);
    EXPECT_EQ(root->forks, 1);
    EXPECT_EQ(cell_at(result, 2, 0), 1);
    EXPECT_EQ(cell_at(result, 6, 0), 8);
    root.release();
    free_sudoku(result);
}
#endif

/* Solves g with solve (resolv or resolv_direct); returns the cells of the result, or an empty
 * vector when there is none, and sets *guessed when it took a guess. Frees every state. */
static std::vector<int32_t>
cells_solved(grid_ptr g, const std::function<sudoku_grid *(sudoku_grid *)> &solve, bool *guessed)
{
    sudoku_grid *result = solve(g.get());
    if (result == nullptr)
        return {};
    *guessed = result != g.get();
    g.release();
    std::vector<int32_t> cells(result->cell, result->cell + NB_CELLS);
    free_sudoku(result);
    return cells;
}

/* Changes a random given of values to the lowest value that none of its peers holds; the grid
 * stays free of repeats and often loses every solution. */
static void change_a_given(std::vector<int> *values, test_random *r)
{
    for (int tries = 0; tries < 100; tries++) {
        int i = r->below(NB_CELLS), x = i % SIZE, y = i / SIZE, held = 0;
        if ((*values)[i] == 0)
            continue;
        for (int k = 0; k < SIZE; k++) {
            held |= 1 << (*values)[y * SIZE + k] | 1 << (*values)[k * SIZE + x];
            held |= 1 << (*values)[(y / SQ * SQ + k / SQ) * SIZE + x / SQ * SQ + k % SQ];
        }
        if ((ALL_VALUES & ~held) != 0) {
            (*values)[i] = get_first_one_pos(ALL_VALUES & ~held);
            return;
        }
    }
}

TEST(Solve, DirectSolveEndsOnTheGridTheStepByStepSearchEndsOn)
{
    /* Grids from a fixed seed, at random clue densities: from empty to full on 9 by 9; from
     * half full on 16 by 16 and 60% on 25 by 25, since sparser ones can keep the step-by-step
     * search busy for hours. Half of them have a given changed to a value its houses lack,
     * which often leaves no solution; the sparse ones have many. The exact solver is asked as
     * default runs ask it, and after every pass, so that it judges every state of a search. */
    test_random r{20261207};
    static const int counts[] = {5000, 2000, 1000}, leasts[] = {0, 500, 600};
    const int count = counts[SQ - 3], least = leasts[SQ - 3]; /* grids; per mille of clues */
    int without = 0, guessing = 0;
    for (int k = 0; k < count; k++) {
        std::vector<int> values = random_puzzle(&r, least);
        if (r.below(2) == 1)
            change_a_given(&values, &r);
        grid_ptr root = read_text(text_of(values));
        ASSERT_EQ(check_grid(root.get()), 0) << text_of(values);
        bool guessed = false, ignored;
        auto asking_every = [](long passes) {
            return [passes](sudoku_grid *g) { return resolv_direct(g, passes); };
        };
        std::vector<int32_t> direct =
            cells_solved(copy_of(root.get()), asking_every(PATIENCE), &ignored);
        std::vector<int32_t> eager = cells_solved(copy_of(root.get()), asking_every(1), &ignored);
        std::vector<int32_t> step = cells_solved(std::move(root), resolv, &guessed);
        ASSERT_EQ(direct, step) << text_of(values);
        ASSERT_EQ(eager, step) << text_of(values);
        without += step.empty();
        guessing += guessed;
    }
    EXPECT_GT(without, count / 20);
    EXPECT_GT(guessing, count / 20);
}

/* Box 0 full but for (0, 0), (1, 0) and (0, 1), which SIZE cannot take (it stands in rows 0
 * and 1): no rung sees that SIZE has no place, and the three cells, peers of each other, can
 * take only 1 and 2. */
static std::string three_cells_for_two_values()
{
    std::string text(NB_CELLS, ' ');
    for (int i = 2, v = 3; i < NB_CELLS && v < SIZE; i++)
        if (i % SIZE < SQ && i / SIZE < SQ && i != SIZE)
            text[i] = value_char(v++);
    return with_cell(with_cell(text, SQ, 0, SIZE), 2 * SQ, 1, SIZE);
}

TEST(Solve, DirectSolveOfAGridWithoutSolutionEndsAsTheSearchDoes)
{
    grid_ptr g = read_text(three_cells_for_two_values());
    ASSERT_EQ(check_grid(g.get()), 0);
    grid_ptr copy = copy_of(g.get());
    EXPECT_EQ(resolv(copy.get()), nullptr);
    EXPECT_GT(copy->forks, 0); /* the step-by-step search guessed, then backed out */
    grid_ptr eager = copy_of(g.get());
    EXPECT_EQ(resolv_direct(eager.get(), 1), nullptr);
    EXPECT_EQ(eager->parent, nullptr);
    EXPECT_EQ(resolv_direct(g.get(), PATIENCE), nullptr);
    EXPECT_EQ(g->parent, nullptr);
}

TEST(Solve, DirectSolveLeavesTheLongDeadBranchesOut)
{
    /* The slowest grid of the unit grid file (over a thousand passes, many of them in branches
     * without a solution): the same grid in the end, with fewer guesses counted. */
    std::ifstream in(std::string(GRIDS_DIR) + "/" + std::to_string(SIZE) + "x" +
                     std::to_string(SIZE) + ".txt");
    std::string line, slowest;
    double most = -1;
    while (std::getline(in, line)) {
        grid_ptr g = read_text(line);
        sudoku_grid *solved = resolv(g.get());
        g.release();
        if (solved->tests > most) {
            most = solved->tests;
            slowest = line;
        }
        free_sudoku(solved);
    }
    ASSERT_GT(most, 2000) << "no long search among the unit grids of this size";
    grid_ptr step = read_text(slowest), direct = read_text(slowest);
    sudoku_grid *a = resolv(step.get()), *b = resolv_direct(direct.get(), PATIENCE);
    step.release();
    direct.release();
    EXPECT_EQ(std::vector<int32_t>(a->cell, a->cell + NB_CELLS),
              std::vector<int32_t>(b->cell, b->cell + NB_CELLS));
    EXPECT_LT(b->forks, a->forks);
    free_sudoku(a);
    free_sudoku(b);
}

TEST(Solve, DirectSolveWithoutGuessAsksNoExactSolver)
{
    /* Naked singles alone solve it: with every allocation failing, the exact solver could not
     * even start, though asked after each pass that follows a guess. */
    std::string text = solved_text();
    for (int i = 0; i < SIZE; i++)
        text = with_cell(with_cell(text, i, 0, 0), 0, i, 0);
    grid_ptr g = read_text(text);
    fail_allocations = true;
    sudoku_grid *result = resolv_direct(g.get(), 1);
    fail_allocations = false;
    EXPECT_EQ(result, g.get());
    EXPECT_EQ(g->unknowns, 0);
}

TEST(Solve, DirectSolveEndsTheRunWhenTheExactSolverHasNoMemory)
{
    grid_ptr root = read_text("");
    EXPECT_EXIT(
        {
            fail_allocations = true;
            resolv_direct(root.get(), 1);
        },
        testing::ExitedWithCode(1), "M\351moire insuffisante");
}
