/* The solving state and the functions of sudoku.cpp, for the programs and their unit tests.
 *
 * The source is built once per box side: BOX_SIDE is 3, 4 or 5 and everything else follows
 * from it.
 */
#ifndef SUDOKU_H
#define SUDOKU_H

#include "geometry.h"

#include <cstdint>

constexpr int ZERO_CHAR = SQ == 3 ? '0' : '`'; /* value v is written ZERO_CHAR + v */

constexpr long PATIENCE = 1024; /* passes between two calls of the exact solver, in default runs */
constexpr long ROOT_DELAY = 64; /* times PATIENCE a framed run walks before it asks whether the
                                   root has a solution at all (see resolv_counted) */

/* The rungs of the solving ladder, cheapest first; each keeps its own list of houses to look
 * at again (see sudoku_grid). */
enum { RUNG_BASIC, RUNG_ROW_COL, RUNG_BOX, RUNG_POINTING, NB_RUNGS };

/* One solving state. Per-cell arrays hold cell (x, y) at x * SIZE + y. */
struct sudoku_grid {
    int32_t cell[NB_CELLS];       /* value of each cell; 0 = empty */
    int32_t mask[NB_CELLS];       /* candidates of each cell, bit v = value v still possible */
    int32_t row_missing[SIZE];    /* per row y: bit v set = v not yet placed (a toggle) */
    int32_t col_missing[SIZE];    /* per column x, same meaning */
    int32_t box_missing[SIZE];    /* per box getsqr(x, y), same meaning */
    int32_t last_x;               /* column of the guess that made this state; SIZE at the root */
    int32_t last_y;               /* row of that guess; SIZE at the root */
    int32_t last_value;           /* value of that guess; 0 at the root */
    int32_t unknowns;             /* number of empty cells */
    double tests;                 /* weighted count of solving steps */
    double forks;                 /* number of guesses */
    sudoku_grid *parent;          /* the state this guess was copied from; null at the root */
    int32_t row_empty[SIZE];      /* per row y: bit x set = cell (x, y) empty; kept by
                                     set_case and init_grid, so that scans skip filled cells */
    int32_t todo_rows[NB_RUNGS];  /* per rung: one bit per row, column and box in which a */
    int32_t todo_cols[NB_RUNGS];  /* value or a candidate changed since the rung last looked */
    int32_t todo_boxes[NB_RUNGS]; /* there (elsewhere a new look would find nothing); kept
                                     only for the houses the rung reads */
};

extern int verbose; /* 0 to 4, set by -v */

/* Grid model */
sudoku_grid *init_grid(void);
void set_case(sudoku_grid *g, int x, int y, int value, int propagate);
int getsqr(unsigned x, unsigned y);
int count_ones(int mask);
int get_first_one_pos(int mask);
void free_sudoku(sudoku_grid *g);

/* Consistency check */
int check_grid(const sudoku_grid *g);

/* Text input and output */
int parse_in(sudoku_grid *g);
void show_grid(const sudoku_grid *g);
void show_nice_grid(const sudoku_grid *g);
void show_infos(const sudoku_grid *g);
void show_mask(int mask);

/* Solver */
int basic(sudoku_grid *g);
int single_in_row_col(sudoku_grid *g);
int single_in_box(sudoku_grid *g);
int pointing_pairs(sudoku_grid *g);
sudoku_grid *random_choice(sudoku_grid *g);
void cancel_random_choice(sudoku_grid *g, sudoku_grid **current);
sudoku_grid *resolv(sudoku_grid *g);
sudoku_grid *resolv_direct(sudoku_grid *g, long every);
sudoku_grid *resolv_counted(sudoku_grid *g, long every);

/* Puzzle maker */
void offusc_grid(sudoku_grid *g, unsigned level);

/* Driver: the whole run of one program; returns the exit status. */
int sudoku_main(int argc, char **argv);

#endif
