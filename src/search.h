/* The exact solver's search (search.cpp), as the run (exact.cpp) and the tests ask it.
 *
 * Built once per box side, like the program, from the same BOX_SIDE.
 */
#ifndef SEARCH_H
#define SEARCH_H

#include "geometry.h"

#include <atomic>
#include <cstdint>

constexpr int GAVE_UP = 2; /* a search's answer past its limit of contradictions */

/* Given the cells (0 = empty) and the candidate masks of a state, both indexed x * SIZE + y,
 * returns 1 and writes a solution (every cell's value, same indexing) when the state has one;
 * 0 when it has none; -1 when memory runs out; GAVE_UP past limit contradictions (negative: no
 * limit; 0: at once, leaving the question to the learner) or once stop, if given, is set. */
int depth_first(const int32_t *cell, const int32_t *mask, int32_t *solution, long limit,
                const std::atomic<int> *stop = nullptr);

/* Returns 1 when solution is one of the state's: it keeps every filled cell and gives each
 * empty cell one of its candidates, no value twice in a row, column or box. */
int solves(const int32_t *cell, const int32_t *mask, const int32_t *solution);

/* The matching the search does in each house, for tests: m cells with their candidates
 * (dom[k], bits 1 to SIZE, m values in all) to take different values. Returns 0 when they
 * cannot; else writes in dead[k] the candidates of k that no way of giving each its own
 * value uses. */
int exact_dead_options(int m, const int *dom, int *dead);

#endif
