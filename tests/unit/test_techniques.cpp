#include "helpers.h"

#include <gtest/gtest.h>

/* An empty grid in which v is a candidate of the listed cells of row y alone. */
static grid_ptr row_with_value_only_at(int y, int v, std::initializer_list<int> xs)
{
    grid_ptr g = read_text("");
    for (int x = 0; x < SIZE; x++)
        mask_at(g.get(), x, y) &= ~(1 << v);
    for (int x : xs)
        mask_at(g.get(), x, y) |= 1 << v;
    return g;
}

TEST(NakedSingles, RowMissingOneValueIsCompletedInOnePass)
{
    std::string text = with_cell(solved_text(), 4, 4, 0);
    text = with_cell(text, 0, SIZE - 1, 0);
    grid_ptr g = read_text(text);
    EXPECT_EQ(basic(g.get()), 1);
    EXPECT_EQ(cell_at(g.get(), 4, 4), solved_value(4, 4));
    EXPECT_EQ(mask_at(g.get(), 4, 4), 1 << solved_value(4, 4));
    EXPECT_EQ(cell_at(g.get(), 0, SIZE - 1), solved_value(0, SIZE - 1));
    EXPECT_EQ(g->unknowns, 0);
    EXPECT_EQ(basic(g.get()), 0); /* nothing left to fill */
}

TEST(NakedSingles, NarrowingWithoutFillingIsNoProgressButStays)
{
    grid_ptr g = read_text(std::string(1, value_char(5)));
    EXPECT_EQ(basic(g.get()), 0);
    EXPECT_EQ(mask_at(g.get(), SIZE - 1, 0), ALL_VALUES & ~(1 << 5));
    EXPECT_EQ(mask_at(g.get(), 0, SIZE - 1), ALL_VALUES & ~(1 << 5));
    EXPECT_EQ(mask_at(g.get(), 1, 1), ALL_VALUES & ~(1 << 5));
    EXPECT_EQ(mask_at(g.get(), SIZE - 1, SIZE - 1), ALL_VALUES);
    EXPECT_EQ(g->unknowns, NB_CELLS - 1);
}

TEST(NakedSingles, PlacementIsSeenLaterInThePassButNotEarlier)
{
    grid_ptr g = read_text("");
    /* (1, 0) is single at once; (0, 0) and (2, 0) only once 1 is gone from the row. */
    mask_at(g.get(), 0, 0) = (1 << 1) | (1 << 2);
    mask_at(g.get(), 1, 0) = 1 << 1;
    mask_at(g.get(), 2, 0) = (1 << 1) | (1 << 3);
    EXPECT_EQ(basic(g.get()), 1);
    EXPECT_EQ(cell_at(g.get(), 0, 0), 0);
    EXPECT_EQ(mask_at(g.get(), 0, 0), (1 << 1) | (1 << 2));
    EXPECT_EQ(cell_at(g.get(), 1, 0), 1);
    EXPECT_EQ(cell_at(g.get(), 2, 0), 3);
    EXPECT_EQ(g->unknowns, NB_CELLS - 2);
    EXPECT_EQ(basic(g.get()), 1);
    EXPECT_EQ(cell_at(g.get(), 0, 0), 2);
}

TEST(NakedSingles, SingleCandidateAlreadyPlacedInAHouseEmptiesTheMask)
{
    grid_ptr g = read_text(std::string(1, value_char(5)));
    mask_at(g.get(), SIZE - 1, 0) = 1 << 5;
    EXPECT_EQ(basic(g.get()), 0);
    EXPECT_EQ(mask_at(g.get(), SIZE - 1, 0), 0);
    EXPECT_EQ(cell_at(g.get(), SIZE - 1, 0), 0);
}

TEST(HiddenSingles, ValueWithOneCellInItsRowGoesThereAndPropagates)
{
    grid_ptr g = row_with_value_only_at(0, 5, {3});
    verbose_level level(2);
    std::string out = capture_stdout([&] { EXPECT_EQ(single_in_row_col(g.get()), 1); });
    EXPECT_EQ(out, "Test single_in_row_col \nPassage de la case 3x0 \340 5\n");
    EXPECT_EQ(cell_at(g.get(), 3, 0), 5);
    EXPECT_EQ(g->unknowns, NB_CELLS - 1);
    EXPECT_EQ(mask_at(g.get(), 3, SIZE - 1) & (1 << 5), 0);
    EXPECT_EQ(mask_at(g.get(), 3, 0), 0); /* the placed cell loses it too */
}

TEST(HiddenSingles, ColumnCountPlacesWhatTheRowCountMisses)
{
    grid_ptr g = read_text("");
    for (int y = 0; y < SIZE; y++)
        if (y != 2)
            mask_at(g.get(), 1, y) &= ~(1 << 7);
    EXPECT_EQ(single_in_row_col(g.get()), 1);
    EXPECT_EQ(cell_at(g.get(), 1, 2), 7);
    EXPECT_EQ(g->unknowns, NB_CELLS - 1);
}

TEST(HiddenSingles, FilledCellDoesNotCountAgainstASingle)
{
    grid_ptr g = row_with_value_only_at(1, 4, {2, 6});
    set_case(g.get(), 6, 1, 3, 0); /* filled, its mask still listing 4 */
    EXPECT_EQ(single_in_row_col(g.get()), 1);
    EXPECT_EQ(cell_at(g.get(), 2, 1), 4);
}

TEST(HiddenSingles, LowestQualifyingValueWinsAndHigherOnesAreNotTried)
{
    grid_ptr g = row_with_value_only_at(0, 3, {0});
    for (int x = 1; x < SIZE; x++)
        mask_at(g.get(), x, 0) &= ~(1 << 7);
    EXPECT_EQ(single_in_row_col(g.get()), 1);
    EXPECT_EQ(cell_at(g.get(), 0, 0), 3);
    EXPECT_EQ(g->unknowns, NB_CELLS - 1);
}

TEST(HiddenSingles, PlacementCanMakeASingleLaterInThePassButNotEarlier)
{
    /* Row 0 takes 2 only at (SQ, 0); row SQ + 1 at (0, SQ + 1) and (SQ, SQ + 1), until the
     * first placement strikes column SQ and leaves (0, SQ + 1) alone. */
    grid_ptr g = read_text("");
    int v = 2;
    for (int x = 0; x < SIZE; x++) {
        mask_at(g.get(), x, 0) &= ~(1 << v);
        mask_at(g.get(), x, SQ + 1) &= ~(1 << v);
    }
    mask_at(g.get(), SQ, 0) |= 1 << v; /* row 0: 2 fits only (SQ, 0) */
    /* row SQ + 1: 2 fits (0, SQ + 1) and (SQ, SQ + 1); the second goes with the placement */
    mask_at(g.get(), 0, SQ + 1) |= 1 << v;
    mask_at(g.get(), SQ, SQ + 1) |= 1 << v;
    EXPECT_EQ(single_in_row_col(g.get()), 1);
    EXPECT_EQ(cell_at(g.get(), SQ, 0), v);
    EXPECT_EQ(cell_at(g.get(), 0, SQ + 1), v);
}

TEST(HiddenSingles, NothingToFindPrintsTheHeaderAndReturns0)
{
    grid_ptr g = read_text("");
    verbose_level level(4);
    std::string out = capture_stdout([&] { EXPECT_EQ(single_in_row_col(g.get()), 0); });
    EXPECT_EQ(out, "sudoku.cpp:single_in_row_col:466 Test single_in_row_col \n");
}

/* An empty grid in which v is a candidate of the listed cells of box 0 alone. */
static grid_ptr box_with_value_only_at(int v, std::initializer_list<std::pair<int, int>> cells)
{
    grid_ptr g = read_text("");
    for (int y = 0; y < SQ; y++)
        for (int x = 0; x < SQ; x++)
            mask_at(g.get(), x, y) &= ~(1 << v);
    for (auto [x, y] : cells)
        mask_at(g.get(), x, y) |= 1 << v;
    return g;
}

TEST(BoxSingles, ValueWithOneCellInItsBoxGoesThere)
{
    grid_ptr g = box_with_value_only_at(6, {{2, 1}});
    verbose_level level(4);
    std::string out = capture_stdout([&] { EXPECT_EQ(single_in_box(g.get()), 1); });
    EXPECT_EQ(out, "sudoku.cpp:single_in_box:514 Test single_in_box \n"
                   "sudoku.cpp:set_case:797 Passage de la case 2x1 \340 6\n");
    EXPECT_EQ(g->unknowns, NB_CELLS - 1);
    EXPECT_EQ(mask_at(g.get(), SIZE - 1, 1) & (1 << 6), 0);
}

TEST(BoxSingles, ValueWithTwoOrMoreCellsIsNotPlaced)
{
    grid_ptr g = box_with_value_only_at(6, {{2, 1}, {0, 2}});
    EXPECT_EQ(single_in_box(g.get()), 0);
    g = box_with_value_only_at(6, {{2, 1}, {0, 2}, {1, 2}});
    EXPECT_EQ(single_in_box(g.get()), 0);
    EXPECT_EQ(g->unknowns, NB_CELLS);
}

TEST(BoxSingles, TwoSinglesInOneCellPlaceTheLowerOnly)
{
    grid_ptr g = box_with_value_only_at(4, {{1, 1}});
    for (int y = 0; y < SQ; y++)
        for (int x = 0; x < SQ; x++)
            if (x != 1 || y != 1)
                mask_at(g.get(), x, y) &= ~(1 << 8);
    EXPECT_EQ(single_in_box(g.get()), 1);
    EXPECT_EQ(cell_at(g.get(), 1, 1), 4);
    EXPECT_EQ(g->unknowns, NB_CELLS - 1);
}

TEST(BoxSingles, PlacementInAnEarlierBoxCanMakeASingleInALaterOne)
{
    /* Box SQ (first band, second box) has 3 at (SQ, 0) alone; box 2 * SQ would have 3 at
     * (2 * SQ, 0) and (2 * SQ, 1) but the first placement strikes row 0. */
    grid_ptr g = read_text("");
    for (int y = 0; y < SQ; y++)
        for (int x = SQ; x < 3 * SQ; x++)
            mask_at(g.get(), x, y) &= ~(1 << 3);
    mask_at(g.get(), SQ, 0) |= 1 << 3;
    mask_at(g.get(), 2 * SQ, 0) |= 1 << 3;
    mask_at(g.get(), 2 * SQ, 1) |= 1 << 3;
    EXPECT_EQ(single_in_box(g.get()), 1);
    EXPECT_EQ(cell_at(g.get(), SQ, 0), 3);
    EXPECT_EQ(cell_at(g.get(), 2 * SQ, 1), 3);
}

TEST(PointingPairs, PairInAColumnStrikesTheRestOfTheColumnFromTheTop)
{
    grid_ptr g = box_with_value_only_at(4, {{1, 0}, {1, 2}});
    cell_at(g.get(), 1, SIZE - 1) = 9; /* filled cells keep their masks */
    verbose_level level(2);
    std::string out = capture_stdout([&] { EXPECT_EQ(pointing_pairs(g.get()), SIZE - SQ - 1); });
    std::string expected = "Test Pointing Pairs\n";
    for (int y = SQ; y < SIZE - 1; y++)
        expected += "4 est pas possible en 1x" + std::to_string(y) + "\n";
    EXPECT_EQ(out, expected);
    EXPECT_NE(mask_at(g.get(), 1, 0) & (1 << 4), 0);
    EXPECT_NE(mask_at(g.get(), 1, 2) & (1 << 4), 0);
    EXPECT_NE(mask_at(g.get(), 1, SIZE - 1) & (1 << 4), 0);
    EXPECT_EQ(mask_at(g.get(), 1, SQ) & (1 << 4), 0);
    EXPECT_EQ(pointing_pairs(g.get()), 0);
}

TEST(PointingPairs, TripleInARowStrikesTheRestOfTheRowFromTheLeft)
{
    grid_ptr g = box_with_value_only_at(2, {{0, 1}, {1, 1}, {2, 1}});
    verbose_level level(4);
    std::string out = capture_stdout([&] { EXPECT_EQ(pointing_pairs(g.get()), SIZE - SQ); });
    EXPECT_EQ(out.substr(0, 82), "sudoku.cpp:pointing_pairs:577 Test Pointing Pairs\n"
                                 "sudoku.cpp:pointing_pairs:640 2 ");
    EXPECT_NE(out.find("2 est pas possible en " + std::to_string(SQ) + "x1\n"), std::string::npos);
    EXPECT_EQ(mask_at(g.get(), SIZE - 1, 1) & (1 << 2), 0);
    EXPECT_NE(mask_at(g.get(), 2, 1) & (1 << 2), 0);
}

TEST(PointingPairs, LineNumbersTellPairsFromTriplesAndColumnsFromRows)
{
    verbose_level level(4);
    grid_ptr g = box_with_value_only_at(2, {{0, 1}, {2, 1}});
    EXPECT_NE(capture_stdout([&] { pointing_pairs(g.get()); }).find(":614 2 est pas possible"),
              std::string::npos);
    g = box_with_value_only_at(2, {{0, 0}, {0, 1}, {0, 2}});
    EXPECT_NE(capture_stdout([&] { pointing_pairs(g.get()); }).find(":628 2 est pas possible"),
              std::string::npos);
    g = box_with_value_only_at(2, {{0, 0}, {0, 2}});
    EXPECT_NE(capture_stdout([&] { pointing_pairs(g.get()); }).find(":602 2 est pas possible"),
              std::string::npos);
}

TEST(PointingPairs, CellsOffOneLineOrHoldingTheValueStrikeNothing)
{
    grid_ptr g = box_with_value_only_at(5, {{0, 0}, {1, 1}});
    EXPECT_EQ(pointing_pairs(g.get()), 0);
    g = box_with_value_only_at(5, {{0, 0}, {0, 1}});
    cell_at(g.get(), 2, 2) = 5; /* the box already holds 5 */
    EXPECT_EQ(pointing_pairs(g.get()), 0);
#if BOX_SIDE >= 4
    g = box_with_value_only_at(5, {{0, 0}, {0, 1}, {0, 2}, {0, 3}});
    EXPECT_EQ(pointing_pairs(g.get()), 0); /* only pairs and triples count */
#endif
}
