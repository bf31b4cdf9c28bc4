/* Sudoku solver and puzzle maker for SQ x SQ boxes.
 *
 * A run reads one grid on standard input, checks it, solves it with a fixed ladder of
 * deductions plus guessing with backtracking, and prints the result plain or framed; with -m
 * it blanks cells of the solution to make a new puzzle. The file reads top to bottom in the
 * order the data flows: grid model, check, text I/O, display, techniques, guess and
 * backtrack, solve loop, maker, driver.
 */
#include "sudoku.h"

#include "exact.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

int verbose = 0;

/* ============================ Diagnostics ============================
 *
 * Diagnostic messages go to standard output from verbose level 2 on. At level 4 each is
 * preceded by a trace prefix naming this file, the function and a line number; the line
 * numbers are fixed and the same in the three programs, so traces compare across builds.
 */

static const char SOURCE_NAME[] = "sudoku.cpp";
static const char TRACE_PREFIX[] = "%s:%s:%d ";

/* Returns 1 when diagnostics are on, after printing the trace prefix at level 4; else 0. */
static int diag(const char *function, int line)
{
    if (verbose < 2)
        return 0;
    if (verbose >= 4)
        printf(TRACE_PREFIX, SOURCE_NAME, function, line);
    return 1;
}

/* Writes an error message on standard error, after what standard output already holds. */
static void error_message(const char *format, ...)
{
    va_list args;
    fflush(stdout);
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
}

/* ============================ Grid model ============================
 *
 * One record holds a whole solving state (sudoku_grid). Cell values and candidate masks are
 * stored column by column; the house masks keep, as toggles, which values each row, column
 * and box still misses. set_case is the one way to place a value.
 *
 * Each rung of the ladder keeps in the record the rows, columns and boxes in which something
 * changed since it last looked at them, and looks at those alone: what it found nothing in
 * before, it would find nothing in again. So from the reading of the grid to the solution, a
 * candidate mask changes only through the writers of this section (place, strike, strike_peers
 * and narrow_row), each of which notes the houses it changed; the reader, the rungs, the guess
 * and the back-out write none themselves. A writer that changes many cells notes them once,
 * from their bits, which keeps a strike across a whole house as cheap as the strikes alone.
 */

static const char MSG_NO_MEMORY[] = "M\351moire insuffisante\n";
static const char MSG_PLACE[] = "Passage de la case %dx%d \340 %d\n";

constexpr int ALL_HOUSES = (1 << SIZE) - 1; /* one bit per row, column or box */
constexpr int BAND = (1 << SQ) - 1;         /* the SQ rows (columns) of a band of boxes */

/* Returns the bands (bit k: houses k * SQ to k * SQ + SQ - 1) that hold a house of houses. */
static int bands_of(int houses)
{
    int bands = 0;
    for (int k = 0; k < SQ; k++)
        if (houses & (BAND << (k * SQ)))
            bands |= 1 << k;
    return bands;
}

/* Bit k * SQ for each band k: the first house of every band. */
static constexpr int band_starts()
{
    int starts = 0;
    for (int k = 0; k < SQ; k++)
        starts |= 1 << (k * SQ);
    return starts;
}
constexpr int BAND_STARTS = band_starts();

/* Returns the boxes on the band of rows by that hold a column of cols. */
static int boxes_of_columns(int cols, int by)
{
    int any = cols;
    for (int k = 1; k < SQ; k++)
        any |= cols >> k;
    return (any & BAND_STARTS) << by;
}

/* Returns the columns of the boxes, among boxes, that lie on the band of rows by. */
static int columns_of_boxes(int boxes, int by)
{
    return (boxes >> by & BAND_STARTS) * BAND;
}

/* Notes, for the rungs from first on (RUNG_BASIC or RUNG_ROW_COL), that the given rows,
 * columns and boxes changed; for each rung only what it reads: naked singles all three, the
 * hidden singles of rows and columns the rows and columns, the box rungs the boxes. */
static void note_changes(sudoku_grid *g, int first, int rows, int cols, int boxes)
{
    if (first == RUNG_BASIC) {
        g->todo_rows[RUNG_BASIC] |= rows;
        g->todo_cols[RUNG_BASIC] |= cols;
        g->todo_boxes[RUNG_BASIC] |= boxes;
    }
    g->todo_rows[RUNG_ROW_COL] |= rows;
    g->todo_cols[RUNG_ROW_COL] |= cols;
    g->todo_boxes[RUNG_BOX] |= boxes;
    g->todo_boxes[RUNG_POINTING] |= boxes;
}

/* Returns, and clears, the houses that a rung has to look at again. */
static void take_todo(sudoku_grid *g, int rung, int *rows, int *cols, int *boxes)
{
    *rows = g->todo_rows[rung];
    *cols = g->todo_cols[rung];
    *boxes = g->todo_boxes[rung];
    g->todo_rows[rung] = g->todo_cols[rung] = g->todo_boxes[rung] = 0;
}

/* Returns, and clears, the boxes that a rung has to look at again (a rung that works box by
 * box, for which the rows and columns noted mean nothing). */
static int take_boxes(sudoku_grid *g, int rung)
{
    int rows, cols, boxes;
    take_todo(g, rung, &rows, &cols, &boxes);
    return boxes;
}

/* Ends the run when memory runs out. */
[[noreturn]] static void out_of_memory(void)
{
    error_message(MSG_NO_MEMORY);
    exit(1);
}

/* Returns a new block for a state; a state that cannot be had ends the run. */
static sudoku_grid *alloc_grid(void)
{
    sudoku_grid *g = static_cast<sudoku_grid *>(malloc(sizeof(sudoku_grid)));
    if (g == nullptr)
        out_of_memory();
    return g;
}

/* Returns a new root state: every cell empty with every value possible. */
sudoku_grid *init_grid(void)
{
    sudoku_grid *g = alloc_grid();
    for (int i = 0; i < NB_CELLS; i++) {
        g->cell[i] = 0;
        g->mask[i] = ALL_VALUES;
    }
    for (int i = 0; i < SIZE; i++) {
        g->row_missing[i] = g->col_missing[i] = g->box_missing[i] = ALL_VALUES;
        g->row_empty[i] = ALL_HOUSES;
    }
    g->last_x = g->last_y = SIZE;
    g->last_value = 0;
    g->unknowns = NB_CELLS;
    g->tests = g->forks = 0.0;
    g->parent = nullptr;
    for (int rung = 0; rung < NB_RUNGS; rung++)
        g->todo_rows[rung] = g->todo_cols[rung] = g->todo_boxes[rung] = ALL_HOUSES;
    return g;
}

/* Returns the box of cell (x, y), boxes numbered down the leftmost band of columns first. */
int getsqr(unsigned x, unsigned y)
{
    return box_of(static_cast<int>(x), static_cast<int>(y));
}

/* Notes that the candidates of the empty cell (x, y) shrank: for the later rungs in its row,
 * column and box; for naked singles only when one is left, the one thing they look for in a
 * cell already within its houses. */
static void note_struck(sudoku_grid *g, int x, int y)
{
    note_changes(g, RUNG_ROW_COL, 1 << y, 1 << x, 1 << getsqr(x, y));
    g->todo_rows[RUNG_BASIC] |= single_value(g->mask[x * SIZE + y]) << y;
}

/* Strikes value from the candidates of the empty cell (x, y), which has it, and notes what
 * changed. */
static void strike(sudoku_grid *g, int x, int y, int value)
{
    g->mask[x * SIZE + y] &= ~(1 << value);
    note_struck(g, x, y);
}

/* Strikes value from the candidates of every cell sharing a house with (x, y), the cell
 * itself included, and notes the rows, columns and boxes of the cells that had it; for naked
 * singles, only the rows of those left with one candidate (see note_struck). */
static void strike_peers(sudoku_grid *g, int x, int y, int value)
{
    int bit = 1 << value, x0 = x / SQ * SQ, y0 = y / SQ * SQ;
    int in_row = 0, in_col = 0, rows = 0, cols = 0; /* where the cells that had value lie */
    for (int k = 0, at = 1; k < SIZE; k++, at <<= 1) {
        int32_t *on_row = &g->mask[k * SIZE + y], *on_col = &g->mask[x * SIZE + k];
        in_row |= *on_row & bit ? at : 0;
        *on_row &= ~bit;
        in_col |= *on_col & bit ? at : 0;
        *on_col &= ~bit;
    }
    int singles = 0; /* the rows of the cells left with one candidate */
    for (int i = 0; i < SQ; i++)
        for (int j = 0; j < SQ; j++) {
            int32_t *m = &g->mask[(x0 + i) * SIZE + y0 + j];
            if (*m & bit) {
                rows |= 1 << (y0 + j);
                cols |= 1 << (x0 + i);
                *m &= ~bit;
                singles |= single_value(*m) << (y0 + j);
            }
        }
    for (int left = in_row; left != 0; left &= left - 1)
        singles |= single_value(g->mask[__builtin_ctz(left) * SIZE + y]) << y;
    for (int left = in_col; left != 0; left &= left - 1)
        singles |= single_value(g->mask[x * SIZE + __builtin_ctz(left)]) << __builtin_ctz(left);
    int boxes = boxes_of_columns(in_row, y / SQ) | bands_of(in_col) << (x / SQ * SQ);
    note_changes(g, RUNG_ROW_COL, rows | in_col, cols | in_row, boxes);
    g->todo_rows[RUNG_BASIC] |= singles;
}

/* Places value in (x, y), toggling its bit in the three house masks and, when asked, striking
 * it from the candidates of every peer (the cell itself included). unknowns is the caller's.
 * Naked singles look again at the cell's houses only when the value is not struck: struck, it
 * leaves no candidate outside the houses, and the strike notes the cells it leaves single. */
void set_case(sudoku_grid *g, int x, int y, int value, int propagate)
{
    int b = getsqr(x, y);
    if (diag("set_case", 797))
        printf(MSG_PLACE, x, y, value);
    g->cell[x * SIZE + y] = value;
    if (value != 0)
        g->row_empty[y] &= ~(1 << x);
    else
        g->row_empty[y] |= 1 << x;
    int bit = 1 << value;
    g->row_missing[y] ^= bit;
    g->box_missing[b] ^= bit;
    g->col_missing[x] ^= bit;
    if (propagate) {
        note_changes(g, RUNG_ROW_COL, 1 << y, 1 << x, 1 << b);
        strike_peers(g, x, y, value);
    } else
        note_changes(g, RUNG_BASIC, 1 << y, 1 << x, 1 << b);
}

/* Places value in the empty cell (x, y), its candidates made that value alone, and counts the
 * cell filled; propagate as for set_case. */
static void place(sudoku_grid *g, int x, int y, int value, int propagate)
{
    g->mask[x * SIZE + y] = 1 << value;
    set_case(g, x, y, value, propagate);
    g->unknowns--;
}

/* Narrows the empty cells of row y among cells, left to right, to the values their houses
 * still miss, and stops after the first left with one candidate; notes, for the rungs after
 * naked singles, the houses of those it changed. Returns the column of the cell it stopped
 * at, which the caller fills, or -1 when none was left with one. */
static int narrow_row(sudoku_grid *g, int y, int cells)
{
    int narrowed = 0, single = -1; /* narrowed: the columns of the cells changed */
    for (int left = cells; left != 0; left &= left - 1) {
        int x = __builtin_ctz(left), i = x * SIZE + y;
        int old = g->mask[i];
        int m = old & g->row_missing[y] & g->col_missing[x] & g->box_missing[getsqr(x, y)];
        g->mask[i] = m;
        narrowed |= m != old ? left & -left : 0; /* the lowest bit left is 1 << x */
        if (single_value(m)) {
            single = x;
            break;
        }
    }
    if (narrowed != 0)
        note_changes(g, RUNG_ROW_COL, 1 << y, narrowed, boxes_of_columns(narrowed, y / SQ));
    return single;
}

/* Returns the number of values (bits 1 to SIZE) in mask. */
int count_ones(int mask)
{
    return count_values(mask);
}

/* Returns the lowest value in mask, or 0 when it holds none. */
int get_first_one_pos(int mask)
{
    unsigned values = static_cast<unsigned>(mask & ALL_VALUES);
    return values == 0 ? 0 : __builtin_ctz(values);
}

/* Releases a state and every state it was copied from. */
void free_sudoku(sudoku_grid *g)
{
    while (g != nullptr) {
        sudoku_grid *parent = g->parent;
        free(g);
        g = parent;
    }
}

/* ============================ Consistency check ============================
 *
 * A state is broken when an empty cell has no candidate left or when a value stands twice in
 * a row, a column or a box. The check only reads cell and mask; it stops at the first fault,
 * in a fixed order, so the message a user sees is always the same one for the same grid.
 */

static const char MSG_BROKEN_MASK[] = "Masque %dx%d cass\351\n";
static const char MSG_TWICE_IN_ROW[] = "Deux %d sur la ligne %d\n";
static const char MSG_TWICE_IN_COL[] = "Deux %d sur la colonne %d\n";
static const char MSG_TWICE_IN_BOX[] = "Deux %d dans le carr\351 %dx%d\n";

/* Returns the first value met twice, in scan order, in the house of SIZE cells made of
 * SIZE / count groups, one cell index apart, of count cells step apart each, from cell index
 * first on; 0 when none is. */
static int twice_in_house(const sudoku_grid *g, int first, int count, int step)
{
    int seen = 0;
    for (int r = 0; r < SIZE / count; r++)
        for (int c = 0; c < count; c++) {
            int v = g->cell[first + r + c * step];
            if (v == 0)
                continue;
            if (seen & (1 << v))
                return v;
            seen |= 1 << v;
        }
    return 0;
}

/* Returns 1, after its message, when an empty cell has no candidate left; else 0. The first
 * half of the check. */
static int check_candidates(const sudoku_grid *g)
{
    for (int y = 0; y < SIZE; y++)
        for (int left = g->row_empty[y]; left != 0; left &= left - 1) {
            int x = __builtin_ctz(left);
            if (g->cell[x * SIZE + y] == 0 && g->mask[x * SIZE + y] == 0) {
                if (diag("check_grid", 733))
                    printf(MSG_BROKEN_MASK, x, y);
                return 1;
            }
        }
    return 0;
}

/* Returns 0 when the state is sound, 1 at the first fault found. */
int check_grid(const sudoku_grid *g)
{
    if (check_candidates(g))
        return 1;
    for (int y = 0; y < SIZE; y++) {
        int v = twice_in_house(g, y, SIZE, SIZE);
        if (v != 0) {
            if (diag("check_grid", 747))
                printf(MSG_TWICE_IN_ROW, v, y);
            return 1;
        }
    }
    for (int x = 0; x < SIZE; x++) {
        int v = twice_in_house(g, x * SIZE, SIZE, 1);
        if (v != 0) {
            if (diag("check_grid", 762))
                printf(MSG_TWICE_IN_COL, v, x);
            return 1;
        }
    }
    for (int y0 = 0; y0 < SIZE; y0 += SQ)
        for (int x0 = 0; x0 < SIZE; x0 += SQ) {
            int v = twice_in_house(g, x0 * SIZE + y0, SQ, SIZE);
            if (v != 0) {
                if (diag("check_grid", 779))
                    printf(MSG_TWICE_IN_BOX, v, y0, x0);
                return 1;
            }
        }
    return 0;
}

/* ============================ Grid text ============================
 *
 * One byte per cell in reading order: a blank or ZERO_CHAR for an empty cell, ZERO_CHAR + v
 * for value v; control bytes are skipped wherever they stand. Whatever follows the grid (past
 * the one byte after the last cell) is left for the next reader of the same input: standard
 * input is read unbuffered, in pieces no longer than the cells still missing plus one. Every
 * byte read is a cell, a skipped control byte or the byte after the last cell, so no piece
 * reaches past that byte; only an invalid byte stops the reading inside a piece, and the
 * bytes read after it are given back where the input can seek (a file, not a pipe).
 */

static const char MSG_BAD_BYTE[] = "%c n'a strictement rien a faire la ...\n";
static const char MSG_READ_ERROR[] = "Erreur de lecture sur l'entr\351e standard\n";

/* Returns the value of a grid byte (0 for an empty cell), -1 for a control byte to skip, or
 * -2 for an invalid byte. */
static int value_of_byte(int c)
{
    if (c < 32)
        return -1;
    if (c == ' ' || c == ZERO_CHAR)
        return 0;
    if (c > ZERO_CHAR && c <= ZERO_CHAR + SIZE)
        return c - ZERO_CHAR;
    return -2;
}

/* Reads the grid into a fresh root. Returns 0 when read (a short input leaves the rest empty),
 * 1 after an invalid byte or a read error, with its message on standard error. */
int parse_in(sudoku_grid *g)
{
    unsigned char piece[NB_CELLS + 1];
    int i = 0; /* cells read */
    for (;;) {
        ssize_t n = read(STDIN_FILENO, piece, static_cast<size_t>(NB_CELLS - i + 1));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error_message(MSG_READ_ERROR);
            return 1;
        }
        if (n == 0)
            return 0;
        for (ssize_t k = 0; k < n; k++) {
            if (i == NB_CELLS)
                return 0; /* the byte after the last cell, the last of the piece */
            int v = value_of_byte(piece[k]);
            if (v == -1)
                continue;
            if (v == -2) {
                if (k + 1 < n)
                    lseek(STDIN_FILENO, k + 1 - n, SEEK_CUR);
                error_message(MSG_BAD_BYTE, piece[k]);
                return 1;
            }
            if (v != 0) /* a blank leaves the cell as init_grid made it */
                place(g, i % SIZE, i / SIZE, v, 0);
            i++;
        }
    }
}

/* Returns the character that shows cell (x, y): its value's, or a blank when empty. */
static int cell_char(const sudoku_grid *g, int x, int y)
{
    int v = g->cell[x * SIZE + y];
    return v == 0 ? ' ' : ZERO_CHAR + v;
}

/* Writes the grid in the text form that parse_in reads, empty cells as blanks. */
void show_grid(const sudoku_grid *g)
{
    for (int y = 0; y < SIZE; y++) {
        for (int x = 0; x < SIZE; x++)
            putchar(cell_char(g, x, y));
        putchar('\n');
    }
}

/* ============================ Display ============================
 *
 * Views for a person: the framed grid with its counters, the one-line progress report of the
 * solve loop, and a candidate mask as bits (a debugging aid nothing calls).
 */

static const char MSG_UNKNOWNS[] = "Inconnues = %d\n";
static const char MSG_COUNTERS[] = "Tests %1.0lf\nForks %1.0lf\n";
static const char MSG_PROGRESS[] = "Etat: %d/%d, Tests: %1.0lf, Fork %1.0lf\n";

/* Writes a border line, "+--" per column then "+", without its line feed. */
static void show_border(void)
{
    for (int x = 0; x < SIZE; x++)
        fputs("+--", stdout);
    putchar('+');
}

/* Writes the state framed, box by box, then its counters. */
void show_nice_grid(const sudoku_grid *g)
{
    show_border();
    putchar('\n');
    for (int y = 0; y < SIZE; y++) {
        putchar('|');
        for (int x = 0; x < SIZE; x++) {
            printf(" %c", cell_char(g, x, y));
            putchar(x % SQ == SQ - 1 ? '|' : ' ');
        }
        if (y % SQ == SQ - 1) {
            putchar('\n');
            show_border();
        }
        putchar('\n');
    }
    if (g->unknowns != 0)
        printf(MSG_UNKNOWNS, g->unknowns);
    printf(MSG_COUNTERS, g->tests, g->forks);
}

/* Writes the progress line of one pass of the solve loop. */
void show_infos(const sudoku_grid *g)
{
    printf(MSG_PROGRESS, g->unknowns, NB_CELLS, g->tests, g->forks);
}

/* Writes bits 0 to SIZE of mask as digits, lowest first. */
void show_mask(int mask)
{
    for (int v = 0; v <= SIZE; v++)
        printf("%d", (mask >> v) & 1);
    putchar('\n');
}

/* ============================ Techniques ============================
 *
 * The four rungs of the ladder, cheapest first. Each returns 0 when it made no progress.
 * basic places without propagation and is where the candidate masks catch up with the house
 * masks; the later rungs run only after a basic pass that filled nothing, so every empty
 * cell's mask then lies within its houses, and they propagate each placement at once.
 */

static const char MSG_NOT_POSSIBLE[] = "%d est pas possible en %dx%d\n";

/* Naked singles: narrows every empty cell to its houses and fills those left with one
 * candidate. Returns 1 when a cell was filled, else 0.
 *
 * Only the cells in a house noted since the last pass can change: elsewhere the mask already
 * lies within the houses and holds more or less than one value. A placement notes its houses
 * at once, so the cells after it in the pass that share one are looked at: the rest of its row,
 * and its column and box below. */
__attribute__((flatten)) int basic(sudoku_grid *g)
{
    int unknowns = g->unknowns;
    if (diag("basic", 437))
        puts("Test Basic");
    int rows, cols, boxes;
    take_todo(g, RUNG_BASIC, &rows, &cols, &boxes);
    for (int y = 0; y < SIZE; y++) {
        int todo = rows & (1 << y) ? ALL_HOUSES : cols | columns_of_boxes(boxes, y / SQ);
        for (int x = narrow_row(g, y, g->row_empty[y] & todo); x >= 0;
             x = narrow_row(g, y, g->row_empty[y] & ~((2 << x) - 1))) { /* the rest of the row */
            place(g, x, y, get_first_one_pos(g->mask[x * SIZE + y]), 0);
            cols |= g->todo_cols[RUNG_BASIC]; /* for the rows below */
            boxes |= g->todo_boxes[RUNG_BASIC];
        }
    }
    return g->unknowns != unknowns;
}

/* Adds the values of mask to a tally: seen holds every value met, twice those met again. */
static void tally(int mask, int *seen, int *twice)
{
    *twice |= *seen & mask;
    *seen |= mask;
}

/* Returns the values that exactly one empty cell of row y still has as a candidate. */
static int once_in_row(const sudoku_grid *g, int y)
{
    int seen = 0, twice = 0;
    if (SIZE <= 9) { /* a short row is quicker walked whole than bit by bit */
        for (int x = 0; x < SIZE; x++)
            if (g->cell[x * SIZE + y] == 0)
                tally(g->mask[x * SIZE + y], &seen, &twice);
    } else {
        for (int left = g->row_empty[y]; left != 0; left &= left - 1)
            tally(g->mask[__builtin_ctz(left) * SIZE + y], &seen, &twice);
    }
    return seen & ~twice & ALL_VALUES;
}

/* Four cells' worth of masks, worked on at once (plain SSE2 on x86-64). */
typedef int32_t four_masks __attribute__((vector_size(16)));

/* Returns the values that exactly one empty cell of column x still has as a candidate: as
 * once_in_row, four cells at a time, since a column lies in one piece. */
static int once_in_column(const sudoku_grid *g, int x)
{
    const int32_t *mask = g->mask + x * SIZE, *cell = g->cell + x * SIZE;
    four_masks seen = {0, 0, 0, 0}, twice = {0, 0, 0, 0};
    int k = 0;
    for (; k + 4 <= SIZE; k += 4) {
        four_masks m, c;
        memcpy(&m, mask + k, sizeof m);
        memcpy(&c, cell + k, sizeof c);
        m &= c == 0;
        twice |= seen & m;
        seen |= m;
    }
    int s = 0, t = 0;
    for (int lane = 0; lane < 4; lane++) {
        t |= twice[lane];
        tally(seen[lane], &s, &t);
    }
    for (; k < SIZE; k++)
        if (cell[k] == 0)
            tally(mask[k], &s, &t);
    return s & ~t & ALL_VALUES;
}

/* Hidden singles in rows, then columns: a value that only one empty cell of its row (or
 * column) can take goes there. Returns 1 when a cell was filled, else 0.
 *
 * Each cell takes the lowest of its candidates that is single in its row or its column, as
 * trying the values one by one, row before column, would. A row or column not noted since the
 * last call has no single (one would have been placed then), so only the noted ones are
 * counted, and again the ones a placement changed; a column is counted when the scan first
 * needs it. */
int single_in_row_col(sudoku_grid *g)
{
    int unknowns = g->unknowns;
    if (diag("single_in_row_col", 466))
        puts("Test single_in_row_col ");
    int rows, cols, boxes, with_once = 0; /* with_once: the columns known to have a single */
    take_todo(g, RUNG_ROW_COL, &rows, &cols, &boxes);
    int col_once[SIZE] = {0}, unsure = cols; /* unsure: columns to count before use */
    for (int y = 0; y < SIZE; y++) {
        rows |= g->todo_rows[RUNG_ROW_COL];
        int row_once = rows & (1 << y) && g->row_empty[y] ? once_in_row(g, y) : 0;
        int left = g->row_empty[y] & (row_once != 0 ? ALL_HOUSES : with_once | unsure);
        for (; left != 0; left &= left - 1) {
            int x = __builtin_ctz(left), i = x * SIZE + y;
            if (unsure & (1 << x)) {
                unsure &= ~(1 << x);
                col_once[x] = once_in_column(g, x);
                with_once = col_once[x] != 0 ? with_once | 1 << x : with_once & ~(1 << x);
            }
            int singles = g->mask[i] & (row_once | col_once[x]);
            if (singles == 0)
                continue;
            int noted = g->todo_cols[RUNG_ROW_COL];
            g->todo_cols[RUNG_ROW_COL] = 0;
            place(g, x, y, get_first_one_pos(singles), 1);
            unsure |= g->todo_cols[RUNG_ROW_COL]; /* the columns the placement changed */
            g->todo_cols[RUNG_ROW_COL] |= noted;
            left = g->row_empty[y] & ~((2 << x) - 1); /* the rest of the row */
            row_once = left != 0 ? once_in_row(g, y) : 0;
            left &= row_once != 0 ? ALL_HOUSES : with_once | unsure;
            left |= 1 << x; /* cleared by the loop step */
        }
    }
    return g->unknowns != unknowns;
}

/* Hidden singles in boxes: a value that only one empty cell of a box can take goes there,
 * once the whole box has been scanned. Returns 1 when a cell was filled, else 0.
 *
 * A placement in the box only strikes its own value, so each value single at the scan is
 * still a candidate of its one cell afterwards, unless a lower value filled that cell. A box
 * not noted since the last call has no single (it would have been placed then). */
int single_in_box(sudoku_grid *g)
{
    int unknowns = g->unknowns;
    if (diag("single_in_box", 514))
        puts("Test single_in_box ");
    int boxes = take_boxes(g, RUNG_BOX);
    for (int y0 = 0; y0 < SIZE; y0 += SQ)
        for (int x0 = 0; x0 < SIZE; x0 += SQ) {
            boxes |= g->todo_boxes[RUNG_BOX];
            if (!(boxes & (1 << getsqr(x0, y0))))
                continue;
            int seen = 0, twice = 0;
            for (int y = y0; y < y0 + SQ; y++)
                for (int x = x0; x < x0 + SQ; x++)
                    if (g->cell[x * SIZE + y] == 0)
                        tally(g->mask[x * SIZE + y], &seen, &twice);
            for (int once = seen & ~twice & ALL_VALUES; once != 0; once &= once - 1) {
                int v = get_first_one_pos(once);
                for (int y = y0; y < y0 + SQ; y++)
                    for (int x = x0; x < x0 + SQ; x++)
                        if (g->cell[x * SIZE + y] == 0 && (g->mask[x * SIZE + y] & (1 << v)))
                            place(g, x, y, v, 1);
            }
        }
    return g->unknowns != unknowns;
}

/* Strikes v from the empty cells of column x (of row y when x is negative) that lie outside
 * the box which starts at first along that line and whose candidates point along it. Returns
 * the number struck. */
static int strike_line(sudoku_grid *g, int v, int x, int y, int first, int line)
{
    int targets = 0, struck = 0; /* targets: the empty cells of the line that have v, by
                                    position along it */
    for (int k = 0; k < SIZE; k++) {
        int i = x >= 0 ? x * SIZE + k : k * SIZE + y;
        targets |= (g->mask[i] >> v & (g->cell[i] == 0)) << k;
    }
    targets &= ~(BAND << first);
    for (int left = targets; left != 0; left &= left - 1) {
        int k = __builtin_ctz(left), cx = x >= 0 ? x : k, cy = x >= 0 ? k : y;
        if (diag("pointing_pairs", line))
            printf(MSG_NOT_POSSIBLE, v, cx, cy);
        strike(g, cx, cy, v);
        struck++;
    }
    return struck;
}

/* Pointing pairs and triples: when the two or three cells of a box that can take a value lie
 * on one line, the value leaves the rest of that line. Returns the number of candidates
 * struck.
 *
 * The cells of a box on that line that are not candidates lack the value already, so the
 * strike may pass over the whole box; and it changes no cell of the box, so a box is sized
 * up once, for all values: per value, how many of its empty cells take it (counted in
 * bit-sliced ones, twos and "four or more"), on how many of its rows and columns, and whether
 * a cell holds it. A box not noted since the last call is passed over: its strikes were made
 * then, and candidates never come back. */
int pointing_pairs(sudoku_grid *g)
{
    if (diag("pointing_pairs", 577))
        puts("Test Pointing Pairs");
    int struck = 0, boxes = take_boxes(g, RUNG_POINTING);
    for (int y0 = 0; y0 < SIZE; y0 += SQ)
        for (int x0 = 0; x0 < SIZE; x0 += SQ) {
            boxes |= g->todo_boxes[RUNG_POINTING];
            if (!(boxes & (1 << getsqr(x0, y0))))
                continue;
            int held = 0, ones = 0, twos = 0, fours = 0;
            int rows[SQ] = {0}, cols[SQ] = {0};
            for (int r = 0; r < SQ; r++)
                for (int c = 0; c < SQ; c++) {
                    int i = (x0 + c) * SIZE + y0 + r;
                    if (g->cell[i] != 0) {
                        held |= 1 << g->cell[i];
                        continue;
                    }
                    int m = g->mask[i];
                    rows[r] |= m;
                    cols[c] |= m;
                    int carry = ones & m;
                    ones ^= m;
                    fours |= twos & carry;
                    twos ^= carry;
                }
            int one_col = once_in(cols), one_row = once_in(rows);
            int pointing = twos & ~fours & ~held & ALL_VALUES & (one_col | one_row);
            for (; pointing != 0; pointing &= pointing - 1) {
                int v = get_first_one_pos(pointing), bit = 1 << v;
                int triple = ones & bit;
                for (int k = 0; k < SQ; k++) {
                    if ((one_col & bit) && (cols[k] & bit))
                        struck += strike_line(g, v, x0 + k, -1, y0, triple ? 628 : 602);
                    if ((one_row & bit) && (rows[k] & bit))
                        struck += strike_line(g, v, -1, y0 + k, x0, triple ? 640 : 614);
                }
            }
        }
    return struck;
}

/* ============================ Guess and backtrack ============================
 *
 * A guess is a whole copy of the state with one candidate taken as the value of one cell; the
 * state it came from waits unchanged behind it as its parent. Backing out frees the copy and
 * strikes the failed value from the parent, which also inherits the copy's counters.
 */

static const char MSG_GUESS[] = "On choisis arbitrairement de metre %dx%d \340 %d\n";
static const char MSG_BACK_OUT[] = "Annulation du dernier changement ";

/* Returns a new state, child of g, in which the first empty cell with the fewest candidates
 * (2 or more) holds its lowest candidate. g is left as it was. */
sudoku_grid *random_choice(sudoku_grid *g)
{
    sudoku_grid *child = alloc_grid();
    *child = *g;
    int best = SIZE, bx = 0, by = 0;
    for (int y = 0; y < SIZE && best != 2; y++)
        for (int left = child->row_empty[y]; left != 0 && best != 2; left &= left - 1) {
            int x = __builtin_ctz(left), i = x * SIZE + y;
            int n = count_ones(child->mask[i]);
            if (n >= 2 && n < best) {
                best = n;
                bx = x;
                by = y;
            }
        }
    int v = get_first_one_pos(child->mask[bx * SIZE + by]);
    if (diag("random_choice", 684))
        printf(MSG_GUESS, bx, by, v);
    place(child, bx, by, v, 1);
    child->last_x = bx;
    child->last_y = by;
    child->last_value = v;
    child->parent = g;
    return child;
}

/* Drops g, makes its parent the current state, strikes the failed guess there and merges the
 * counters. g must have a parent. */
void cancel_random_choice(sudoku_grid *g, sudoku_grid **current)
{
    sudoku_grid *p = g->parent;
    if (diag("cancel_random_choice", 705))
        puts(MSG_BACK_OUT);
    *current = p;
    p->tests += g->tests;
    strike(p, g->last_x, g->last_y, g->last_value);
    p->forks += g->forks;
    free(g);
}

/* ============================ Solve loop ============================
 *
 * Each pass works on the newest state: the first rung of the ladder that makes progress ends
 * the pass; when none does, a sound state is guessed on and a broken one is backed out of.
 *
 * A stalled state is checked for empty cells without candidates alone: no value can stand
 * twice in a house of a state the loop reached, since the given grid passed the whole check
 * and every placement takes a value that its houses still miss (naked singles intersect the
 * house masks; the later rungs and the guess run after a naked-singles pass that filled
 * nothing, so each empty cell's candidates lie within its houses, and they propagate).
 *
 * The loop always ends. Every pass either fills a cell, strikes a candidate, adds a guess
 * (which fills a cell of a copy) or backs out (which strikes the failed guess from the
 * parent); none of these ever gives a candidate back to a state that stays. A state thus only
 * moves towards fewer candidates and filled cells, there are finitely many candidates, and
 * each guess in force holds one more filled cell, so the tree of guesses is finite and is
 * walked at most once.
 *
 * A state is backed out of exactly when it has no solution (filled cells kept, each empty cell
 * given one of its candidates, no value twice in a house). Every rung, and every back-out,
 * strikes only candidates that no solution uses, so a state with a solution never comes to an
 * empty cell without candidates and the search finds a solution inside it; a state without
 * one can never be completed, so the search leaves it in the end.
 */

#ifdef SUDOKU_PASS_BUDGET
/* Fuzzing builds bound the passes of one solve (a grid without a solution may need an
 * exhaustive search that takes hours) and abort at a pass that changes nothing, which would
 * be a loop that never ends. */
static long passes_left;

/* Returns the number of candidates of the empty cells of g. */
static long candidates_left(const sudoku_grid *g)
{
    long n = 0;
    for (int i = 0; i < NB_CELLS; i++)
        if (g->cell[i] == 0)
            n += count_ones(g->mask[i]);
    return n;
}
#endif

/* What one pass of the solve loop did. From PASS_NO_SOLUTION on, the solve is over. */
enum { PASS_RUNG, PASS_BACK_OUT, PASS_GUESS, PASS_NO_SOLUTION, PASS_OUTPUT_LOST, PASS_OVER_BUDGET };

/* Makes one pass on the newest state *current of the chain that starts at g: shows it as the
 * verbose level asks, tries the four rungs in order, and when none makes progress backs out
 * of a broken state, or guesses, copying the stalled state into stalled first if given.
 * Returns what it did: PASS_NO_SOLUTION when g itself is broken, PASS_OUTPUT_LOST when the
 * steps shown so far could not be written (a failed write leaves nothing to do). */
static int solve_pass(sudoku_grid *g, sudoku_grid **current, sudoku_grid *stalled)
{
    sudoku_grid *s = *current;
    if (verbose >= 2)
        show_nice_grid(s);
    if (verbose >= 1) {
        show_infos(s);
        if (ferror(stdout))
            return PASS_OUTPUT_LOST;
    }
    if (basic(s))
        s->tests += 1;
    else if (single_in_row_col(s))
        s->tests += 2;
    else if (single_in_box(s))
        s->tests += 3;
    else if (pointing_pairs(s))
        s->tests += 4;
    else if (check_candidates(s)) {
        if (s == g)
            return PASS_NO_SOLUTION;
        cancel_random_choice(s, current);
        return PASS_BACK_OUT;
    } else {
        if (stalled != nullptr)
            *stalled = *s;
        s->forks += 1;
        *current = random_choice(s);
        (*current)->tests += 5;
        return PASS_GUESS;
    }
    return PASS_RUNG;
}

/* solve_pass, within the fuzzing builds' bound. */
static int take_pass(sudoku_grid *g, sudoku_grid **current, sudoku_grid *stalled)
{
#ifdef SUDOKU_PASS_BUDGET
    const sudoku_grid *before = *current;
    int unknowns = before->unknowns;
    long left = candidates_left(before);
    int did = solve_pass(g, current, stalled);
    if (did >= PASS_NO_SOLUTION)
        return did;
    if (*current == before && before->unknowns == unknowns && candidates_left(before) == left)
        abort();
    return --passes_left < 0 ? PASS_OVER_BUDGET : did;
#else
    return solve_pass(g, current, stalled);
#endif
}

/* Starts the fuzzing builds' bound for one solve. */
static void start_passes(void)
{
#ifdef SUDOKU_PASS_BUDGET
    passes_left = SUDOKU_PASS_BUDGET;
#endif
}

/* Frees the states of the chain above g, from current down; returns g. */
static sudoku_grid *drop_down_to(sudoku_grid *g, sudoku_grid *current)
{
    while (current != g) {
        sudoku_grid *parent = current->parent;
        free(current);
        current = parent;
    }
    return g;
}

/* Ends a solve that found no solution of g, or whose steps could not be written: frees the
 * chain above g, from current down. Returns null, the solve's answer. */
static sudoku_grid *give_up(sudoku_grid *g, sudoku_grid *current)
{
    drop_down_to(g, current);
    return nullptr;
}

/* Returns the solved state, the head of the chain that leads back to g; or null when g itself
 * turns out to have no solution, or when the steps it shows cannot be written (it stops at the
 * first pass after a failed write), the chain then being g alone. g must pass check_grid. */
sudoku_grid *resolv(sudoku_grid *g)
{
    start_passes();
    sudoku_grid *current = g;
    while (current->unknowns != 0)
        if (take_pass(g, &current, nullptr) >= PASS_NO_SOLUTION)
            return give_up(g, current);
    return current;
}

/* ============================ Walks that leave out what is not shown ============================
 *
 * A run whose output shows neither the steps nor the counters (a default run) prints only the
 * grid that resolv ends on, and a run that shows the counters but not the steps (a framed run)
 * prints that grid and the counters. Each walks only as much of resolv's path as that takes.
 *
 * The default run's walk asks an exact solver (exact.cpp), every `every` passes after the first
 * guess, which states of the chain have a solution, and leaves the oldest without one at once
 * (drop_dead_branch). resolv backs out of a state exactly when it has none, so the states this
 * walk keeps, their guesses and the grid it ends on are resolv's; only the counters differ.
 *
 * The framed run's walk goes as resolv does until the counters are settled. A back-out adds the
 * dropped state's counters to its parent's, and the dropped state began as a copy of the
 * parent, so each back-out at least doubles them: on a long walk they soon overflow to
 * infinity. From the pass where both of the current state's are infinite, every later current
 * state has both infinite too (a guess copies them, a pass adds to them, a back-out adds the
 * child's to the parent's), so the output can only read "inf" for both, and only the grid is
 * left to find: the walk starts again from the root as its first guess found it, with
 * infinite counters, and goes on as the default run's walk, which comes to that same state by
 * the same passes, as it asks nothing before the first guess. Before that, the only thing it
 * asks is whether the root has a solution at all, once, ROOT_DELAY times `every` passes after
 * the first guess: a grid without one prints no counters, and on a grid that has one, which
 * most have, the answer saves nothing, so only walks long enough to make it cheap pay for it.
 */

#ifdef SUDOKU_NO_MAIN
/* The hook of the builds for tests and fuzzing (tests/unit/helpers.h): the options of the
 * walks' exact runs, strict there, as an engine that errs is a fault to report. */
exact_options walk_options = EXACT_STRICT;
#else
constexpr exact_options walk_options = EXACT_DEFAULTS;
#endif

/* Returns 1 when the state g has a solution, 0 when it has none, or EXACT_NO_ENGINE when the
 * exact solver can no longer say. known holds a solution of g's parent (of nothing, at the
 * root); the exact solver is asked only when that one does not go through g's guess, and then
 * puts one of g's solutions in known. */
static int has_solution(const sudoku_grid *g, int32_t *known, exact_run *run)
{
    if (g->parent != nullptr && known[g->last_x * SIZE + g->last_y] == g->last_value)
        return 1;
    int found = exact_ask(run, g->cell, g->mask, known);
    if (found == EXACT_NO_MEMORY)
        out_of_memory();
    return found;
}

/* Returns 1 when both counters of g are infinite, and so settled for every state the walk comes
 * to from g on. Only a back-out, which adds two counters, can make them overflow. */
static int counters_settled(const sudoku_grid *g)
{
    return std::isinf(g->tests) && std::isinf(g->forks);
}

/* Backs out of the oldest state without a solution in the chain that ends at current, first
 * dropping the states above it; *sound is the newest state known to have a solution (null for
 * none yet), known one of its solutions, and both move up as far as the chain has solutions.
 * When root_only, only the root g is judged. Returns the new current state, or null, the chain
 * dropped down to g, when g has no solution. */
static sudoku_grid *drop_dead_branch(sudoku_grid *g, sudoku_grid *current, sudoku_grid **sound,
                                     int32_t *known, exact_run *run, int root_only)
{
    if (root_only && *sound != nullptr)
        return current;
    /* the run's root: g as it stands, from which every state asked about derives */
    exact_move_root(run, g->cell, g->mask);
    sudoku_grid *chain[NB_CELLS + 1]; /* newest first, down to *sound (or to g, when there is
                                         none, or it had gone): a state per guess */
    int n = 0, found = 1;
    for (sudoku_grid *s = current; s != *sound && s != nullptr; s = s->parent)
        chain[n++] = s;
    int k = n - 1, last = root_only ? n - 1 : 0; /* judged from the oldest: a solution of each
                                                     state helps to judge the next */
    while (k >= last && (found = has_solution(chain[k], known, run)) == 1)
        *sound = chain[k--];
    if (k < last || found == EXACT_NO_ENGINE)
        return current;
    for (int j = 0; j < k; j++)
        free(chain[j]);
    if (chain[k] == g)
        return nullptr;
    cancel_random_choice(chain[k], &current);
    return current;
}

/* What a walk asks as it goes: the exact solver's run, room for a solution, the newest state
 * known to have one, and the passes left before it asks again. */
struct asking {
    exact_run *run;
    int32_t *known; /* null once no engine is left to ask: the walk goes on alone */
    sudoku_grid *sound;
    long patience;
};

/* Counts a pass down to the next question and, at it, leaves the oldest dead state of the
 * chain (only the root judged, when root_only); patience starts again at every. Returns the
 * new current state, or null when g has no solution (the chain dropped down to g). */
static sudoku_grid *ask_in_time(sudoku_grid *g, sudoku_grid *current, asking *a, long every,
                                int root_only)
{
    if (a->known == nullptr || --a->patience != 0)
        return current;
    current = drop_dead_branch(g, current, &a->sound, a->known, a->run, root_only);
    if (a->run->trusted == 0)
        a->known = nullptr;
    a->patience = every;
    return current;
}

/* The default run's walk, from g as no guess has touched it yet. */
static sudoku_grid *walk_leaving_dead_branches(sudoku_grid *g, asking *a, long every)
{
    sudoku_grid *current = g;
    int guessed = 0;
    a->sound = nullptr;
    a->patience = every;
    while (current->unknowns != 0) {
        int did = take_pass(g, &current, nullptr);
        if (did >= PASS_NO_SOLUTION)
            return give_up(g, current);
        guessed |= did == PASS_GUESS;
        if (guessed && (current = ask_in_time(g, current, a, every, 0)) == nullptr)
            return nullptr;
    }
    return current;
}

/* Overwrites the root g, its caller's, with first_guess, the root as its first guess found it,
 * with infinite counters; the chain above g is freed. */
static void restart_root_settled(sudoku_grid *g, sudoku_grid *current,
                                 const sudoku_grid *first_guess)
{
    drop_down_to(g, current);
    *g = *first_guess;
    g->tests = g->forks = HUGE_VAL;
}

/* The framed run's walk, from g: resolv's until the counters are settled, then the default
 * run's from g as its first guess found it (g overwritten). */
static sudoku_grid *walk_until_settled(sudoku_grid *g, asking *a, long every)
{
    sudoku_grid *current = g, first_guess;
    int guessed = 0;
    a->sound = nullptr;
    a->patience = every * ROOT_DELAY;
    while (current->unknowns != 0) {
        int did = take_pass(g, &current, guessed ? nullptr : &first_guess);
        if (did >= PASS_NO_SOLUTION)
            return give_up(g, current);
        if (did == PASS_BACK_OUT && a->known != nullptr && counters_settled(current)) {
            restart_root_settled(g, current, &first_guess);
            return walk_leaving_dead_branches(g, a, every);
        }
        guessed |= did == PASS_GUESS;
        if (guessed && (current = ask_in_time(g, current, a, every, 1)) == nullptr)
            return nullptr;
    }
    return current;
}

typedef sudoku_grid *walk(sudoku_grid *g, asking *a, long every);

/* Runs the walk on g with an exact solver's run of its own. */
static sudoku_grid *walk_asking(sudoku_grid *g, long every, walk *w)
{
    int32_t known[NB_CELLS];
    exact_run run = exact_begin(g->cell, g->mask, &walk_options);
    asking a = {&run, known, nullptr, 0}; /* sound and patience: set by the walk */
    start_passes();
    sudoku_grid *solved = w(g, &a, every);
    exact_end(&run);
    return solved;
}

/* Returns the state that resolv returns, or null where it does, for runs that show neither the
 * steps nor the counters. The exact solver is asked every `every` passes after the first
 * guess: PATIENCE, about what one call costs, lets the many grids solved sooner pay for none. */
sudoku_grid *resolv_direct(sudoku_grid *g, long every)
{
    return walk_asking(g, every, walk_leaving_dead_branches);
}

/* Returns the state that resolv returns, with the counters it prints, or null where resolv
 * does, for runs that show the counters but not the steps. g may be overwritten by the root as
 * its first guess found it (see the section's comment). */
sudoku_grid *resolv_counted(sudoku_grid *g, long every)
{
    return walk_asking(g, every, walk_until_settled);
}

/* ============================ Puzzle maker ============================
 *
 * Blanks each cell of a solved state with the chance level/6, one draw per cell in reading
 * order. The state is only printed afterwards, so nothing but the cell and its mask is reset.
 */

/* Blanks cells of g at random, more of them the higher the level (1 to 5). */
void offusc_grid(sudoku_grid *g, unsigned level)
{
    srand(static_cast<unsigned>(time(nullptr)));
    for (int y = 0; y < SIZE; y++)
        for (int x = 0; x < SIZE; x++)
            if (static_cast<unsigned>(rand() % 6) < level) {
                g->mask[x * SIZE + y] = ALL_VALUES;
                set_case(g, x, y, 0, 1);
            }
}

/* ============================ Driver ============================
 *
 * Options first, all of them, then one fixed sequence: read, show, check, solve, make, print,
 * release. Every failure it detects ends the run with status 1.
 */

static const char OPTSTRING[] = "hnsm:v:";
static const char MSG_UNKNOWN_OPTION[] = "Option inconnue:  %c\n";
static const char MSG_USAGE[] =
    "Usage: %s [-n] [-s|-m diff_lvl] [-v verbose_lvl]\n"
    "\t-n\t\tAfficher la grille avec les d\351corations\n"
    "\t-s\t\tR\351soudre (Par defaut)\n"
    "\t-m diff_lvl\tCr\351er une grille de difficult\351e diff_lvl {1,..,5}\n\n"
    "\t-v verbose_lvl\tNiveau de Verbose: {1,2,3,4}\n";
static const char MSG_IMPOSSIBLE[] = "Grille Impossible\n";
static const char MSG_WRITE_ERROR[] = "Erreur d'\351criture sur la sortie standard\n";
static const char *const DEFAULT_NAME = SQ == 3 ? "sudoku9" : SQ == 4 ? "sudoku16" : "sudoku25";

#ifdef SUDOKU_NO_MAIN
int framed_leaves_dead_branches = 1; /* the unit tests' hook (tests/unit/helpers.h) */
#else
constexpr int framed_leaves_dead_branches = 1;
#endif

/* Solves the root, walking as much of the search as the output shows: every step (-v), the
 * counters (-n), or only the grid. Returns what resolv returns. */
static sudoku_grid *solve_as_shown(sudoku_grid *root, int framed)
{
    if (verbose != 0)
        return resolv(root);
    if (!framed)
        return resolv_direct(root, PATIENCE);
    return framed_leaves_dead_branches ? resolv_counted(root, PATIENCE) : resolv(root);
}

/* Returns 1 when standard output, flushed, has failed to take a write. */
static int output_failed(void)
{
    return fflush(stdout) != 0 || ferror(stdout);
}

/* Parses the options, setting verbose, *framed (-n) and *level (the last accepted -m, 0 for
 * none). Returns the number of refused or unknown options and of -h. */
static int parse_options(int argc, char **argv, int *framed, int *level)
{
    int errors = 0, solves = 0, makes = 0;
    verbose = 0;
    opterr = 0;
    int c;
    while ((c = getopt(argc, argv, OPTSTRING)) != -1) {
        switch (c) {
        case 'h':
            errors++;
            break;
        case 'n':
            *framed = 1;
            break;
        case 's':
            if (makes != 0)
                errors++;
            else
                solves++;
            break;
        case 'm': {
            long value = strtol(optarg, nullptr, 10);
            if (solves != 0 || value < 1 || value > 5) {
                errors++;
            } else {
                makes++;
                *level = static_cast<int>(value);
            }
            break;
        }
        case 'v': {
            long value = strtol(optarg, nullptr, 10);
            if (value < 1 || value > 4)
                errors++;
            else
                verbose = static_cast<int>(value);
            break;
        }
        default:
            printf(MSG_UNKNOWN_OPTION, optopt);
            errors++;
            break;
        }
    }
    return errors;
}

/* Runs the program once; returns the exit status. */
int sudoku_main(int argc, char **argv)
{
    int level = 0, framed = 0;
    if (parse_options(argc, argv, &framed, &level) != 0) {
        error_message(MSG_USAGE, argc > 0 && argv[0] != nullptr ? argv[0] : DEFAULT_NAME);
        return 1;
    }

    sudoku_grid *root = init_grid();
    if (parse_in(root) != 0) {
        free_sudoku(root);
        return 1;
    }
    if (verbose >= 2)
        show_nice_grid(root);
    if (check_grid(root) != 0) {
        free_sudoku(root);
        error_message(MSG_IMPOSSIBLE);
        return 1;
    }
    sudoku_grid *solved = solve_as_shown(root, framed);
    if (solved == nullptr) { /* no solution, or the steps shown could not be written */
        free_sudoku(root);
        error_message(output_failed() ? MSG_WRITE_ERROR : MSG_IMPOSSIBLE);
        return 1;
    }
    if (level != 0)
        offusc_grid(solved, static_cast<unsigned>(level));
    if (framed)
        show_nice_grid(solved);
    else
        show_grid(solved);
    free_sudoku(solved);
    if (output_failed()) {
        error_message(MSG_WRITE_ERROR);
        return 1;
    }
    return 0;
}

#ifndef SUDOKU_NO_MAIN
int main(int argc, char **argv)
{
    return sudoku_main(argc, argv);
}
#endif
