/* Small tools for the unit tests: states read from text through the real reader, and the
 * standard output of a call captured as a string. */
#ifndef TEST_HELPERS_H
#define TEST_HELPERS_H

#include "exact.h"
#include "sudoku.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct grid_deleter {
    void operator()(sudoku_grid *g) const
    {
        free_sudoku(g);
    }
};
using grid_ptr = std::unique_ptr<sudoku_grid, grid_deleter>;

/* Sets verbose for one scope and puts it back to 0 after. */
struct verbose_level {
    explicit verbose_level(int level)
    {
        verbose = level;
    }
    ~verbose_level()
    {
        verbose = 0;
    }
};

/* Runs fn in a child process in which the state allocation past the first `states` ends the
 * process at once; returns 1 after putting what fn returned in *out, or 0 when it ran out. */
int run_within(long states, const std::function<std::string()> &fn, std::string *out);

/* What a whole run of the program printed, and its exit status. */
struct main_result {
    std::string out, err;
    int status;
};

/* Runs sudoku_main with args (the program's name first) and input as standard input. */
main_result run_main(const std::vector<std::string> &args, const std::string &input);

/* Runs parse_in on a fresh root with text as standard input; *result gets its result. */
grid_ptr read_text(const std::string &text, int *result = nullptr);

/* A heap copy of a state, for a second solve of the same grid. */
grid_ptr copy_of(const sudoku_grid *g);

/* Everything fn writes on standard output (or on standard error). */
std::string capture_stdout(const std::function<void()> &fn);
std::string capture_stderr(const std::function<void()> &fn);

/* The character of value v in the grid text (v = 0 gives ZERO_CHAR). */
char value_char(int v);

/* A complete valid grid as text, one line: each row shifted from the one above. */
std::string solved_text();

/* The value of (x, y) in solved_text(). */
int solved_value(int x, int y);

/* text with cell (x, y) set to v (0 = empty). */
std::string with_cell(std::string text, int x, int y, int v);

/* A fixed stream of numbers for generated grids (splitmix64), the same on every machine. */
struct test_random {
    uint64_t state;
    int below(int n); /* 0 to n - 1 */
};

/* A complete valid grid, values in reading order (y * SIZE + x): solved_text() with its
 * values renamed, its rows shuffled within and by bands, its columns within and by stacks,
 * and transposed half the time. */
std::vector<int> random_solution(test_random *r);

/* A random_solution, put in *full when asked, with its cells blanked at one random rate that
 * keeps from least per mille of them up to all. */
std::vector<int> random_puzzle(test_random *r, int least, std::vector<int> *full = nullptr);

/* The grid text of values in reading order (0 = empty). */
std::string text_of(const std::vector<int> &values);

/* Access to cell (x, y) of a state. */
inline int32_t &cell_at(sudoku_grid *g, int x, int y)
{
    return g->cell[x * SIZE + y];
}
inline int32_t &mask_at(sudoku_grid *g, int x, int y)
{
    return g->mask[x * SIZE + y];
}

/* Makes the next state allocations fail (for the out-of-memory path). */
extern bool fail_allocations;

/* The blocks of a state's size that malloc has handed out so far: one per guess. */
extern long state_allocations;

/* Makes operator new throw, as it does when memory runs out (for the learner's), or throw
 * something else, as a library may on other failures. */
extern bool fail_new;
extern bool fail_new_otherwise;

/* What time() returns while not negative, so that the maker draws a known sequence. */
extern long fixed_time;

/* Makes pthread_create fail, as it does when the system is out of threads. */
extern bool fail_threads;

/* The threads pthread_create has made. */
extern int threads_made;

/* The program's hooks, in the builds for tests alone: the options of the exact runs its walks
 * make, strict unless a test says otherwise; and framed_leaves_dead_branches, 0 to make a
 * framed run without steps walk every branch, as a run with steps does, so that its output can
 * be compared with the shortcut's. */
extern exact_options walk_options;
extern int framed_leaves_dead_branches;

#endif
