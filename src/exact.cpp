/* The exact solver's run: the questions of one run, answered by the search (search.cpp) alone or,
 * past its limit, by the learner (learn.cpp) on a thread of its own with the search beside it;
 * each answer checked, and an engine that errs left out.
 */
#include "exact.h"
#include "search.h"

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
 * with the other, or, with neither, tells the caller to do without. Each engine's answer is
 * weighed first (a yes that fails its check leaves its engine out as it is weighed, and so
 * does a learner that failed), then the run decides from the pair:
 *
 *   the search, within its contradictions  the run
 *   yes, checked                           yes, with the search's solution
 *   yes that fails its check               the learner takes the question
 *   no                                     no
 *   gave up                                the learner takes it, the search beside it:
 *
 *   the learner           the search beside or after it    the run
 *   yes, checked          yes, checked                     yes, the search's; PHASE_ALIGNED
 *   yes, checked          gave up, or memory ran out       yes, the learner's; PHASE_GIVEN_UP
 *   yes, checked          did not run                      yes, the learner's
 *   yes, checked          no, or a yes that fails          yes, the learner's; leaves the
 *                                                          search out; PHASE_GIVEN_UP
 *   no                    yes, checked                     yes, the search's; leaves the
 *                                                          learner out
 *   no                    anything else                    no
 *   anything else         yes, checked                     yes, the search's
 *   yes that fails, or    anything else                    the search answers, without a
 *     failed                                               limit
 *   memory ran out        anything else                    memory ran out
 *
 * A build may leave the learner out (EXACT_LEARNER 0): the 9 by 9 program, whose search answers
 * every question long before its contradictions run out, and whose runs would otherwise pay for
 * the learner's library starting up. Its search then answers everything, without a limit.
 */

constexpr int NOT_RUN = 3; /* the answer of a search beside the learner that did not run */

/* Whether the run still asks the learner: built in, and not left out. */
static bool asks_learner(const exact_run *run)
{
    return EXACT_LEARNER && (run->trusted & LEARNER_ENGINE) != 0;
}

exact_run exact_begin(const int32_t *cell, const int32_t *mask, const exact_options *options)
{
    exact_run run; /* every field set below, the root only where a learner may be made from it */
    run.options = options != nullptr ? *options : EXACT_DEFAULTS;
    run.contradictions = run.options.first_contradictions;
    run.phase = PHASE_FIRST_YES;
    run.trusted = EXACT_LEARNER ? SEARCH_ENGINE | LEARNER_ENGINE : SEARCH_ENGINE;
    run.sat = nullptr;
    run.hook = nullptr;
    run.context = nullptr;
    exact_move_root(&run, cell, mask);
    return run;
}

void exact_move_root(exact_run *run, const int32_t *cell, const int32_t *mask)
{
    if (!asks_learner(run) || run->sat != nullptr)
        return; /* no learner will be made from it */
    memcpy(run->root_cell, cell, sizeof run->root_cell);
    memcpy(run->root_mask, mask, sizeof run->root_mask);
}

/* Returns an engine's answer as the run is to take it: through the test filter, if set. */
static int heard(const exact_run *run, int engine, int found, int32_t *solution)
{
    answer_filter *filter = run->options.filter;
    return filter != nullptr ? filter(engine, found, solution) : found;
}

/* Leaves an engine out of the run for good (the learner freed), after it erred or failed; an
 * error aborts the run where the options say so. */
static void leave_out(exact_run *run, int engine, int erred)
{
    if (erred && run->options.strict)
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
static int search_checked(exact_run *run, const int32_t *cell, const int32_t *mask,
                          int32_t *solution, long limit)
{
    int found = heard(run, SEARCH_ENGINE, depth_first(cell, mask, solution, limit), solution);
    if (found == 1 && !solves(cell, mask, solution)) {
        leave_out(run, SEARCH_ENGINE, 1);
        return GAVE_UP;
    }
    return found;
}

/* Returns the answer of the search alone, without a limit, when the learner is left out. */
static int search_alone(exact_run *run, const int32_t *cell, const int32_t *mask, int32_t *solution)
{
    if (!(run->trusted & SEARCH_ENGINE))
        return EXACT_NO_ENGINE;
    int found = search_checked(run, cell, mask, solution, -1);
    return found == GAVE_UP ? EXACT_NO_ENGINE : found;
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
    static const int one_arena = mallopt(M_ARENA_MAX, 1); /* once, before the first thread */
    (void)one_arena;
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

/* Each engine's answer after the learner took a question, as the run weighs it: the rows and
 * columns of the table above. ERRED: a yes that fails its check, or the learner's library
 * failing (learner_solve's -2). */
enum weighed { CHECKED_YES, SAID_NO, ERRED, OUT_OF_MEMORY, NO_ANSWER, DID_NOT_RUN, ANYTHING };

/* Weighs the learner's answer (job) and the search's beside or after it (searched, own) into
 * *learner and *search, running that search after the learner's yes when it did not run beside
 * it; an engine that erred or failed is left out. */
static void weigh(exact_run *run, learner_job *job, int searched, long limit, int32_t *own,
                  int *learner, int *search)
{
    if (searched != NOT_RUN)
        searched = heard(run, BESIDE_ENGINE, searched, own);
    int learned = heard(run, LEARNER_ENGINE, job->found, job->solution);
    if (learned == 1 && searched == NOT_RUN && limit != 0)
        searched = heard(run, BESIDE_ENGINE, depth_first(job->cell, job->mask, own, limit), own);
    *search = searched == 1 && solves(job->cell, job->mask, own) ? CHECKED_YES
              : searched == 1 || searched == 0                   ? SAID_NO
              : searched == NOT_RUN                              ? DID_NOT_RUN
                                                                 : NO_ANSWER;
    if (searched == 1 && *search != CHECKED_YES)
        leave_out(run, SEARCH_ENGINE, 1);
    *learner = learned == 1 && solves(job->cell, job->mask, job->solution) ? CHECKED_YES
               : learned == 0                                              ? SAID_NO
               : learned == EXACT_NO_MEMORY                                ? OUT_OF_MEMORY
                                                                           : ERRED;
    if (*learner == ERRED || *learner == OUT_OF_MEMORY)
        leave_out(run, LEARNER_ENGINE, learned == 1);
}

/* What the run does with a pair of answers. */
enum verdict { SEARCHS_YES, LEARNERS_YES, NO, SEARCH_ALONE, NO_MEMORY };

/* The table above, line for line: the first row that matches the pair decides. */
static const struct {
    int learner, search; /* weighed */
    int verdict;
    int leaves_out; /* the engine that erred by saying no against a checked yes; or 0 */
    int phase;      /* the run's phase after it; or -1, as it was */
} OUTCOMES[] = {
    {CHECKED_YES, CHECKED_YES, SEARCHS_YES, 0, PHASE_ALIGNED},
    {CHECKED_YES, NO_ANSWER, LEARNERS_YES, 0, PHASE_GIVEN_UP},
    {CHECKED_YES, DID_NOT_RUN, LEARNERS_YES, 0, -1},
    {CHECKED_YES, SAID_NO, LEARNERS_YES, SEARCH_ENGINE, PHASE_GIVEN_UP},
    {SAID_NO, CHECKED_YES, SEARCHS_YES, LEARNER_ENGINE, -1},
    {SAID_NO, ANYTHING, NO, 0, -1},
    {ANYTHING, CHECKED_YES, SEARCHS_YES, 0, -1},
    {ERRED, ANYTHING, SEARCH_ALONE, 0, -1},
    {OUT_OF_MEMORY, ANYTHING, NO_MEMORY, 0, -1},
};

/* Settles the learner's answer (in job) and the search's beside it (searched, own) as the
 * table says. Returns the run's answer, with its solution in solution. */
static int settle(exact_run *run, learner_job *job, int searched, long limit, int32_t *own,
                  int32_t *solution)
{
    int learner, search;
    weigh(run, job, searched, limit, own, &learner, &search);
    int row = 0;
    while (!((OUTCOMES[row].learner == learner || OUTCOMES[row].learner == ANYTHING) &&
             (OUTCOMES[row].search == search || OUTCOMES[row].search == ANYTHING)))
        row++;
    if (OUTCOMES[row].leaves_out != 0 && (run->trusted & OUTCOMES[row].leaves_out))
        leave_out(run, OUTCOMES[row].leaves_out, 1);
    if (OUTCOMES[row].phase >= 0)
        run->phase = OUTCOMES[row].phase;
    switch (OUTCOMES[row].verdict) {
    case SEARCHS_YES:
        memcpy(solution, own, sizeof own[0] * NB_CELLS);
        return 1;
    case LEARNERS_YES:
        memcpy(solution, job->solution, sizeof solution[0] * NB_CELLS);
        return 1;
    case NO:
        return 0;
    case SEARCH_ALONE:
        return search_alone(run, job->cell, job->mask, solution);
    }
    return EXACT_NO_MEMORY; /* NO_MEMORY */
}

int exact_ask(exact_run *run, const int32_t *cell, const int32_t *mask, int32_t *solution)
{
    int search = run->trusted & SEARCH_ENGINE;
    if (!asks_learner(run))
        return search_alone(run, cell, mask, solution);
    if constexpr (EXACT_LEARNER) {
        long limit = !search ? 0
                     : run->phase == PHASE_GIVEN_UP
                         ? std::min(run->contradictions, GIVEN_UP_CONTRADICTIONS)
                         : run->contradictions;
        if (limit != 0) {
            int found = search_checked(run, cell, mask, solution, limit);
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
        return settle(run, &job, searched, after, own, solution);
    }
    return EXACT_NO_ENGINE;
}

void exact_end(exact_run *run)
{
    if constexpr (EXACT_LEARNER)
        learner_free(run->sat);
    run->sat = nullptr;
}

int exact_solve(const int32_t *cell, const int32_t *mask, int32_t *solution,
                const exact_options *options)
{
    exact_run run = exact_begin(cell, mask, options);
    int found = exact_ask(&run, cell, mask, solution);
    exact_end(&run);
    return found;
}
