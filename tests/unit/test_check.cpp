#include "helpers.h"

#include <gtest/gtest.h>

/* The check's result and what it prints at verbose level 2. */
static std::pair<int, std::string> check(const sudoku_grid *g, int level = 2)
{
    verbose_level v(level);
    int result = -1;
    std::string out = capture_stdout([&] { result = check_grid(g); });
    return {result, out};
}

TEST(Check, FreshRootAndCompleteGridPassSilently)
{
    grid_ptr root(init_grid());
    EXPECT_EQ(check(root.get()), std::make_pair(0, std::string()));
    grid_ptr full = read_text(solved_text());
    for (int i = 0; i < NB_CELLS; i++)
        full->mask[i] = 0; /* masks of filled cells do not matter */
    EXPECT_EQ(check(full.get()), std::make_pair(0, std::string()));
}

TEST(Check, EmptyCellWithoutCandidateIsReportedBeforeAnyDuplicate)
{
    std::string text = solved_text();
    text = with_cell(text, 1, 0, solved_value(0, 0)); /* row, column and box duplicates */
    text = with_cell(text, 3, 2, 0);
    text = with_cell(text, 2, 2, 0);
    text = with_cell(text, 0, 3, 0);
    grid_ptr g = read_text(text);
    mask_at(g.get(), 3, 2) = 0;
    mask_at(g.get(), 0, 3) = 0;
    EXPECT_EQ(check(g.get()), std::make_pair(1, std::string("Masque 3x2 cass\351\n")));
    mask_at(g.get(), 0, 2) = 0; /* filled: never reported */
    EXPECT_EQ(check(g.get()).second, "Masque 3x2 cass\351\n");
}

TEST(Check, RowDuplicateIsReportedBeforeColumnDuplicate)
{
    std::string text(NB_CELLS, ZERO_CHAR);
    text = with_cell(text, 0, 0, 4); /* column 0 holds 4 twice */
    text = with_cell(text, 0, SQ, 4);
    text = with_cell(text, 1, SIZE - 1, 2); /* the last row holds 2 twice */
    text = with_cell(text, SIZE - 1, SIZE - 1, 2);
    grid_ptr g = read_text(text);
    char expected[64];
    snprintf(expected, sizeof expected, "Deux 2 sur la ligne %d\n", SIZE - 1);
    EXPECT_EQ(check(g.get()), std::make_pair(1, std::string(expected)));
}

TEST(Check, ColumnDuplicateIsReportedBeforeBoxDuplicate)
{
    std::string text(NB_CELLS, ZERO_CHAR);
    text = with_cell(text, 0, 0, 1); /* box 0 holds 1 twice, in another row and column */
    text = with_cell(text, 1, 1, 1);
    text = with_cell(text, SIZE - 1, 0, 3); /* the last column holds 3 twice */
    text = with_cell(text, SIZE - 1, SIZE - 1, 3);
    grid_ptr g = read_text(text);
    char expected[64];
    snprintf(expected, sizeof expected, "Deux 3 sur la colonne %d\n", SIZE - 1);
    EXPECT_EQ(check(g.get()), std::make_pair(1, std::string(expected)));
}

TEST(Check, RowWithTwoRepeatedValuesNamesTheOneRepeatedFirst)
{
    std::string text(NB_CELLS, ' ');
    text = with_cell(text, 0, 2, 5);
    text = with_cell(text, 1, 2, 6);
    text = with_cell(text, 5, 2, 6);
    text = with_cell(text, 7, 2, 5);
    grid_ptr g = read_text(text);
    EXPECT_EQ(check(g.get()).second, "Deux 6 sur la ligne 2\n");
}

TEST(Check, BoxDuplicateNamesTheBoxTopRowFirst)
{
    std::string text(NB_CELLS, ' ');
    text = with_cell(text, 2 * SQ, SQ, 5);
    text = with_cell(text, 2 * SQ + 1, SQ + 1, 5);
    grid_ptr g = read_text(text);
    char expected[64];
    snprintf(expected, sizeof expected, "Deux 5 dans le carr\351 %dx%d\n", SQ, 2 * SQ);
    EXPECT_EQ(check(g.get()), std::make_pair(1, std::string(expected)));
}

TEST(Check, BoxesAreScannedBandByBandFromTheTop)
{
    std::string text(NB_CELLS, ' ');
    text = with_cell(text, 0, SQ, 7); /* box 1: second band, left */
    text = with_cell(text, 1, SQ + 1, 7);
    text = with_cell(text, SQ, 0, 8); /* box SQ: first band, second from the left */
    text = with_cell(text, SQ + 1, 1, 8);
    grid_ptr g = read_text(text);
    char expected[64];
    snprintf(expected, sizeof expected, "Deux 8 dans le carr\351 0x%d\n", SQ);
    EXPECT_EQ(check(g.get()).second, expected);
}

TEST(Check, FaultIsReportedQuietlyBelowLevel2AndTracedAtLevel4)
{
    std::string text(NB_CELLS, ' ');
    text = with_cell(text, 0, 0, 1);
    text = with_cell(text, 0, 1, 1);
    grid_ptr g = read_text(text);
    EXPECT_EQ(check(g.get(), 1), std::make_pair(1, std::string()));
    EXPECT_EQ(check(g.get(), 4).second, "sudoku.cpp:check_grid:762 Deux 1 sur la colonne 0\n");
    text = with_cell(std::string(NB_CELLS, ' '), 0, 0, 1);
    g = read_text(with_cell(text, 1, 0, 1));
    EXPECT_EQ(check(g.get(), 4).second, "sudoku.cpp:check_grid:747 Deux 1 sur la ligne 0\n");
    g = read_text(with_cell(text, 1, 1, 1));
    EXPECT_EQ(check(g.get(), 4).second, "sudoku.cpp:check_grid:779 Deux 1 dans le carr\351 0x0\n");
    g = read_text("");
    mask_at(g.get(), 0, 0) = 0;
    EXPECT_EQ(check(g.get(), 4).second, "sudoku.cpp:check_grid:733 Masque 0x0 cass\351\n");
}
