/* Fuzz target: the exact solver's answer on an arbitrary state against a plain depth-first
 * search. The first byte picks the run: the learner alone, the search alone without a limit,
 * the run's own policy as the programs have it, or that policy with a few contradictions only
 * (1 to 64, from the same byte), so that the learner answers with the search beside it on a
 * thread. Each later byte shapes one cell of a complete grid, in reading order: kept, blanked
 * with some candidates struck, or given another value (which may break the grid); the cells
 * past the input stay as they were. The state is asked twice in one run: as the run's root,
 * then with one more cell guessed. Engines that disagree abort. */
#include "exact.h"
#include "plain_search.h"

#include <cstdlib>
#include <cstring>

/* The value of cell (x, y) of a complete grid: each row shifted from the one above. */
static int complete_value(int x, int y)
{
    return (y % SQ * SQ + y / SQ + x) % SIZE + 1;
}

/* The nodes the plain search may take to check a "no": under a second in this build, where a
 * "no" of the seed corpus takes at most 44. A fuzzed state can take it far longer (a "yes" once
 * took 1.5 million nodes: 47 s), which the fuzzer would report as a fault of the solver. */
constexpr long PLAIN_BUDGET = 20000;

/* Aborts unless the exact solver's answer on the state holds: a "yes" checked by its solution,
 * a "no" by the plain search (unless the search runs out of nodes first). */
static void check(exact_run *run, const int32_t *cell, const int32_t *mask)
{
    int32_t solution[NB_CELLS];
    int found = exact_ask(run, cell, mask, solution);
    if (found == 0) {
        if (plain_has_solution(cell, mask, PLAIN_BUDGET) == 1)
            abort();
        return;
    }
    if (found != 1 || plain_count(solution, mask, 1) != 1)
        abort(); /* not an answer, or not a complete grid */
    for (int i = 0; i < NB_CELLS; i++)
        if (cell[i] != 0 ? solution[i] != cell[i] : !(mask[i] >> solution[i] & 1))
            abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    int way = data[0] % 4, few = 1 + data[0] / 4;
    data++;
    size--;
    int32_t cell[NB_CELLS], mask[NB_CELLS];
    int blanks = 0;
    for (int i = 0; i < NB_CELLS; i++) {
        int x = i / SIZE, y = i % SIZE, byte = i < static_cast<int>(size) ? data[i] : 0;
        cell[i] = complete_value(x, y);
        mask[i] = 1 << cell[i];
        /* Few enough blanks for the plain search to end quickly. */
        if ((byte & 3) == 1 && blanks < 3 * NB_CELLS / 8) {
            blanks++;
            cell[i] = 0;
            mask[i] = ALL_VALUES & ~(byte >> 2 << (1 + byte % SIZE));
        } else if ((byte & 3) == 2) {
            cell[i] = 1 + (byte >> 2) % SIZE;
            mask[i] = 1 << cell[i];
        }
    }
    exact_run run = exact_begin(cell, mask, &EXACT_STRICT);
    if (way == 0)
        run.trusted = LEARNER_ENGINE;
    else if (way == 1)
        run.trusted = SEARCH_ENGINE;
    else if (way == 3)
        run.contradictions = few;
    check(&run, cell, mask);
    for (int i = 0; i < NB_CELLS; i++)
        if (cell[i] == 0 && mask[i] != 0) {
            int32_t guessed[NB_CELLS];
            memcpy(guessed, cell, sizeof guessed);
            guessed[i] = 31 - __builtin_clz(mask[i]); /* its highest candidate */
            check(&run, guessed, mask);
            break;
        }
    exact_end(&run);
    return 0;
}
