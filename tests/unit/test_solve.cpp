#include "helpers.h"

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
