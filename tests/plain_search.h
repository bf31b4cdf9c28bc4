/* A plain depth-first search over a state's candidates, with nothing but the candidates and
 * the values already in each house to go on: the slow, obvious reference that the exact
 * solver's answers are checked against. */
#ifndef PLAIN_SEARCH_H
#define PLAIN_SEARCH_H

#include "geometry.h"

#include <cstdint>

/* The state being searched: the values so far (0 = empty) and each house's values. */
struct plain_search {
    int32_t value[NB_CELLS];
    const int32_t *mask;
    int row[SIZE], col[SIZE], box[SIZE]; /* per house: bit v = v placed */
    int found, limit;
    long nodes, budget; /* budget 0: none */
    void (*each)(void *context, const int32_t *solution);
    void *context;
};

/* Returns the values placed in the houses of cell i. */
static inline int plain_taken(const plain_search *p, int i)
{
    int x = i / SIZE, y = i % SIZE;
    return p->row[y] | p->col[x] | p->box[box_of(x, y)];
}

/* Returns the candidates of empty cell i that its houses allow. */
static inline int plain_free(const plain_search *p, int i)
{
    return p->mask[i] & ALL_VALUES & ~plain_taken(p, i);
}

/* Places (or with v's bit again, takes back) v at cell i. */
static inline void plain_toggle(plain_search *p, int i, int v)
{
    int x = i / SIZE, y = i % SIZE;
    p->row[y] ^= 1 << v;
    p->col[x] ^= 1 << v;
    p->box[box_of(x, y)] ^= 1 << v;
}

static inline void plain_explore(plain_search *p);

/* Tries each of the values of options at empty cell i. */
static inline void plain_branch(plain_search *p, int i, int options)
{
    for (; options != 0 && p->found < p->limit; options &= options - 1) {
        int v = __builtin_ctz(options);
        p->value[i] = v;
        plain_toggle(p, i, v);
        plain_explore(p);
        plain_toggle(p, i, v);
        p->value[i] = 0;
    }
}

/* Fills the empty cells, counting the solutions up to the limit. It branches where the
 * choices are fewest: on the empty cell with the fewest candidates, or on the cells of a house
 * that can take a value it misses, when fewer. Without the second, some states with many empty
 * cells and no solution take it seconds to exhaust. */
static inline void plain_explore(plain_search *p)
{
    if (p->budget != 0 && ++p->nodes > p->budget)
        return;
    int allowed[NB_CELLS], best = -1, best_count = SIZE + 1;
    for (int i = 0; i < NB_CELLS; i++)
        if (p->value[i] == 0) {
            allowed[i] = plain_free(p, i);
            int n = __builtin_popcount(allowed[i]);
            if (n < best_count) {
                best = i;
                best_count = n;
            }
        }
    if (best < 0) {
        p->found++;
        if (p->each != nullptr)
            p->each(p->context, p->value);
        return;
    }
    int house = -1, value = 0;
    for (int h = 0; h < 3 * SIZE && best_count > 1; h++)
        for (int v = 1; v <= SIZE && best_count > 1; v++) {
            int places = 0, placed = 0;
            for (int j = 0; j < SIZE; j++) {
                int i = house_cell(h, j);
                placed |= p->value[i] == v;
                places += p->value[i] == 0 && (allowed[i] >> v & 1);
            }
            if (!placed && places < best_count) {
                house = h;
                value = v;
                best_count = places;
            }
        }
    if (house < 0) {
        plain_branch(p, best, allowed[best]);
        return;
    }
    for (int j = 0; j < SIZE && p->found < p->limit; j++) {
        int i = house_cell(house, j);
        if (p->value[i] == 0)
            plain_branch(p, i, allowed[i] & 1 << value);
    }
}

/* Places the filled cells of the state and searches it; returns 0 when a value repeats in a
 * house, given or not. */
static inline int plain_run(plain_search *p, const int32_t *cell)
{
    for (int i = 0; i < NB_CELLS; i++) {
        int v = cell[i];
        if (v == 0)
            continue;
        if (plain_taken(p, i) >> v & 1)
            return 0;
        p->value[i] = v;
        plain_toggle(p, i, v);
    }
    plain_explore(p);
    return p->found;
}

/* Counts the solutions of the state (cell, mask) up to limit, passing each to each (may be
 * null). A filled cell is kept; no value twice in a house, given or not. */
static inline int plain_count(const int32_t *cell, const int32_t *mask, int limit,
                              void (*each)(void *, const int32_t *) = nullptr,
                              void *context = nullptr)
{
    plain_search p{};
    p.mask = mask;
    p.limit = limit;
    p.each = each;
    p.context = context;
    return plain_run(&p, cell);
}

/* Returns 1 when the state has a solution, 0 when it has none, and -1 when the search meets
 * more than budget nodes first: on a few states with many empty cells it takes seconds or
 * more to answer. */
static inline int plain_has_solution(const int32_t *cell, const int32_t *mask, long budget)
{
    plain_search p{};
    p.mask = mask;
    p.limit = 1;
    p.budget = budget;
    int found = plain_run(&p, cell);
    return found == 0 && p.nodes > budget ? -1 : found;
}

#endif
