/* The learning half of the exact solver: questions that the depth-first search of search.cpp
 * gives up on, answered by a solver that learns from its conflicts (CaDiCaL).
 *
 * A learner holds the clauses of one root state, the grid as read with what follows from it;
 * the states asked about are that root under guesses and strikes, which enter each question as
 * assumptions. What it learns thus rests on the root alone and serves every later question.
 */
#ifndef LEARN_H
#define LEARN_H

#include "geometry.h"

#include <cstdint>

struct learner;

/* Called with each clause the learner learns, a literal per cell and value: +(i << 5 | v) for
 * "cell i holds v", its negation for "cell i does not hold v". For tests. */
typedef void learned_hook(void *context, const int *literals, int size);

/* Returns a learner for the root state (cells, 0 = empty, and candidate masks, indexed x * SIZE
 * + y), or null when memory runs out (or the library fails otherwise). hook may be null. */
learner *learner_new(const int32_t *cell, const int32_t *mask, learned_hook *hook, void *context);

/* Whether the state (cell, mask) has a solution that is also one of the root's: 1 after writing
 * it into solution, 0 when it has none, -1 when memory runs out, -2 when the library fails
 * otherwise. After -1 or -2 the learner is fit only to be freed. */
int learner_solve(learner *l, const int32_t *cell, const int32_t *mask, int32_t *solution);

void learner_free(learner *l);

#endif
