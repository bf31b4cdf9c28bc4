/* An exact solver: whether a state has a solution, found by depth-first search.
 *
 * Each cell holds a set of candidates, one bit per value. Placing a value strikes it from the
 * cell's peers, and a peer left with one candidate is placed in turn; a value that only one
 * cell of a row, column or box can take is placed there; and a value that a box can take only
 * on one line (or a line only in one box) leaves the rest of that line (or box). Once the
 * search has met a contradiction it also matches, in each changed house, the empty cells to
 * the values the house misses, one each, and strikes every candidate that no such matching
 * can use (naked and hidden pairs, triples and so on). When nothing more follows, it tries
 * each candidate of one cell on a copy of the board: a cell with few candidates, in houses
 * where contradictions have come up often. It stops only at a solution or when every branch
 * has failed, so its answer is exact.
 */
#include "exact.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h> /* mallopt */
#endif

constexpr int NB_HOUSES = 3 * SIZE; /* rows, then columns, then boxes */
constexpr int PLACED = 1;           /* bit 0 of a cell's set: the cell holds its one value */
constexpr int GAVE_UP = 2;          /* a search's answer past its limit of contradictions */

/* The cells of every house, by index x * SIZE + y, and the houses of every cell. */
struct houses {
    int16_t cells[NB_HOUSES][SIZE];
    int8_t of[NB_CELLS][3];
};

static constexpr houses make_houses()
{
    houses h{};
    for (int house = 0; house < NB_HOUSES; house++)
        for (int j = 0; j < SIZE; j++) {
            int i = house_cell(house, j);
            h.cells[house][j] = static_cast<int16_t>(i);
            h.of[i][house / SIZE] = static_cast<int8_t>(house);
        }
    return h;
}
static constexpr houses HOUSES = make_houses();

/* A set of houses: one bit per row, per column and per box. */
struct house_set {
    int32_t bits[3];
};

/* One node of the search. */
struct board {
    int32_t cand[NB_CELLS]; /* candidates of each cell; a filled cell: its value and PLACED */
    house_set changed;      /* houses whose candidates changed, for singles */
    house_set unmatched;    /* the same, for the matching */
    int unlocked[2];        /* rows (0) and columns (1) changed since locked last looked */
    int left;               /* cells not filled */
};

/* The whole search: a board per level, and the contradictions met, in all and by house. */
struct search {
    board *level;
    long contradictions;
    long limit;                   /* contradictions allowed; negative: no limit */
    const std::atomic<int> *stop; /* once set, the search gives up; or null */
    long weight[NB_HOUSES];
};

/* Returns, and takes out of the set, its first house; -1 when it is empty. */
static int take_house(house_set *s)
{
    for (int d = 0; d < 3; d++)
        if (s->bits[d] != 0) {
            int k = __builtin_ctz(s->bits[d]);
            s->bits[d] &= s->bits[d] - 1;
            return d * SIZE + k;
        }
    return -1;
}

/* Returns 1 when the set holds no house. */
static int no_house(const house_set *s)
{
    return (s->bits[0] | s->bits[1] | s->bits[2]) == 0;
}

/* Notes that the candidates of cell i changed. */
static void touch(board *b, int i)
{
    for (int d = 0; d < 3; d++) {
        int bit = 1 << (HOUSES.of[i][d] - d * SIZE);
        b->changed.bits[d] |= bit;
        b->unmatched.bits[d] |= bit;
        if (d < 2)
            b->unlocked[d] |= bit;
    }
}

/* Returns 0 after counting a contradiction in house h. */
static int fail(search *s, int h)
{
    s->contradictions++;
    s->weight[h]++;
    return 0;
}

/* Fills cell i with v and strikes v from its peers, filling in turn each peer left with one
 * candidate. Returns 0 on a contradiction: a peer left with none, or v already in a house. */
static int fill(search *s, board *b, int i, int v)
{
    int16_t queue[NB_CELLS]; /* cells left with one candidate, still to fill */
    int n = 0;
    b->cand[i] = 1 << v;
    queue[n++] = static_cast<int16_t>(i);
    while (n > 0) {
        int c = queue[--n], bit = b->cand[c];
        b->cand[c] = bit | PLACED;
        b->left--;
        touch(b, c);
        for (int d = 0; d < 3; d++)
            for (int p : HOUSES.cells[HOUSES.of[c][d]]) {
                if (p == c || !(b->cand[p] & bit))
                    continue;
                if (b->cand[p] & PLACED)
                    return fail(s, HOUSES.of[c][d]);
                b->cand[p] &= ~bit;
                touch(b, p);
                if (b->cand[p] == 0)
                    return fail(s, HOUSES.of[c][d]);
                if (single_value(b->cand[p]))
                    queue[n++] = static_cast<int16_t>(p);
            }
    }
    return 1;
}

/* Strikes the values of bits from cell i (of house h), filling it when one is left. Returns 0
 * on a contradiction. */
static int strike(search *s, board *b, int i, int bits, int h)
{
    if ((b->cand[i] & PLACED) || !(b->cand[i] & bits))
        return 1;
    b->cand[i] &= ~bits;
    touch(b, i);
    if (b->cand[i] == 0)
        return fail(s, h);
    return !single_value(b->cand[i]) || fill(s, b, i, __builtin_ctz(b->cand[i]));
}

/* Fills each value that only one empty cell of house h can take. Returns 0 on a
 * contradiction: a value that no cell can take, or two that need the same cell. */
static int singles(search *s, board *b, int h)
{
    const int16_t *house = HOUSES.cells[h];
    int seen = 0, twice = 0, placed = 0;
    for (int k = 0; k < SIZE; k++) {
        int set = b->cand[house[k]], filled = -(set & PLACED); /* all ones when filled */
        placed |= set & filled;
        twice |= seen & set & ~filled;
        seen |= set & ~filled;
    }
    if (((seen | placed) & ALL_VALUES) != ALL_VALUES)
        return fail(s, h);
    for (int once = seen & ~twice & ~placed; once != 0; once &= once - 1) {
        int bit = once & -once, k = 0;
        while (k < SIZE && !(b->cand[house[k]] & bit))
            k++;
        if (k == SIZE)
            return fail(s, h); /* its one cell took another value */
        if (!(b->cand[house[k]] & PLACED) && !fill(s, b, house[k], __builtin_ctz(bit)))
            return 0;
    }
    return 1;
}

/* Matches variable k to one of its options (dom[k]), moving earlier matches along a path
 * that ends at an option no variable holds yet: owner[o] is the variable that holds option o,
 * taken the options held. Returns 0 when there is no such path. */
static int match(int k, const int *dom, int *owner, int *taken, int *visited)
{
    for (int left = dom[k] & ~*visited; left != 0; left &= left - 1) {
        int o = __builtin_ctz(left);
        *visited |= 1 << o;
        if (!(*taken >> o & 1) || match(owner[o], dom, owner, taken, visited)) {
            owner[o] = k;
            *taken |= 1 << o;
            return 1;
        }
    }
    return 0;
}

/* Returns the options reached from those of start, inside within, where option o leads to
 * every option in next[o]. */
static int forward(const int *next, int start, int within)
{
    int seen = start, todo = start;
    while (todo != 0) {
        int o = __builtin_ctz(todo);
        todo &= todo - 1;
        int more = next[o] & within & ~seen;
        todo |= more;
        seen |= more;
    }
    return seen;
}

/* Returns the options that reach one of start, inside within, along the arrows of next. */
static int backward(const int *next, int start, int within)
{
    int seen = start;
    for (int grown = 1; grown;) {
        grown = 0;
        for (int left = within & ~seen; left != 0; left &= left - 1) {
            int o = __builtin_ctz(left);
            if (next[o] & seen) {
                seen |= 1 << o;
                grown = 1;
            }
        }
    }
    return seen;
}

/* Given m variables, each with its options (bits 1 to SIZE, m options in all), to take
 * different options: returns 0 when they cannot all; else writes in dead[k] the options of k
 * that no complete matching uses. Once one matching is found, the option a variable holds
 * leads to each other option of that variable; an option o of k belongs to some complete
 * matching only when o leads back to the option k holds. When every option leads to every
 * other, no option is dead. */
static int matching(int m, const int *dom, int *dead)
{
    int owner[SIZE + 1], next[SIZE + 1], taken = 0;
    for (int k = 0; k < m; k++) {
        int free = dom[k] & ~taken, visited = 0;
        if (free != 0) {
            owner[__builtin_ctz(free)] = k;
            taken |= free & -free;
        } else if (!match(k, dom, owner, &taken, &visited)) {
            return 0;
        }
    }
    if (m == 0)
        return 1;
    int held[SIZE]; /* the option each variable holds */
    for (int left = taken; left != 0; left &= left - 1) {
        int o = __builtin_ctz(left);
        held[owner[o]] = o;
        next[o] = dom[owner[o]];
    }
    int first = taken & -taken;
    if (forward(next, first, taken) == taken && backward(next, first, taken) == taken) {
        for (int k = 0; k < m; k++)
            dead[k] = 0;
        return 1;
    }
    int component[SIZE + 1]; /* of o: the options that o leads to and that lead back to o */
    for (int left = taken; left != 0;) {
        int start = left & -left;
        int c = forward(next, start, left) & backward(next, start, left);
        for (int in = c; in != 0; in &= in - 1)
            component[__builtin_ctz(in)] = c;
        left &= ~c;
    }
    for (int k = 0; k < m; k++)
        dead[k] = dom[k] & ~component[held[k]];
    return 1;
}

int exact_dead_options(int m, const int *dom, int *dead)
{
    return matching(m, dom, dead);
}

/* Strikes from the empty cells of house h the candidates that no matching of them to the
 * values the house misses can use. Returns 0 on a contradiction. */
static int match_house(search *s, board *b, int h)
{
    int cells[SIZE], dom[SIZE], dead[SIZE], m = 0;
    for (int i : HOUSES.cells[h])
        if (!(b->cand[i] & PLACED)) {
            cells[m] = i;
            dom[m++] = b->cand[i];
        }
    if (!matching(m, dom, dead))
        return fail(s, h);
    for (int k = 0; k < m; k++)
        if (dead[k] != 0 && !strike(s, b, cells[k], dead[k], h))
            return 0;
    return 1;
}

/* Returns the cell at place j of line (a row when d is 0, a column when 1). */
static int cell_of(int d, int line, int j)
{
    return d == 0 ? j * SIZE + line : line * SIZE + j;
}

/* Strikes values from the cells where line (a row when d is 0, a column when 1) meets the box
 * at place k along it. Returns 0 on a contradiction. */
static int strike_segment(search *s, board *b, int d, int line, int k, int values)
{
    for (int j = k * SQ; j < k * SQ + SQ; j++)
        if (!strike(s, b, cell_of(d, line, j), values, d * SIZE + line))
            return 0;
    return 1;
}

/* Locked candidates: a value that a line can take only in one box leaves the rest of that box,
 * and a value that a box can take only on one line leaves the rest of that line. Returns 0 on
 * a contradiction. */
static int locked(search *s, board *b)
{
    int seg[2][SIZE][SQ]; /* candidates where a row (0) or column (1) meets the box at place k */
    int dirty[2];         /* bands of SQ lines changed since the last look; in the others this look
                             would strike nothing, as the last one struck nothing there */
    for (int d = 0; d < 2; d++) {
        dirty[d] = 0;
        for (int band = 0; band < SQ; band++)
            if (b->unlocked[d] >> (band * SQ) & ((1 << SQ) - 1))
                dirty[d] |= 1 << band;
        b->unlocked[d] = 0;
        for (int line = 0; line < SIZE; line++)
            if (dirty[d] >> (line / SQ) & 1)
                for (int k = 0; k < SQ; k++) {
                    seg[d][line][k] = 0;
                    for (int j = k * SQ; j < k * SQ + SQ; j++) {
                        int set = b->cand[cell_of(d, line, j)];
                        seg[d][line][k] |= set & PLACED ? 0 : set;
                    }
                }
    }
    for (int d = 0; d < 2; d++)
        for (int line = 0; line < SIZE; line++) {
            if (!(dirty[d] >> (line / SQ) & 1))
                continue;
            int one = once_in(seg[d][line]), first = line / SQ * SQ;
            for (int k = 0; k < SQ; k++)
                for (int other = first; other < first + SQ; other++) {
                    int values = one & seg[d][line][k] & seg[d][other][k];
                    if (other != line && values != 0 && !strike_segment(s, b, d, other, k, values))
                        return 0;
                }
        }
    for (int d = 0; d < 2; d++)
        for (int band = 0; band < SQ; band++) {
            if (!(dirty[d] >> band & 1))
                continue;
            for (int k = 0; k < SQ; k++) { /* the box at place k along the lines of band */
                int sets[SQ];
                for (int j = 0; j < SQ; j++)
                    sets[j] = seg[d][band * SQ + j][k];
                int one = once_in(sets);
                for (int j = 0; j < SQ; j++)
                    for (int other = 0; other < SQ; other++) {
                        int line = band * SQ + j, values = one & sets[j] & seg[d][line][other];
                        if (other != k && values != 0 &&
                            !strike_segment(s, b, d, line, other, values))
                            return 0;
                    }
            }
        }
    return 1;
}

/* Draws the consequences of the board's changes: singles in each changed house, then (after
 * the first contradiction of the search) the matching of each, then locked candidates, until
 * nothing changes. Returns 0 on a contradiction. */
static int propagate(search *s, board *b)
{
    for (;;) {
        int h = take_house(&b->changed);
        if (h >= 0) {
            if (!singles(s, b, h))
                return 0;
            continue;
        }
        if (s->contradictions > 0 && !no_house(&b->unmatched)) {
            house_set unmatched = b->unmatched;
            b->unmatched = house_set{};
            while ((h = take_house(&unmatched)) >= 0)
                if (!match_house(s, b, h))
                    return 0;
            continue;
        }
        if (!locked(s, b))
            return 0;
        if (no_house(&b->changed))
            return 1;
    }
}

/* Returns the empty cell to branch on: the fewest candidates for the most contradictions in
 * its houses, the first in reading order among equals. */
static int branch_cell(const search *s, const board *b)
{
    int best = -1;
    long best_count = 1, best_weight = 0;
    for (int y = 0; y < SIZE; y++)
        for (int x = 0; x < SIZE; x++) {
            int i = x * SIZE + y;
            if (b->cand[i] & PLACED)
                continue;
            long count = count_values(b->cand[i]), weight = 1;
            for (int d = 0; d < 3; d++)
                weight += s->weight[HOUSES.of[i][d]];
            if (best < 0 || count * best_weight < best_count * weight) {
                best = i;
                best_count = count;
                best_weight = weight;
            }
        }
    return best;
}

/* Returns 1 when the search has met more contradictions than its limit allows, or has been
 * told to stop (which only the learner does). */
static int past_limit(const search *s)
{
    return (s->limit >= 0 && s->contradictions > s->limit) ||
           (EXACT_LEARNER && s->stop != nullptr && s->stop->load(std::memory_order_relaxed) != 0);
}

/* Returns 1 after writing a solution of the board at depth into solution, 0 when it has none,
 * GAVE_UP past the limit of contradictions. */
static int explore(search *s, int depth, int32_t *solution)
{
    board *b = &s->level[depth];
    if (!propagate(s, b))
        return past_limit(s) ? GAVE_UP : 0;
    if (b->left == 0) {
        for (int i = 0; i < NB_CELLS; i++)
            solution[i] = __builtin_ctz(b->cand[i] & ALL_VALUES);
        return 1;
    }
    int i = branch_cell(s, b);
    for (int left = b->cand[i]; left != 0; left &= left - 1) {
        board *next = &s->level[depth + 1];
        *next = *b;
        int found = fill(s, next, i, __builtin_ctz(left)) ? explore(s, depth + 1, solution) : 0;
        if (found != 0)
            return found;
        if (past_limit(s))
            return GAVE_UP;
    }
    return 0;
}

/* Answers as exact_ask, or GAVE_UP past limit contradictions (negative: no limit; 0: at
 * once, leaving the question to the learner) or once stop, if given, is set. */
static int depth_first(const int32_t *cell, const int32_t *mask, int32_t *solution, long limit,
                       const std::atomic<int> *stop = nullptr)
{
    if (limit == 0)
        return GAVE_UP;
    int empty = 0;
    for (int i = 0; i < NB_CELLS; i++)
        empty += cell[i] == 0;
    search s;
    /* Each level of the search fills a cell at least: a board per empty cell, and the root. */
    s.level = static_cast<board *>(malloc((empty + 1) * sizeof(board)));
    if (s.level == nullptr)
        return -1;
    s.contradictions = 0;
    s.limit = limit;
    s.stop = stop;
    memset(s.weight, 0, sizeof s.weight);
    board *root = &s.level[0];
    root->left = NB_CELLS;
    for (int d = 0; d < 3; d++)
        root->changed.bits[d] = root->unmatched.bits[d] = (1 << SIZE) - 1;
    root->unlocked[0] = root->unlocked[1] = (1 << SIZE) - 1;
    int found = 1;
    for (int i = 0; i < NB_CELLS; i++)
        root->cand[i] = cell[i] != 0 ? 1 << cell[i] : mask[i] & ALL_VALUES;
    for (int i = 0; i < NB_CELLS && found; i++)
        if (root->cand[i] == 0 || (!(root->cand[i] & PLACED) && single_value(root->cand[i]) &&
                                   !fill(&s, root, i, __builtin_ctz(root->cand[i]))))
            found = 0;
    found = found ? explore(&s, 0, solution) : 0;
    free(s.level);
    return found;
}

/* Returns 1 when solution is one of the state's: see exact_ask. */
static int solves(const int32_t *cell, const int32_t *mask, const int32_t *solution)
{
    for (int i = 0; i < NB_CELLS; i++) {
        int v = solution[i];
        if (v < 1 || v > SIZE || (cell[i] != 0 ? cell[i] != v : !(mask[i] >> v & 1)))
            return 0;
    }
    for (int h = 0; h < NB_HOUSES; h++) {
        int seen = 0;
        for (int i : HOUSES.cells[h])
            seen |= 1 << solution[i];
        if (seen != ALL_VALUES)
            return 0;
    }
    return 1;
}

/* ============================ The questions of a run ============================
 *
 * The search answers a question alone when it can within the run's contradictions, as it does
 * most of them; past that the learner (learn.cpp) takes it, with what it learned from the run's
 * earlier questions. After the learner's yes the search goes on a while (a factor of its
 * contradictions, by phase) to find a solution of its own, for what the caller does with a
 * solution: it asks about its guesses in force from the oldest, and a solution of one state
 * that goes through the next guess answers for that state too, without a question
 * (has_solution in sudoku.cpp). The search branches as the step-by-step search guesses (few
 * candidates, the lowest value first), so its solution goes through more of the guesses to come
 * than the learner's and saves the most questions; once such a search finds none in time, the
 * run stops waiting for it (PHASE_GIVEN_UP) and hands the questions that follow to the learner
 * sooner. The figures are in bench/README.md: "The search's node, and the search after the
 * learner's yes" and "The search's patience after the first yes".
 *
 * While the learner works on a question, on a thread of its own, that search already runs on
 * the caller's ("The learner on a thread of its own"); a process that may run on one core only
 * runs the two in turn ("One core: the learner and the search in turn"). Either way the run
 * settles the two answers as it would one after the other, so each question takes the same
 * path whichever ends first.
 *
 * Every yes is checked against the state before it is used: a checked solution proves it. Two
 * engines that disagree prove that one erred, and a learner that fails leaves its library in a
 * state nobody knows: such an engine is left out of the run (the learner freed), which goes on
 * with the other, or, with neither, tells the caller to do without. What the run does with each
 * outcome:
 *
 *   the search, within its contradictions  the run
 *   yes, checked                           yes, with the search's solution
 *   yes that fails its check               leaves the search out; the learner takes the question
 *   no                                     no
 *   gave up                                the learner takes it, the search beside it:
 *
 *   the learner           the search beside or after it    the run
 *   yes, checked          yes, checked                     yes, the search's; PHASE_ALIGNED
 *   yes, checked          gave up, or memory ran out       yes, the learner's; PHASE_GIVEN_UP
 *   yes, checked          no, or a yes that fails          yes, the learner's; leaves the
 *                                                          search out
 *   no                    yes, checked                     yes, the search's; leaves the
 *                                                          learner out
 *   no                    anything else                    no
 *   yes that fails, or    yes, checked                     yes, the search's; leaves the
 *     failed                                               learner out
 *   yes that fails, or    anything else                    leaves the learner out; the search
 *     failed (not memory)                                  answers, without a limit
 *   memory ran out        anything else                    leaves the learner out; memory ran
 *                                                          out
 *
 * A build may leave the learner out (EXACT_LEARNER 0): the 9 by 9 program, whose search answers
 * every question long before its contradictions run out, and whose runs would otherwise pay for
 * the learner's library starting up. Its search then answers everything, without a limit.
 */

answer_filter *exact_filter = nullptr;
int exact_strict = 0;
long exact_first_contradictions = SEARCH_CONTRADICTIONS;

constexpr int NOT_RUN = 3; /* the answer of a search beside the learner that did not run */
constexpr int FAILED = -2; /* learner_solve's answer when its library fails, not for memory */

exact_run exact_begin(const int32_t *cell, const int32_t *mask)
{
    exact_run run{};
    run.root_cell = cell;
    run.root_mask = mask;
    run.contradictions = exact_first_contradictions;
    run.phase = PHASE_FIRST_YES;
    run.trusted = EXACT_LEARNER ? SEARCH_ENGINE | LEARNER_ENGINE : SEARCH_ENGINE;
    return run;
}

/* Returns an engine's answer as the run is to take it: through the test filter, if set. */
static int heard(int engine, int found, int32_t *solution)
{
    return exact_filter != nullptr ? exact_filter(engine, found, solution) : found;
}

/* Leaves an engine out of the run for good (the learner freed), after it erred or failed; an
 * error aborts the run where exact_strict says so. */
static void leave_out(exact_run *run, int engine, int erred)
{
    if (erred && exact_strict)
        abort();
    run->trusted &= ~engine;
    if constexpr (EXACT_LEARNER)
        if (engine == LEARNER_ENGINE) {
            learner_free(run->sat);
            run->sat = nullptr;
        }
}

/* Returns the search's answer within limit contradictions (negative: none), a yes checked; a
 * yes that fails its check leaves the search out and comes back as GAVE_UP. */
static int search_checked(exact_run *run, int engine, const int32_t *cell, const int32_t *mask,
                          int32_t *solution, long limit)
{
    int found = heard(engine, depth_first(cell, mask, solution, limit), solution);
    if (found == 1 && !solves(cell, mask, solution)) {
        leave_out(run, SEARCH_ENGINE, 1);
        return GAVE_UP;
    }
    return found;
}

/* One question to the learner, answered on a thread of its own or the caller's. */
struct learner_job {
    learner *sat;
    const int32_t *cell, *mask;
    int found;
    int32_t solution[NB_CELLS]; /* the learner's, after a yes */
    std::atomic<int> stop;      /* set at an answer other than yes, for the search beside it */
};

/* Returns 1 when the process may run on more than one core. On one, the search beside the
 * learner would only take turns with it, and after a no its time would be lost. */
static int cores_to_spare()
{
#ifdef __linux__
    cpu_set_t cores; /* those this process may run on: fewer than the machine's, under taskset */
    if (sched_getaffinity(0, sizeof cores, &cores) == 0)
        return CPU_COUNT(&cores) > 1;
#endif
    return sysconf(_SC_NPROCESSORS_ONLN) > 1;
}

static void *ask_learner(void *arg)
{
    learner_job *job = static_cast<learner_job *>(arg);
    job->found = learner_solve(job->sat, job->cell, job->mask, job->solution);
    if (job->found != 1)
        job->stop.store(1, std::memory_order_relaxed);
    return nullptr;
}

/* The learner's thread's stack: under 10 KiB were seen in use on the hardest public grids (its
 * deepest recursion, in conflict analysis, is bounded), and a wide margin. A default stack, 8 MiB
 * here, could not be had under an address-space limit that leaves the run room enough. */
constexpr size_t LEARNER_STACK = 1 << 20;

/* Starts the learner's thread on job; returns 0, or not 0 when no thread can be had. The
 * thread allocates from the process's one arena rather than reserving one of its own (64 MiB
 * and more of address space, refused under a limit, and then every allocation fails). */
static int start_learner(pthread_t *thread, learner_job *job)
{
#ifdef M_ARENA_MAX
    mallopt(M_ARENA_MAX, 1);
#endif
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0)
        return -1;
    int made = pthread_attr_setstacksize(&attr, LEARNER_STACK) == 0
                   ? pthread_create(thread, &attr, ask_learner, job)
                   : -1;
    pthread_attr_destroy(&attr);
    return made;
}

/* Has the learner answer the job's question, with the search beside it on the caller's thread
 * for up to limit contradictions when that may run at once (not on one core, nor when no
 * thread can be had). Returns the search's answer (own: its solution), or NOT_RUN; the
 * learner's thread, if made, is joined before it returns. */
static int learner_with_search(learner_job *job, long limit, int32_t *own)
{
    pthread_t thread;
    if (limit == 0 || !cores_to_spare() || start_learner(&thread, job) != 0) {
        ask_learner(job);
        return NOT_RUN;
    }
    int found = depth_first(job->cell, job->mask, own, limit, &job->stop);
    pthread_join(thread, nullptr);
    return found;
}

/* Settles the learner's answer (in job) and the search's beside it (searched, own), running
 * that search after the learner's yes when it did not run beside it, as the table above says.
 * Returns the run's answer, with its solution in solution. */
static int settle(exact_run *run, learner_job *job, int searched, long limit, const int32_t *cell,
                  const int32_t *mask, int32_t *own, int32_t *solution)
{
    if (searched != NOT_RUN)
        searched = heard(BESIDE_ENGINE, searched, own);
    int learned = heard(LEARNER_ENGINE, job->found, job->solution);
    if (learned == 1 && searched == NOT_RUN && limit != 0)
        searched = heard(BESIDE_ENGINE, depth_first(cell, mask, own, limit), own);
    if (searched == 1 && !solves(cell, mask, own)) {
        leave_out(run, SEARCH_ENGINE, 1);
        searched = 0;
    }
    if (learned == 1 && !solves(cell, mask, job->solution)) {
        leave_out(run, LEARNER_ENGINE, 1);
        learned = FAILED;
    }
    if (learned < 0 && (run->trusted & LEARNER_ENGINE))
        leave_out(run, LEARNER_ENGINE, 0);
    if (searched == 1) {
        if (learned == 0)
            leave_out(run, LEARNER_ENGINE, 1); /* a no against a checked yes */
        else if (learned == 1)
            run->phase = PHASE_ALIGNED;
        memcpy(solution, own, sizeof own[0] * NB_CELLS);
        return 1;
    }
    if (learned == 0)
        return 0;
    if (learned < 0)
        return learned == EXACT_NO_MEMORY ? EXACT_NO_MEMORY : exact_ask(run, cell, mask, solution);
    if (searched == 0 && (run->trusted & SEARCH_ENGINE))
        leave_out(run, SEARCH_ENGINE, 1); /* a no against a checked yes */
    if (limit != 0)
        run->phase = PHASE_GIVEN_UP;
    memcpy(solution, job->solution, sizeof solution[0] * NB_CELLS);
    return 1;
}

int exact_ask(exact_run *run, const int32_t *cell, const int32_t *mask, int32_t *solution)
{
    int search = run->trusted & SEARCH_ENGINE;
    if (!EXACT_LEARNER || !(run->trusted & LEARNER_ENGINE)) {
        if (!search)
            return EXACT_NO_ENGINE;
        int found = search_checked(run, SEARCH_ENGINE, cell, mask, solution, -1);
        return found == GAVE_UP ? EXACT_NO_ENGINE : found;
    }
    if constexpr (EXACT_LEARNER) {
        long limit = !search ? 0
                     : run->phase == PHASE_GIVEN_UP
                         ? std::min(run->contradictions, GIVEN_UP_CONTRADICTIONS)
                         : run->contradictions;
        if (limit != 0) {
            int found = search_checked(run, SEARCH_ENGINE, cell, mask, solution, limit);
            if (found != GAVE_UP)
                return found;
        }
        if (run->sat == nullptr)
            run->sat = learner_new(run->root_cell, run->root_mask, run->hook, run->context);
        if (run->sat == nullptr)
            return EXACT_NO_MEMORY;
        learner_job job{run->sat, cell, mask, 0, {}, {0}};
        int32_t own[NB_CELLS];
        /* the search may have been left out just now */
        long after = !(run->trusted & SEARCH_ENGINE) || run->phase == PHASE_GIVEN_UP ? 0
                     : run->phase == PHASE_FIRST_YES ? run->contradictions * FIRST_YES_FACTOR
                                                     : run->contradictions * ALIGNED_FACTOR;
        int searched = learner_with_search(&job, after, own);
        return settle(run, &job, searched, after, cell, mask, own, solution);
    }
    return EXACT_NO_ENGINE;
}

void exact_end(exact_run *run)
{
    if constexpr (EXACT_LEARNER)
        learner_free(run->sat);
    run->sat = nullptr;
}

int exact_solve(const int32_t *cell, const int32_t *mask, int32_t *solution)
{
    exact_run run = exact_begin(cell, mask);
    int found = exact_ask(&run, cell, mask, solution);
    exact_end(&run);
    return found;
}
