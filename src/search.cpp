/* The exact solver's search: whether a state has a solution, found by depth-first search.
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
 *
 * This file owns the search alone: its board, propagation, matching and branching. What a run
 * asks it, and when the learner answers instead, is exact.cpp's.
 */
#include "search.h"
#include "exact.h" /* EXACT_LEARNER */

#include <cstdlib>
#include <cstring>

constexpr int NB_HOUSES = 3 * SIZE; /* rows, then columns, then boxes */
constexpr int PLACED = 1;           /* bit 0 of a cell's set: the cell holds its one value */

/* ============================ Houses, the board and the search ============================
 *
 * The houses as tables, one node of the search (a board) and the search's own counts.
 */

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

/* ============================ Bookkeeping ============================
 *
 * Which houses changed since a rule last looked, and where contradictions come up.
 */

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

/* ============================ Filling and striking ============================
 *
 * A placement and its naked singles, a strike, and hidden singles in a house.
 */

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

/* ============================ Matching ============================
 *
 * The empty cells of a house matched to the values it misses: what no matching uses goes.
 */

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

/* ============================ Locked candidates ============================
 *
 * A value confined to one box in a line, or to one line in a box.
 */

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

/* ============================ Propagation ============================
 *
 * Every rule above, in turn, until nothing more follows.
 */

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

/* ============================ Branching ============================
 *
 * The cell to try, each candidate on a copy of the board, the limit of contradictions.
 */

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

/* See search.h. */
int depth_first(const int32_t *cell, const int32_t *mask, int32_t *solution, long limit,
                const std::atomic<int> *stop)
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

/* ============================ Checking a solution ============================
 *
 * Every yes is checked with this before it is used.
 */

/* See search.h. */
int solves(const int32_t *cell, const int32_t *mask, const int32_t *solution)
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
