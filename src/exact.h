/* An exact solver: decides whether a solving state has a solution at all.
 *
 * Built once per box side, like the program, from the same BOX_SIDE.
 */
#ifndef EXACT_H
#define EXACT_H

#include "geometry.h"
#include "learn.h"

#include <cstdint>

/* Contradictions a depth-first search meets before it hands its question to the learner: most
 * questions end well before, and the search's solutions go through more of the step-by-step
 * search's guesses than the learner's (see exact_ask). */
constexpr long EXACT_PATIENCE = 1000;

/* After the learner's yes, a search may meet this many times more contradictions to find its
 * own solution; after the first yes of a run, whose solution the most guesses are still to go
 * through, FIRST_ALIGN times more. Once such a search gives up, the run stops trying: its
 * states are too hard for the search to solve where the learner does. */
constexpr long ALIGN_PATIENCE = 4;
constexpr long FIRST_ALIGN = 8;

/* From then on a search meets at most GIVEN_UP_PATIENCE contradictions before it hands its
 * question to the learner: with the full patience it would rarely answer, and the learner
 * answers most of these questions in about the time the search would take to give up. */
constexpr long GIVEN_UP_PATIENCE = 100;

/* The questions of one run: states that all derive from one root state by guesses and strikes,
 * so that every solution of such a state is one of the root's. */
struct exact_run {
    const int32_t *root_cell; /* the root state, read when the learner is made; may change */
    const int32_t *root_mask; /* meanwhile, by strikes that no solution of it uses */
    long patience;            /* contradictions a search may meet, see EXACT_PATIENCE; < 0:
                                 no limit and no learner; 0: the learner alone */
    learner *sat;             /* made at the first question a search gives up on; else null */
    long align;               /* times its patience the search may meet after the learner's
                                 yes: FIRST_ALIGN, then ALIGN_PATIENCE, or 0 once given up */
    learned_hook *hook;       /* passed to the learner, for tests; or null */
    void *context;
};

/* A run for the root state (cell, mask) with the default patience; end it with exact_end. */
exact_run exact_begin(const int32_t *cell, const int32_t *mask);

/* Given the cells (0 = empty) and the candidate masks of a state of the run, both indexed
 * x * SIZE + y, returns 1 and writes a solution (every cell's value, same indexing) when the
 * state has one; 0 when it has none, and -1 when memory ran out, leaving solution as it was.
 * A solution keeps every filled cell and gives each empty cell one of its candidates, no
 * value twice in a row, column or box. */
int exact_ask(exact_run *run, const int32_t *cell, const int32_t *mask, int32_t *solution);

/* Frees what the run learned. */
void exact_end(exact_run *run);

/* The same question about a state alone, as the root of a run of its own. */
int exact_solve(const int32_t *cell, const int32_t *mask, int32_t *solution);

/* The matching the search does in each house, for tests: m cells with their candidates
 * (dom[k], bits 1 to SIZE, m values in all) to take different values. Returns 0 when they
 * cannot; else writes in dead[k] the candidates of k that no way of giving each its own
 * value uses. */
int exact_dead_options(int m, const int *dom, int *dead);

#endif
