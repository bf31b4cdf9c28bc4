#include "helpers.h"

#include <gtest/gtest.h>

TEST(Grid, NewRootHasEveryCellEmptyWithEveryValuePossible)
{
    grid_ptr g(init_grid());
    for (int i = 0; i < NB_CELLS; i++) {
        EXPECT_EQ(g->cell[i], 0);
        EXPECT_EQ(g->mask[i], ALL_VALUES);
    }
    for (int i = 0; i < SIZE; i++) {
        EXPECT_EQ(g->row_missing[i], ALL_VALUES);
        EXPECT_EQ(g->col_missing[i], ALL_VALUES);
        EXPECT_EQ(g->box_missing[i], ALL_VALUES);
    }
    EXPECT_EQ(g->last_x, SIZE);
    EXPECT_EQ(g->last_y, SIZE);
    EXPECT_EQ(g->last_value, 0);
    EXPECT_EQ(g->unknowns, NB_CELLS);
    EXPECT_EQ(g->tests, 0.0);
    EXPECT_EQ(g->forks, 0.0);
    EXPECT_EQ(g->parent, nullptr);
}

TEST(Grid, BuildConstantsFollowTheBoxSide)
{
    EXPECT_EQ(ALL_VALUES, SQ == 3 ? 1022 : SQ == 4 ? 131070 : 67108862);
    EXPECT_EQ(ZERO_CHAR, SQ == 3 ? '0' : '`');
}

TEST(Grid, BoxesAreNumberedDownTheLeftBandOfColumnsFirst)
{
    EXPECT_EQ(getsqr(0, 0), 0);
    EXPECT_EQ(getsqr(0, SQ), 1);
    EXPECT_EQ(getsqr(SQ, 0), SQ);
    EXPECT_EQ(getsqr(SIZE - 1, 0), SIZE - SQ);
    EXPECT_EQ(getsqr(0, SIZE - 1), SQ - 1);
    EXPECT_EQ(getsqr(SIZE - 1, SIZE - 1), SIZE - 1);
    if (SQ == 3) {
        EXPECT_EQ(getsqr(4, 7), 5);
        EXPECT_EQ(getsqr(7, 4), 7);
    }
}

TEST(Grid, PlacementWithoutPropagationChangesOnlyTheCellAndOneBitPerHouse)
{
    grid_ptr g(init_grid());
    int x = SIZE - 2, y = 1, v = SIZE - 1;
    set_case(g.get(), x, y, v, 0);
    EXPECT_EQ(cell_at(g.get(), x, y), v);
    for (int i = 0; i < NB_CELLS; i++)
        EXPECT_EQ(g->mask[i], ALL_VALUES);
    for (int i = 0; i < SIZE; i++) {
        EXPECT_EQ(g->row_missing[i], i == y ? ALL_VALUES & ~(1 << v) : ALL_VALUES);
        EXPECT_EQ(g->col_missing[i], i == x ? ALL_VALUES & ~(1 << v) : ALL_VALUES);
        EXPECT_EQ(g->box_missing[i], i == getsqr(x, y) ? ALL_VALUES & ~(1 << v) : ALL_VALUES);
    }
    EXPECT_EQ(g->unknowns, NB_CELLS);
}

TEST(Grid, PropagationStrikesTheValueFromEveryPeerAndNoOtherCell)
{
    grid_ptr g(init_grid());
    int x = SQ + 1, y = 2 * SQ - 1, v = 2;
    set_case(g.get(), x, y, v, 1);
    for (int yy = 0; yy < SIZE; yy++)
        for (int xx = 0; xx < SIZE; xx++) {
            bool peer = xx == x || yy == y || (xx / SQ == x / SQ && yy / SQ == y / SQ);
            EXPECT_EQ(mask_at(g.get(), xx, yy), peer ? ALL_VALUES & ~(1 << v) : ALL_VALUES)
                << xx << "x" << yy;
        }
    EXPECT_EQ(g->unknowns, NB_CELLS);
}

TEST(Grid, HouseMasksKeepTheParityOfPlacements)
{
    grid_ptr g(init_grid());
    set_case(g.get(), 0, 0, 3, 0);
    set_case(g.get(), SIZE - 1, 0, 3, 0);
    EXPECT_EQ(g->row_missing[0], ALL_VALUES);
    EXPECT_EQ(g->col_missing[0], ALL_VALUES & ~(1 << 3));
}

TEST(Grid, BlankingTogglesOnlyBitZeroOfTheHouses)
{
    grid_ptr g(init_grid());
    set_case(g.get(), 1, 1, 0, 1);
    EXPECT_EQ(cell_at(g.get(), 1, 1), 0);
    EXPECT_EQ(g->row_missing[1], ALL_VALUES + 1);
    EXPECT_EQ(g->col_missing[1], ALL_VALUES + 1);
    EXPECT_EQ(g->box_missing[0], ALL_VALUES + 1);
    for (int i = 0; i < NB_CELLS; i++)
        EXPECT_EQ(g->mask[i], ALL_VALUES);
}

TEST(Grid, MaskHelpersSeeOnlyValueBits)
{
    EXPECT_EQ(count_ones(0), 0);
    EXPECT_EQ(count_ones(1), 0);
    EXPECT_EQ(count_ones(ALL_VALUES), SIZE);
    EXPECT_EQ(count_ones(ALL_VALUES | 1 | (1 << (SIZE + 1)) | (1 << 30)), SIZE);
    EXPECT_EQ(count_ones((1 << 2) | (1 << SIZE)), 2);
    EXPECT_EQ(get_first_one_pos(0), 0);
    EXPECT_EQ(get_first_one_pos(1), 0);
    EXPECT_EQ(get_first_one_pos(ALL_VALUES), 1);
    EXPECT_EQ(get_first_one_pos(1 << SIZE), SIZE);
    EXPECT_EQ(get_first_one_pos((1 << (SIZE + 1)) | (1 << 30)), 0);
    EXPECT_EQ(get_first_one_pos(1 | (1 << 5) | (1 << 7)), 5);
}

TEST(Grid, PlacementMessageComesBeforeTheChange)
{
    grid_ptr g(init_grid());
    {
        verbose_level level(2);
        EXPECT_EQ(capture_stdout([&] { set_case(g.get(), 2, 5, 7, 0); }),
                  "Passage de la case 2x5 \340 7\n");
    }
    {
        verbose_level level(4);
        EXPECT_EQ(capture_stdout([&] { set_case(g.get(), 0, 1, 0, 1); }),
                  "sudoku.cpp:set_case:797 Passage de la case 0x1 \340 0\n");
    }
    verbose_level level(1);
    EXPECT_EQ(capture_stdout([&] { set_case(g.get(), 3, 3, 1, 1); }), "");
}

TEST(Grid, FreeingAChainReleasesEveryStateAndNullIsHarmless)
{
    sudoku_grid *root = init_grid();
    sudoku_grid *mid = init_grid();
    sudoku_grid *top = init_grid();
    mid->parent = root;
    top->parent = mid;
    free_sudoku(top); /* the leak checkers of the sanitizer and valgrind runs see the rest */
    free_sudoku(nullptr);
}

TEST(GridDeathTest, StateThatCannotBeAllocatedEndsTheRunWithStatus1)
{
    EXPECT_EXIT(
        {
            fail_allocations = true;
            init_grid();
        },
        testing::ExitedWithCode(1), "M\351moire insuffisante");
}
