#include "helpers.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(Guess, FirstEmptyCellWithFewestCandidatesTakesItsLowestCandidate)
{
    grid_ptr g = read_text("");
    mask_at(g.get(), 3, 0) = (1 << 2) | (1 << 5) | (1 << 6);
    mask_at(g.get(), 1, 1) = (1 << 1) | (1 << 2) | (1 << 3); /* same count, later */
    mask_at(g.get(), 0, 0) = 1 << 4;                         /* one candidate: never chosen */
    sudoku_grid *child = random_choice(g.get());
    EXPECT_EQ(child->last_x, 3);
    EXPECT_EQ(child->last_y, 0);
    EXPECT_EQ(child->last_value, 2);
    free(child);

    mask_at(g.get(), 4, 2) = (1 << 6) | (1 << 9);
    mask_at(g.get(), 0, 3) = (1 << 1) | (1 << 2); /* two as well, but after the first two */
    child = random_choice(g.get());
    EXPECT_EQ(child->last_x, 4);
    EXPECT_EQ(child->last_y, 2);
    EXPECT_EQ(child->last_value, 6);
    free(child);
}

TEST(Guess, ChildIsACopyWithTheGuessPlacedAndTheParentUntouched)
{
    grid_ptr g = read_text(std::string(1, value_char(1)));
    basic(g.get());
    g->tests = 7;
    g->forks = 2;
    sudoku_grid before = *g;
    verbose_level level(2);
    sudoku_grid *child = nullptr;
    std::string out = capture_stdout([&] { child = random_choice(g.get()); });
    EXPECT_EQ(memcmp(&before, g.get(), sizeof before), 0);
    /* (1, 0) is the first cell with fewer than SIZE candidates; 1 is gone from it. */
    EXPECT_EQ(out, "On choisis arbitrairement de metre 1x0 \340 2\n"
                   "Passage de la case 1x0 \340 2\n");
    EXPECT_EQ(cell_at(child, 1, 0), 2);
    EXPECT_EQ(mask_at(child, 1, 0), 0);
    EXPECT_EQ(mask_at(child, SIZE - 1, 0) & (1 << 2), 0);
    EXPECT_EQ(child->unknowns, g->unknowns - 1);
    EXPECT_EQ(child->row_missing[0], g->row_missing[0] & ~(1 << 2));
    EXPECT_EQ(child->tests, 7);
    EXPECT_EQ(child->forks, 2);
    EXPECT_EQ(child->parent, g.get());
    free(child);
}

TEST(Guess, EmptyGridGuessesOneInTheFirstCell)
{
    grid_ptr g = read_text("");
    verbose_level level(4);
    sudoku_grid *child = nullptr;
    std::string out = capture_stdout([&] { child = random_choice(g.get()); });
    EXPECT_EQ(out, "sudoku.cpp:random_choice:684 On choisis arbitrairement de metre 0x0 \340 1\n"
                   "sudoku.cpp:set_case:797 Passage de la case 0x0 \340 1\n");
    EXPECT_EQ(cell_at(child, 0, 0), 1);
    free(child);
}

TEST(Guess, BackingOutStrikesTheGuessAndMergesTheCounters)
{
    grid_ptr root = read_text("");
    root->tests = 10;
    root->forks = 0;
    /* As the solve loop does it: a fork counted before the copy, 5 tests after. */
    root->forks += 1;
    sudoku_grid *current = random_choice(root.get());
    current->tests += 5;
    EXPECT_EQ(current->tests, 15);
    EXPECT_EQ(current->forks, 1);
    current->tests += 3;
    verbose_level level(4);
    std::string out = capture_stdout([&] { cancel_random_choice(current, &current); });
    EXPECT_EQ(out, "sudoku.cpp:cancel_random_choice:705 Annulation du dernier changement \n");
    EXPECT_EQ(current, root.get());
    EXPECT_EQ(root->tests, 28);
    EXPECT_EQ(root->forks, 2);
    EXPECT_EQ(mask_at(root.get(), 0, 0), ALL_VALUES & ~(1 << 1));
    EXPECT_EQ(cell_at(root.get(), 0, 0), 0);
    EXPECT_EQ(root->unknowns, NB_CELLS);
}

TEST(Guess, AfterABackOutTheSameCellTakesItsNextCandidate)
{
    grid_ptr root = read_text("");
    mask_at(root.get(), 2, 2) = (1 << 3) | (1 << 5) | (1 << 8);
    sudoku_grid *current = random_choice(root.get());
    cancel_random_choice(current, &current);
    current = random_choice(root.get());
    EXPECT_EQ(current->last_x, 2);
    EXPECT_EQ(current->last_value, 5);
    free(current);
}

TEST(GuessDeathTest, GuessThatCannotBeAllocatedEndsTheRunWithStatus1)
{
    grid_ptr root = read_text("");
    EXPECT_EXIT(
        {
            fail_allocations = true;
            random_choice(root.get());
        },
        testing::ExitedWithCode(1), "M\351moire insuffisante");
}
