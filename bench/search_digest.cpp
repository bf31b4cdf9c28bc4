/* Times the exact solver's depth-first search alone on every grid of a file, and prints a
 * digest of what it found: each answer (a solution, none, or given up at the limit) and each
 * solution. A change that only makes the search faster must leave the digest as it is, since
 * the same search meets the same contradictions and finds the same solutions.
 *   search_digestN GRID_FILE LIMIT [FIRST_LINE [LAST_LINE]]     (LIMIT < 0: no limit)
 * Built against the exact solver's source itself, for its search without the learner. */
#define EXACT_LEARNER 0
#if __has_include("search.cpp")
#include "search.cpp"
#else
#include "exact.cpp" /* sources before the search had a file of its own */
#endif
#include "sudoku.h"

#include <cstdio>
#include <ctime>

static double seconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

static unsigned long mix(unsigned long digest, long value)
{
    return (digest ^ static_cast<unsigned long>(value)) * 1099511628211UL; /* FNV-1a */
}

int main(int argc, char **argv)
{
    FILE *f = argc >= 3 ? fopen(argv[1], "r") : nullptr;
    if (f == nullptr) {
        fprintf(stderr, "usage: %s GRID_FILE LIMIT [FIRST_LINE [LAST_LINE]]\n", argv[0]);
        return 2;
    }
    long limit = atol(argv[2]);
    long first = argc > 3 ? atol(argv[3]) : 1, last = argc > 4 ? atol(argv[4]) : -1;
    char line[2 * NB_CELLS];
    unsigned long digest = 14695981039346656037UL;
    long answers[3] = {0}, n = 0;
    double spent = 0;
    while (fgets(line, sizeof line, f) != nullptr) {
        if (++n < first || (last >= 0 && n > last))
            continue;
        int32_t cell[NB_CELLS], mask[NB_CELLS], solution[NB_CELLS] = {0};
        for (int k = 0; k < NB_CELLS; k++) {
            int c = line[k], v = c > ZERO_CHAR && c <= ZERO_CHAR + SIZE ? c - ZERO_CHAR : 0;
            int i = k % SIZE * SIZE + k / SIZE;
            cell[i] = v;
            mask[i] = v != 0 ? 1 << v : ALL_VALUES;
        }
        double start = seconds();
        int found = depth_first(cell, mask, solution, limit);
        spent += seconds() - start;
        if (found < 0) {
            fprintf(stderr, "%s: out of memory at line %ld\n", argv[0], n);
            return 1;
        }
        answers[found == GAVE_UP ? 2 : found == 1]++;
        digest = mix(digest, found);
        for (int i = 0; i < NB_CELLS; i++)
            digest = mix(digest, solution[i]);
    }
    fclose(f);
    printf("%016lx  none %ld  found %ld  gave up %ld  %.3f s\n", digest, answers[0], answers[1],
           answers[2], spent);
    return 0;
}
