/* The exact solver: whether a state has a solution, and one of them. */
#include "exact.h"
#include "helpers.h"
#include "plain_search.h"
#include "search.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sched.h>
#include <sstream>

/* Why a solution of g fails: a cell not filled, a filled cell changed, a value outside the
 * cell's candidates or twice in a house; empty when it is a solution. */
static std::string fault_in(const sudoku_grid *g, const int32_t *solution)
{
    for (int i = 0; i < NB_CELLS; i++) {
        int v = solution[i];
        if (v < 1 || v > SIZE)
            return "cell " + std::to_string(i) + " not filled";
        if (g->cell[i] != 0 ? g->cell[i] != v : !(g->mask[i] >> v & 1))
            return "cell " + std::to_string(i) + " holds " + std::to_string(v);
    }
    for (int h = 0; h < 3 * SIZE; h++) {
        int seen = 0;
        for (int j = 0; j < SIZE; j++)
            seen |= 1 << solution[house_cell(h, j)];
        if (seen != ALL_VALUES)
            return "house " + std::to_string(h) + " misses a value";
    }
    return "";
}

/* Skips a test of the learner in a build without it, as sudoku9 is built. */
#define NEEDS_LEARNER()                                                                            \
    if (!EXACT_LEARNER)                                                                            \
    GTEST_SKIP() << "built without the learner"

/* The exact solver's answer on g, alone or as a question of a run; a solution it gives must
 * be one. */
static int answer_in(exact_run *run, const sudoku_grid *g, int32_t *solution)
{
    int found = run != nullptr ? exact_ask(run, g->cell, g->mask, solution)
                               : exact_solve(g->cell, g->mask, solution, &EXACT_STRICT);
    if (found == 1) {
        EXPECT_EQ(fault_in(g, solution), "");
    }
    return found;
}

static int answer(const sudoku_grid *g, int32_t *solution)
{
    return answer_in(nullptr, g, solution);
}

TEST(Exact, EmptyGridHasASolution)
{
    grid_ptr g = read_text("");
    int32_t solution[NB_CELLS];
    EXPECT_EQ(answer(g.get(), solution), 1);
}

TEST(Exact, RepeatedGivenOrEmptyCellWithoutCandidatesHasNone)
{
    int32_t solution[NB_CELLS] = {7};
    std::string blank(NB_CELLS, ' ');
    grid_ptr twice = read_text(with_cell(with_cell(blank, 0, 0, 1), SIZE - 1, 0, 1));
    EXPECT_EQ(answer(twice.get(), solution), 0);
    grid_ptr blocked = read_text("");
    mask_at(blocked.get(), 3, 2) = 0;
    EXPECT_EQ(answer(blocked.get(), solution), 0);
    EXPECT_EQ(solution[0], 7); /* left as it was */
}

TEST(Exact, StrikingTheOneSolutionsValueLeavesNone)
{
    /* One cell blank in a complete grid: its value is the only one; struck, nothing is left. */
    grid_ptr g = read_text(with_cell(solved_text(), 2, 3, 0));
    int32_t solution[NB_CELLS];
    ASSERT_EQ(answer(g.get(), solution), 1);
    EXPECT_EQ(solution[2 * SIZE + 3], solved_value(2, 3));
    mask_at(g.get(), 2, 3) &= ~(1 << solved_value(2, 3));
    EXPECT_EQ(answer(g.get(), solution), 0);
}

TEST(Exact, RunsOutOfMemoryWithoutHarm)
{
    grid_ptr g = read_text("");
    int32_t solution[NB_CELLS];
    fail_allocations = true;
    int found = exact_solve(g->cell, g->mask, solution, &EXACT_STRICT);
    fail_allocations = false;
    EXPECT_EQ(found, -1);
}

TEST(Exact, AgreesWithTheStepByStepSearchOnStatesWithStruckCandidates)
{
    /* Grids from a fixed seed at random densities (dense enough for the step-by-step search
     * to end quickly: a sparse grid without a solution can keep it busy for minutes), with the
     * value that the grid they were blanked from holds struck from up to four of their empty cells:
     * the search finds a solution of the state exactly when it has one. */
    test_random r{7};
    static const int counts[] = {2000, 400, 100}, leasts[] = {250, 500, 600};
    const int count = counts[SQ - 3], least = leasts[SQ - 3]; /* grids; per mille of clues */
    int with = 0, without = 0;
    for (int k = 0; k < count; k++) {
        std::vector<int> full, values = random_puzzle(&r, least, &full);
        grid_ptr g = read_text(text_of(values));
        for (int strikes = r.below(5); strikes > 0; strikes--) {
            int x = r.below(SIZE), y = r.below(SIZE);
            if (cell_at(g.get(), x, y) == 0)
                mask_at(g.get(), x, y) &= ~(1 << full[y * SIZE + x]);
        }
        int32_t solution[NB_CELLS];
        int found = answer(g.get(), solution);
        sudoku_grid *copy = copy_of(g.get()).release();
        sudoku_grid *solved = resolv(copy);
        ASSERT_EQ(found, solved != nullptr) << text_of(values);
        free_sudoku(solved != nullptr ? solved : copy);
        (found ? with : without)++;
    }
    EXPECT_GT(with, count / 10);
    EXPECT_GT(without, count / 20);
}

/* The lines of a file; none when it cannot be read. */
static std::vector<std::string> lines_of(const std::string &path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

/* Checks the exact solver on every grid of a puzzle file against the solution counts of an
 * independent solver (0, 1, or 2 for two or more, first on each line of counts, a solution
 * second where there is one). */
static void check_against(const std::string &grids, const std::string &counts)
{
    std::vector<std::string> puzzles = lines_of(grids), known = lines_of(counts);
    ASSERT_FALSE(puzzles.empty()) << grids;
    ASSERT_EQ(puzzles.size(), known.size()) << grids;
    for (size_t k = 0; k < puzzles.size(); k++) {
        std::istringstream fields(known[k]);
        std::string count, reference;
        fields >> count >> reference;
        if (count == "T")
            continue; /* the other solver did not finish */
        grid_ptr g = read_text(puzzles[k]);
        int32_t solution[NB_CELLS];
        ASSERT_EQ(answer(g.get(), solution), count != "0") << grids << ":" << k + 1;
        if (count == "1") {
            std::string found;
            for (int y = 0; y < SIZE; y++)
                for (int x = 0; x < SIZE; x++)
                    found += value_char(solution[x * SIZE + y]);
            EXPECT_EQ(found, reference) << grids << ":" << k + 1;
        }
    }
}

TEST(Exact, AgreesWithTheKnownSolutionCounts)
{
    const std::string dir = PUZZLES_DIR, size = std::to_string(SIZE) + "x" + std::to_string(SIZE);
    ASSERT_FALSE(lines_of(dir + "/answers/" + size + "_solved.txt").empty())
        << "a puzzle file is missing";
    /* The generated files and the published ones that the solver answers in well under a
     * second each, the unsolvable variants among them. */
    std::vector<std::string> files = {"solved", "blanked"};
    if (SQ == 3)
        files.insert(files.end(), {"top95", "hardest", "easy50", "su25short", "su30short",
                                   "sudoku1", "sudoku2"});
    else if (SQ == 4)
        files.insert(files.end(), {"unique_35pct", "unique_40pct", "unique_45pct", "unique_50pct",
                                   "unique_60pct"});
    else
        files.insert(files.end(), {"unique_50pct", "unique_55pct", "unique_60pct", "unique_70pct"});
    for (const std::string &name : files)
        check_against(dir + "/" + size + "_" + name + ".txt",
                      dir + "/answers/" + size + "_" + name + ".txt");
    std::vector<std::string> external = {"acs_mut"};
    if (SQ == 3)
        external = {"acs", "top1465", "top1465_mut", "mzn", "hardest1106"};
    else if (SQ == 4)
        external = {"acs", "acs_mut", "mzn", "mzn_mut"};
    for (const std::string &name : external)
        check_against(dir + "/external/" + size + "_" + name + ".txt",
                      dir + "/external/" + size + "_" + name + ".ref");
}

/* A state of a run: the root with some of its empty cells filled by guesses and some of its
 * candidates struck, as the step-by-step search leaves them. */
static void derive(const sudoku_grid *root, sudoku_grid *state, test_random *r)
{
    *state = *root;
    for (int guesses = r->below(SQ + 2); guesses > 0; guesses--) {
        int i = r->below(NB_CELLS), m = state->mask[i];
        if (state->cell[i] != 0 || count_ones(m) < 2)
            continue;
        int v = 0;
        for (int skip = r->below(count_ones(m)); skip >= 0; skip--)
            v = get_first_one_pos(m & ~((1 << (v + 1)) - 1));
        state->cell[i] = v;
        state->mask[i] = 1 << v;
    }
    for (int strikes = r->below(6); strikes > 0; strikes--) {
        int i = r->below(NB_CELLS);
        if (state->cell[i] == 0)
            state->mask[i] &= ~(1 << (1 + r->below(SIZE)));
    }
}

TEST(Exact, TheLearnerAnswersAsTheSearchAlone)
{
    NEEDS_LEARNER();
    /* Grids from a fixed seed at random densities, half with a given changed (often leaving no
     * solution), each asked a chain of derived states in one run: the learner alone against the
     * search alone (no limit), so that what the learner kept from one question serves the next. */
    test_random r{20261208};
    static const int counts[] = {1500, 300, 60}, leasts[] = {250, 500, 600};
    const int count = counts[SQ - 3], least = leasts[SQ - 3]; /* grids; per mille of clues */
    int answers[2] = {0, 0};
    for (int k = 0; k < count; k++) {
        std::vector<int> full, values = random_puzzle(&r, least, &full);
        if (r.below(2) == 1) {
            int i = r.below(NB_CELLS);
            values[i] = values[i] != 0 ? 1 + (values[i] + r.below(SIZE - 1)) % SIZE : 0;
        }
        grid_ptr root = read_text(text_of(values));
        exact_run learning = exact_begin(root->cell, root->mask, &EXACT_STRICT), alone = learning;
        learning.trusted = LEARNER_ENGINE;
        alone.trusted = SEARCH_ENGINE;
        grid_ptr state = copy_of(root.get());
        for (int question = 0; question < 4; question++) {
            int32_t learned[NB_CELLS], searched[NB_CELLS];
            int by_learner = answer_in(&learning, state.get(), learned);
            int by_search = answer_in(&alone, state.get(), searched);
            ASSERT_EQ(by_learner, by_search) << text_of(values) << " question " << question;
            answers[by_learner == 1]++;
            derive(root.get(), state.get(), &r);
        }
        EXPECT_EQ(alone.sat, nullptr);
        exact_end(&learning);
    }
    EXPECT_GT(answers[0], count / 2);
    EXPECT_GT(answers[1], count / 2);
}

/* The search's own answer on state g of root within limit contradictions, and its solution:
 * GAVE_UP (2) when it gives up. */
static int search_within(const sudoku_grid *root, const sudoku_grid *g, long limit,
                         int32_t *solution)
{
    exact_run probe = exact_begin(root->cell, root->mask, &EXACT_STRICT);
    probe.contradictions = limit;
    probe.phase = PHASE_GIVEN_UP; /* past its limit, the learner answers alone */
    int found = exact_ask(&probe, g->cell, g->mask, solution);
    if (probe.sat != nullptr)
        found = 2;
    exact_end(&probe);
    return found;
}

TEST(Exact, TheSearchBesideTheLearnerLeavesTheRunsPathAsItIs)
{
    NEEDS_LEARNER();
    /* Hard puzzles, each asked a chain of derived states in three runs whose search soon gives
     * up, so that the learner answers with a search beside it, on another thread; or on the
     * same thread after the search, in the second run when no thread can be made, in the third
     * when the process may use one core only. Whichever of the two ends first, each answer is
     * the search's alone, and the solution and phase the run keeps are those of the search
     * and the learner one after the other: the search's solution within its contradictions,
     * else within its factor of them after the learner's yes, else the learner's. */
    const std::string dir = PUZZLES_DIR;
    const char *name = SQ == 3   ? "external/9x9_hardest1106"
                       : SQ == 4 ? "16x16_unique_35pct"
                                 : "25x25_unique_50pct";
    std::vector<std::string> lines = lines_of(dir + "/" + name + ".txt");
    ASSERT_FALSE(lines.empty()) << "a puzzle file is missing";
    test_random r{1208};
    /* Contradictions at which the learner answers, the search beside it finding its own
     * solution or not. */
    const long patience = 5;
    int beside_learner = 0, count = SQ == 3 ? 40 : SQ == 4 ? 10 : 8, threads = 0;
    cpu_set_t cores, one_core;
    ASSERT_EQ(sched_getaffinity(0, sizeof cores, &cores), 0);
    CPU_ZERO(&one_core);
    int core = 0;
    while (!CPU_ISSET(core, &cores))
        core++;
    CPU_SET(core, &one_core);
    for (int k = 0; k < count && k < static_cast<int>(lines.size()); k++) {
        std::string text = lines[k]; /* half of them with givens left out: more solutions */
        for (int blanks = r.below(2) * 3; blanks > 0; blanks--)
            text[r.below(NB_CELLS)] = ZERO_CHAR;
        grid_ptr root = read_text(text);
        exact_run alone = exact_begin(root->cell, root->mask, &EXACT_STRICT),
                  beside[3] = {alone, alone, alone};
        alone.trusted = SEARCH_ENGINE;
        beside[0].contradictions = beside[1].contradictions = beside[2].contradictions = patience;
        grid_ptr state = copy_of(root.get());
        for (int question = 0; question < 4; question++) {
            int32_t searched[NB_CELLS], first[NB_CELLS], later[NB_CELLS], both[NB_CELLS];
            int found = answer_in(&alone, state.get(), searched);
            int phase = beside[0].phase;
            long align = phase == PHASE_FIRST_YES ? FIRST_YES_FACTOR
                         : phase == PHASE_ALIGNED ? ALIGNED_FACTOR
                                                  : 0;
            int at_once = search_within(root.get(), state.get(), patience, first);
            int after =
                align == 0 ? 2 : search_within(root.get(), state.get(), align * patience, later);
            for (int way = 0; way < 3; way++) { /* a thread, none to be made, one core */
                exact_run &run = beside[way];
                fail_threads = way == 1;
                if (way == 2) {
                    ASSERT_EQ(sched_setaffinity(0, sizeof one_core, &one_core), 0);
                }
                int made = threads_made;
                int by_run = answer_in(&run, state.get(), both);
                fail_threads = false;
                if (way == 2) {
                    ASSERT_EQ(sched_setaffinity(0, sizeof cores, &cores), 0);
                }
                if (way == 0)
                    threads += threads_made - made;
                else
                    EXPECT_EQ(threads_made, made) << text;
                ASSERT_EQ(by_run, found) << text;
                if (found != 1)
                    continue;
                if (at_once == 1) {
                    EXPECT_EQ(memcmp(both, first, sizeof both), 0) << text;
                    EXPECT_EQ(run.phase, phase);
                } else {
                    if (after == 1) {
                        EXPECT_EQ(memcmp(both, later, sizeof both), 0) << text;
                    }
                    EXPECT_EQ(run.phase, after == 1 ? PHASE_ALIGNED : PHASE_GIVEN_UP) << text;
                }
            }
            derive(root.get(), state.get(), &r);
        }
        beside_learner += beside[0].sat != nullptr;
        for (exact_run &run : beside)
            exact_end(&run);
    }
    EXPECT_GT(beside_learner, count / 4);
    if (CPU_COUNT(&cores) > 1) {
        EXPECT_GT(threads, 0);
    }
}

/* The solutions of a grid, and the clauses a learner learned about it. */
struct learned_about {
    std::vector<std::vector<int32_t>> solutions;
    std::vector<std::vector<int>> clauses;
};

static void keep_clause(void *context, const int *literals, int size)
{
    static_cast<learned_about *>(context)->clauses.emplace_back(literals, literals + size);
}

static void keep_solution(void *context, const int32_t *solution)
{
    static_cast<learned_about *>(context)->solutions.emplace_back(solution, solution + NB_CELLS);
}

TEST(Exact, EveryLearnedClauseHoldsInEverySolutionOfTheGridAsRead)
{
    NEEDS_LEARNER();
    /* Complete grids blanked until they have a hundred solutions or so (all of them
     * enumerated), enough blanks for the learner to meet conflicts, then asked a chain of
     * derived states as a run asks them, the learner taking every question: whatever it keeps
     * rests on the grid alone, never on a state's guesses. */
    test_random r{6};
    const int count = SQ == 3 ? 150 : SQ == 4 ? 40 : 5;
    long checked = 0;
    for (int k = 0; k < count; k++) {
        std::vector<int> values = random_solution(&r);
        learned_about about;
        for (int blanks = 0; blanks < NB_CELLS && about.solutions.size() < 100; blanks++) {
            std::vector<int> more = values;
            more[r.below(NB_CELLS)] = 0;
            grid_ptr g = read_text(text_of(more));
            about.solutions.clear();
            if (plain_count(g->cell, g->mask, 400, keep_solution, &about) > 300)
                break;
            values = more;
        }
        grid_ptr root = read_text(text_of(values));
        about.solutions.clear();
        plain_count(root->cell, root->mask, 1000, keep_solution, &about);
        exact_run run = exact_begin(root->cell, root->mask, &EXACT_STRICT);
        run.trusted = LEARNER_ENGINE;
        run.hook = keep_clause;
        run.context = &about;
        grid_ptr state = copy_of(root.get());
        for (int question = 0; question < 20; question++) {
            int32_t solution[NB_CELLS];
            ASSERT_EQ(exact_ask(&run, state->cell, state->mask, solution) == 1,
                      plain_count(state->cell, state->mask, 1) == 1);
            derive(root.get(), state.get(), &r);
        }
        exact_end(&run);
        for (const std::vector<int> &clause : about.clauses)
            for (const std::vector<int32_t> &solution : about.solutions) {
                bool holds = false;
                for (int literal : clause) {
                    int m = literal > 0 ? literal : -literal, i = m >> 5, v = m & 31;
                    holds = holds || (solution[i] == v) == (literal > 0);
                }
                ASSERT_TRUE(holds) << text_of(values);
                checked++;
            }
    }
    EXPECT_GT(checked, 1000); /* clauses, each in every solution */
}

TEST(Exact, ARunAsksFromItsOwnRootWhateverItsCallerDoesWithTheOneItGave)
{
    /* The learner, made at the first question, is made from the run's copy of the root: the
     * caller's own arrays, emptied of every candidate once the run began, would leave it none. */
    NEEDS_LEARNER();
    test_random r{20261209};
    grid_ptr given = read_text(""), root = copy_of(given.get()), state = copy_of(given.get());
    exact_run run = exact_begin(given->cell, given->mask, &EXACT_STRICT);
    run.contradictions = 0; /* the learner takes every question */
    for (int i = 0; i < NB_CELLS; i++)
        given->cell[i] = given->mask[i] = 0;
    for (int question = 0; question < 4; question++) {
        int32_t solution[NB_CELLS];
        EXPECT_EQ(answer_in(&run, state.get(), solution), plain_count(state->cell, state->mask, 1))
            << question;
        derive(root.get(), state.get(), &r);
    }
    EXPECT_NE(run.sat, nullptr);
    exact_end(&run);
}

TEST(Exact, TheLearnerWritesNothing)
{
    NEEDS_LEARNER();
    /* 1 given at (1, 0), yet a candidate of (0, 0) in the same row, and nowhere else in column
     * 0: the clause that column 0 holds a 1 somewhere is false as soon as it is added, which
     * the learner's library reports on standard output unless told to keep quiet. */
    grid_ptr g = read_text(with_cell(std::string(NB_CELLS, ' '), 1, 0, 1));
    mask_at(g.get(), 0, 0) |= 1 << 1;
    for (int y = 1; y < SIZE; y++)
        mask_at(g.get(), 0, y) &= ~(1 << 1);
    std::string out = capture_stdout([&] {
        exact_run run = exact_begin(g->cell, g->mask, &EXACT_STRICT);
        run.trusted = LEARNER_ENGINE;
        int32_t solution[NB_CELLS];
        EXPECT_EQ(exact_ask(&run, g->cell, g->mask, solution), 0);
        exact_end(&run);
    });
    EXPECT_EQ(out, "");
}

TEST(Exact, TheLearnerRunningOutOfMemoryEndsTheQuestionWithoutHarm)
{
    NEEDS_LEARNER();
    grid_ptr g = read_text("");
    int32_t solution[NB_CELLS] = {7};
    exact_run run = exact_begin(g->cell, g->mask, &EXACT_STRICT);
    run.trusted = LEARNER_ENGINE;
    fail_new = true; /* the learner cannot be made */
    int found = exact_ask(&run, g->cell, g->mask, solution);
    fail_new = false;
    EXPECT_EQ(found, -1);
    EXPECT_EQ(run.sat, nullptr);
    EXPECT_EQ(solution[0], 7);
    ASSERT_EQ(answer_in(&run, g.get(), solution), 1); /* made at the next question */
    exact_end(&run);
}

TEST(Exact, ALearnerThatFailsIsLeftOutAndTheSearchAnswersOrMemoryRunsOut)
{
    /* The learner made at a first question, then failing at the second: a failure other than
     * memory leaves it out and the search answers without a limit; memory running out leaves it
     * out too, and the run reports that. Either way it is not made again. */
    NEEDS_LEARNER();
    for (bool memory : {false, true}) {
        grid_ptr g = read_text("");
        int32_t solution[NB_CELLS];
        exact_run run = exact_begin(g->cell, g->mask, &EXACT_STRICT);
        run.contradictions = 0; /* the learner takes every question */
        ASSERT_EQ(answer_in(&run, g.get(), solution), 1);
        ASSERT_NE(run.sat, nullptr);
        grid_ptr guessed = copy_of(g.get()); /* its first assumption: the library allocates */
        cell_at(guessed.get(), 0, 0) = 1;
        (memory ? fail_new : fail_new_otherwise) = true;
        int found = answer_in(&run, guessed.get(), solution);
        fail_new = fail_new_otherwise = false;
        EXPECT_EQ(found, memory ? EXACT_NO_MEMORY : 1) << memory;
        EXPECT_EQ(run.sat, nullptr);
        EXPECT_EQ(run.trusted, SEARCH_ENGINE);
        EXPECT_EQ(answer_in(&run, g.get(), solution), 1);
        EXPECT_EQ(run.sat, nullptr);
        exact_end(&run);
    }
}

TEST(Exact, ACheckedYesStaysAYesWhenTheSearchAfterItHasNoMemory)
{
    NEEDS_LEARNER();
    grid_ptr g = read_text("");
    exact_options options = EXACT_STRICT;
    options.filter = [](int engine, int found, int32_t *) {
        return engine == BESIDE_ENGINE ? EXACT_NO_MEMORY : engine == SEARCH_ENGINE ? 2 : found;
    };
    exact_run run = exact_begin(g->cell, g->mask, &options);
    run.contradictions = 1; /* the learner answers, a search beside or after it */
    int32_t solution[NB_CELLS];
    EXPECT_EQ(answer_in(&run, g.get(), solution), 1);
    EXPECT_EQ(run.phase, PHASE_GIVEN_UP);
    exact_end(&run);
}

/* Marks in used[k], for each way of giving cells k to m - 1 different values of their own
 * candidates (none of taken), the value it gives each; returns how many ways there are. */
static long each_way(int k, int m, const int *dom, int taken, int *way, int *used)
{
    if (k == m) {
        for (int j = 0; j < m; j++)
            used[j] |= way[j];
        return 1;
    }
    long ways = 0;
    for (int left = dom[k] & ~taken; left != 0; left &= left - 1) {
        way[k] = left & -left;
        ways += each_way(k + 1, m, dom, taken | way[k], way, used);
    }
    return ways;
}

TEST(Exact, TheMatchingStrikesExactlyTheCandidatesThatNoWayOfFillingTheHouseUses)
{
    /* Generated houses of up to 7 empty cells, against every way of filling them: each
     * cell's candidates drawn among the values missing, most holding a planted way. */
    test_random r{18};
    int cases[2] = {0, 0};
    for (int n = 0; n < 3000; n++) {
        int m = 1 + r.below(SIZE < 7 ? SIZE : 7), values[SIZE], dom[SIZE], dead[SIZE];
        int used[SIZE] = {0}, way[SIZE];
        for (int v = 0; v < SIZE; v++)
            values[v] = v + 1;
        for (int k = 0; k < m; k++) /* the values missing: the first m of a shuffle */
            std::swap(values[k], values[k + r.below(SIZE - k)]);
        for (int k = 0; k < m; k++) {
            dom[k] = r.below(5) != 0 ? 1 << values[k] : 0;
            for (int j = 0; j < m; j++)
                if (r.below(3) == 0)
                    dom[k] |= 1 << values[j];
            if (dom[k] == 0)
                dom[k] = 1 << values[r.below(m)];
        }
        long ways = each_way(0, m, dom, 0, way, used);
        int found = exact_dead_options(m, dom, dead);
        ASSERT_EQ(found, ways > 0 ? 1 : 0) << "case " << n;
        cases[found]++;
        for (int k = 0; k < m && found; k++)
            ASSERT_EQ(dead[k], dom[k] & ~used[k]) << "case " << n << ", cell " << k;
    }
    EXPECT_GT(cases[0], 100);
    EXPECT_GT(cases[1], 1000);
}

TEST(Exact, ThePlainSearchGivesUpOnlyPastItsBudget)
{
    /* The fuzz target checks each "no" by it, and skips the check when it gives up: a give-up
     * that came too soon would hide every fault of the solver's noes. */
    grid_ptr empty = read_text("");
    EXPECT_EQ(plain_has_solution(empty->cell, empty->mask, 2), -1); /* a node fills one cell */
    EXPECT_EQ(plain_has_solution(empty->cell, empty->mask, 100000), 1);
    grid_ptr blocked = read_text("");
    mask_at(blocked.get(), 3, 2) = 0;
    EXPECT_EQ(plain_has_solution(blocked->cell, blocked->mask, 1), 0);
}

/* An engine made to lie, for the Disagree tests: lie() sees each answer of the liar (one or
 * more engines) until it has lied once, and counts its lies; what the run asks of the liar
 * after that is counted too. */
static struct {
    int liar;                                             /* the engines that lie */
    int (*lie)(int engine, int found, int32_t *solution); /* the answer told */
    int beside;      /* the last answer of the search beside the learner, in this question */
    int lied;        /* how many times it lied in this run */
    int asked_after; /* the liar's answers after its lie */
} lying;

static int lying_filter(int engine, int found, int32_t *solution)
{
    int told = found;
    if (engine & lying.liar) {
        if (lying.lied > 0)
            lying.asked_after++;
        else
            told = lying.lie(engine, found, solution);
    }
    lying.beside = engine == BESIDE_ENGINE ? found : engine == LEARNER_ENGINE ? -9 : lying.beside;
    return told;
}

/* Makes a solution wrong but complete: two values of its first row swapped. */
static void spoil(int32_t *solution)
{
    std::swap(solution[0], solution[SIZE]);
}

/* Solves the puzzles of a file of this size with every question asked of the learner early
 * (the search's contradictions lowered) while one engine lies as lie says, and checks that each
 * run ends on the grid of the step-by-step search and asks the liar nothing after its lie.
 * Returns how many runs it lied in, or -1 without the puzzle file. */
static int runs_with_a_liar(int liar, int (*lie)(int, int, int32_t *))
{
    static const char *const files[] = {"9x9_top95.txt", "16x16_unique_40pct.txt",
                                        "25x25_unique_50pct.txt"};
    std::vector<std::string> lines = lines_of(std::string(PUZZLES_DIR) + "/" + files[SQ - 3]);
    if (lines.empty())
        return -1;
    int lied = 0;
    exact_options strict = walk_options;
    walk_options = {lying_filter, 0, 5};
    for (const std::string &line : lines) {
        lying = {liar, lie, -9, 0, 0};
        grid_ptr step = read_text(line), direct = copy_of(step.get());
        std::vector<int32_t> cells[2];
        for (int k = 0; k < 2; k++) {
            grid_ptr &root = k == 0 ? step : direct;
            sudoku_grid *solved = k == 0 ? resolv(root.get()) : resolv_direct(root.get(), 1);
            if (solved == nullptr)
                continue;
            root.release();
            cells[k].assign(solved->cell, solved->cell + NB_CELLS);
            free_sudoku(solved);
        }
        EXPECT_EQ(cells[1], cells[0]) << line;
        EXPECT_EQ(lying.asked_after, 0) << line;
        lied += lying.lied > 0;
    }
    walk_options = strict;
    return lied;
}

TEST(Exact, DisagreeLearnerNoAgainstTheSolutionTheSearchBesideItFound)
{
    NEEDS_LEARNER();
    cpu_set_t cores;
    if (sched_getaffinity(0, sizeof cores, &cores) != 0 || CPU_COUNT(&cores) < 2)
        GTEST_SKIP() << "one core: no search beside the learner";
    int lied = runs_with_a_liar(LEARNER_ENGINE, [](int, int found, int32_t *) {
        if (found != 1 || lying.beside != 1)
            return found;
        lying.lied++;
        return 0;
    });
    ASSERT_GE(lied, 0) << "a puzzle file is missing";
    EXPECT_GT(lied, 2);
}

TEST(Exact, DisagreeLearnerYesAgainstASearchThatTriedEverything)
{
    NEEDS_LEARNER();
    int lied =
        runs_with_a_liar(SEARCH_ENGINE | BESIDE_ENGINE, [](int engine, int found, int32_t *) {
            if (engine != BESIDE_ENGINE || found != 1)
                return found;
            lying.lied++;
            return 0;
        });
    ASSERT_GE(lied, 0) << "a puzzle file is missing";
    EXPECT_GT(lied, 2);
}

TEST(Exact, DisagreeYesThatFailsItsCheck)
{
    for (int liar : {LEARNER_ENGINE, SEARCH_ENGINE}) {
        if (liar == LEARNER_ENGINE && !EXACT_LEARNER)
            continue;
        int lied = runs_with_a_liar(liar, [](int, int found, int32_t *solution) {
            if (found == 1) {
                spoil(solution);
                lying.lied++;
            }
            return found;
        });
        ASSERT_GE(lied, 0) << "a puzzle file is missing";
        EXPECT_GT(lied, 2) << liar;
    }
}

TEST(Exact, DisagreeAbortsTheRunWhereStrict)
{
    /* As in the test and fuzzing builds: a yes that fails its check is a fault to report. */
    grid_ptr g = read_text("");
    exact_options options = EXACT_STRICT;
    options.filter = [](int, int found, int32_t *solution) {
        if (found == 1)
            spoil(solution);
        return found;
    };
    int32_t solution[NB_CELLS];
    EXPECT_DEATH(exact_solve(g->cell, g->mask, solution, &options), "");
}
