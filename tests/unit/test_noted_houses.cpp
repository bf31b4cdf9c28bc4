/* The rungs of the ladder look only at the houses noted since their last look. Whole solves
 * are walked here, and at every pass each rung tried is run twice on the same state: as the
 * solve runs it, and on a copy in which every house is noted again, so that it looks at
 * everything. Both runs must report, print and change exactly the same. */
#include "helpers.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

/* Notes every house for every rung: the next look of each is a full one. */
static void note_everything(sudoku_grid *g)
{
    for (int rung = 0; rung < NB_RUNGS; rung++)
        g->todo_rows[rung] = g->todo_cols[rung] = g->todo_boxes[rung] = (1 << SIZE) - 1;
}

/* Whether two states hold the same grid, candidates, house masks and counts. */
static bool same_state(const sudoku_grid *a, const sudoku_grid *b)
{
    return memcmp(a->cell, b->cell, sizeof a->cell) == 0 &&
           memcmp(a->mask, b->mask, sizeof a->mask) == 0 &&
           memcmp(a->row_missing, b->row_missing, sizeof a->row_missing) == 0 &&
           memcmp(a->col_missing, b->col_missing, sizeof a->col_missing) == 0 &&
           memcmp(a->box_missing, b->box_missing, sizeof a->box_missing) == 0 &&
           memcmp(a->row_empty, b->row_empty, sizeof a->row_empty) == 0 &&
           a->unknowns == b->unknowns;
}

/* Runs rung on g and on a fully noted copy of it, at verbose 2; expects the same result,
 * output and state from both. Returns the result. */
static int run_both_ways(int (*rung)(sudoku_grid *), sudoku_grid *g, const std::string &where)
{
    sudoku_grid full = *g;
    note_everything(&full);
    verbose_level level(2);
    int noted_result = 0, full_result = 0;
    std::string noted_out = capture_stdout([&] { noted_result = rung(g); });
    std::string full_out = capture_stdout([&] { full_result = rung(&full); });
    EXPECT_EQ(noted_result != 0, full_result != 0) << where;
    EXPECT_EQ(noted_out, full_out) << where;
    EXPECT_TRUE(same_state(g, &full)) << where;
    return noted_result;
}

/* The grids of a file of tests/unit/grids (puzzles that need every rung, and guesses). */
static std::vector<std::string> grids_of(const char *name)
{
    std::ifstream in(std::string(GRIDS_DIR) + "/" + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

/* Walks the solve of text pass by pass, as the solve loop does, checking each rung tried;
 * stops after max_passes passes. */
static void walk_solve(const std::string &text, long max_passes, const std::string &name)
{
    int (*const rungs[])(sudoku_grid *) = {basic, single_in_row_col, single_in_box, pointing_pairs};
    grid_ptr root = read_text(text);
    ASSERT_EQ(check_grid(root.get()), 0) << name;
    sudoku_grid *current = root.get();
    for (long pass = 0; current->unknowns != 0 && pass < max_passes; pass++) {
        std::string where = name + ", pass " + std::to_string(pass);
        bool progress = false;
        for (auto rung : rungs)
            if (run_both_ways(rung, current, where) != 0) {
                progress = true;
                break;
            }
        if (::testing::Test::HasFailure())
            break;
        if (progress)
            continue;
        if (check_grid(current) != 0) {
            ASSERT_NE(current, root.get()) << where;
            cancel_random_choice(current, &current);
        } else {
            current = random_choice(current);
        }
    }
    while (current != root.get()) {
        sudoku_grid *parent = current->parent;
        free(current);
        current = parent;
    }
}

TEST(NotedHouses, EveryRungFindsWhatAFullLookFinds)
{
    const char *file = SQ == 3 ? "9x9.txt" : SQ == 4 ? "16x16.txt" : "25x25.txt";
    std::vector<std::string> grids = grids_of(file);
    ASSERT_FALSE(grids.empty()) << "no grids in " << file;
    for (size_t k = 0; k < grids.size() && !HasFailure(); k++)
        walk_solve(grids[k], 1500, std::string(file) + ":" + std::to_string(k + 1));
}

/* A fresh grid in which value 1 is a candidate, in box 0 (top left), of the listed cells alone
 * and, in box 1 (below it), of the other listed cells alone; only box 0 is noted for rung. */
static grid_ptr value_one_in_two_boxes(int rung, std::initializer_list<std::pair<int, int>> cells)
{
    grid_ptr g = read_text("");
    for (int x = 0; x < SQ; x++)
        for (int y = 0; y < 2 * SQ; y++)
            mask_at(g.get(), x, y) &= ~(1 << 1);
    for (auto [x, y] : cells)
        mask_at(g.get(), x, y) |= 1 << 1;
    g->todo_rows[rung] = g->todo_cols[rung] = 0;
    g->todo_boxes[rung] = 1 << 0;
    return g;
}

TEST(NotedHouses, APlacementNotesTheBoxesLookedAtLaterInTheSameCall)
{
    /* 1 goes to (0, 0), the one cell of box 0 that takes it; that strikes it from (0, SQ) and
     * leaves (1, SQ) the one cell of box 1 that takes it, in the same call. */
    grid_ptr g = value_one_in_two_boxes(RUNG_BOX, {{0, 0}, {0, SQ}, {1, SQ}});
    EXPECT_EQ(run_both_ways(single_in_box, g.get(), "hidden singles in boxes"), 1);
    EXPECT_EQ(cell_at(g.get(), 1, SQ), 1);
}

TEST(NotedHouses, AStrikeNotesTheBoxesLookedAtLaterInTheSameCall)
{
    /* The pair of box 0 in column 0 strikes 1 from (0, SQ), which leaves a pair of box 1 in
     * row SQ, whose strike reaches the rest of that row in the same call. */
    grid_ptr g = value_one_in_two_boxes(RUNG_POINTING, {{0, 0}, {0, 1}, {0, SQ}, {1, SQ}, {2, SQ}});
    EXPECT_GT(run_both_ways(pointing_pairs, g.get(), "pointing pairs"), 0);
    EXPECT_EQ(mask_at(g.get(), SIZE - 1, SQ) & (1 << 1), 0);
}
