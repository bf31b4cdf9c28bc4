/* An exact solver: decides whether a solving state has a solution at all.
 *
 * Built once per box side, like the program, from the same BOX_SIDE.
 */
#ifndef EXACT_H
#define EXACT_H

#include "geometry.h"
#include "learn.h"

/* 0 in a build without the learner (see the top of exact.cpp). */
#ifndef EXACT_LEARNER
#define EXACT_LEARNER 1
#endif

#include <cstdint>

/* The run's policy (see the top of exact.cpp), in contradictions the search
 * may meet on one question, and in factors of those. */
constexpr long SEARCH_CONTRADICTIONS = 1000; /* before it hands the question to the learner:
                                                most questions end well before */
constexpr long FIRST_YES_FACTOR = 8; /* after the learner's first yes, whose solution the most
                                        guesses are still to go through, this many times more */
constexpr long ALIGNED_FACTOR = 4;   /* after each later yes, this many times more */
constexpr long GIVEN_UP_CONTRADICTIONS = 100; /* before the learner, once a search after a yes
                                                 found nothing: it would rarely answer, and the
                                                 learner answers in about the time it gives up */

/* Where a run stands in its policy: what the search is given beside the learner. */
enum exact_phase {
    PHASE_FIRST_YES, /* no yes of the learner yet */
    PHASE_ALIGNED,   /* each search after a yes has found a solution of its own */
    PHASE_GIVEN_UP,  /* one has not: no more searches after a yes, and shorter ones before */
};

/* The engines of a run, as bits: those exact_run trusts, and those the filter of its options
 * hears from (BESIDE_ENGINE: the search beside or after the learner). */
enum { SEARCH_ENGINE = 1, LEARNER_ENGINE = 2, BESIDE_ENGINE = 4 };

/* Test hooks, given to a run at its start; the programs give none (EXACT_DEFAULTS). */
typedef int answer_filter(int engine, int found, int32_t *solution);
struct exact_options {
    answer_filter *filter;     /* when set, hears each engine's answer before the run uses it
                                  and returns the answer the run is to take, after changing the
                                  solution if it likes: a test makes an engine lie with it */
    int strict;                /* when set, the run aborts where an engine errs, so that the
                                  tests and fuzzers report it */
    long first_contradictions; /* the run's contradictions at its start; tests lower it */
};
constexpr exact_options EXACT_DEFAULTS = {nullptr, 0, SEARCH_CONTRADICTIONS};
constexpr exact_options EXACT_STRICT = {nullptr, 1, SEARCH_CONTRADICTIONS}; /* tests, fuzzers */

/* The questions of one run: states that all derive from one root state by guesses and strikes,
 * so that every solution of such a state is one of the root's. */
struct exact_run {
    int32_t root_cell[NB_CELLS]; /* the root state, the run's own copy, from which the learner */
    int32_t root_mask[NB_CELLS]; /* is made (kept only while one may be) */
    long contradictions;         /* the search may meet before the learner takes the question
                                    (both trusted); 0: the learner at once */
    int phase;                   /* an exact_phase */
    int trusted;                 /* the engines still asked: one that erred or failed is left
                                    out, SEARCH_ENGINE alone searching without a limit */
    learner *sat;                /* made at the first question the search gives up on; else
                                    null */
    learned_hook *hook;          /* passed to the learner, for tests; or null */
    void *context;
    exact_options options;
};

/* What exact_ask returns besides 1 (a solution) and 0 (none). */
constexpr int EXACT_NO_MEMORY = -1; /* memory ran out */
constexpr int EXACT_NO_ENGINE = -2; /* every engine erred: the caller must do without */

/* A run for the root state (cell, mask), both engines trusted, with options (null: the
 * defaults); end it with exact_end. */
exact_run exact_begin(const int32_t *cell, const int32_t *mask,
                      const exact_options *options = nullptr);

/* Makes the state (cell, mask) the run's root in place of the one it had: a state that every
 * later question derives from, and whose solutions are all the old root's (the old root with
 * strikes that no solution of it uses, and what they lead to). A learner already made keeps
 * the root it was made from. */
void exact_move_root(exact_run *run, const int32_t *cell, const int32_t *mask);

/* Given the cells (0 = empty) and the candidate masks of a state of the run, both indexed
 * x * SIZE + y, returns 1 and writes a solution (every cell's value, same indexing) when the
 * state has one; 0 when it has none; EXACT_NO_MEMORY or EXACT_NO_ENGINE, leaving solution as it
 * was. A solution keeps every filled cell and gives each empty cell one of its candidates, no
 * value twice in a row, column or box; each one is checked before it is given. */
int exact_ask(exact_run *run, const int32_t *cell, const int32_t *mask, int32_t *solution);

/* Frees what the run learned. */
void exact_end(exact_run *run);

/* The same question about a state alone, as the root of a run of its own. */
int exact_solve(const int32_t *cell, const int32_t *mask, int32_t *solution,
                const exact_options *options = nullptr);

#endif
