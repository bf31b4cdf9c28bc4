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
