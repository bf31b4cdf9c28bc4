/* An exact solver: decides whether a solving state has a solution at all.
 *
 * Built once per box side, like the program, from the same BOX_SIDE.
 */
#ifndef EXACT_H
#define EXACT_H

#include <cstdint>

/* Given the cells (0 = empty) and the candidate masks of a state, both indexed x * SIZE + y,
 * returns 1 and writes a solution (every cell's value, same indexing) when the state has one;
 * 0 when it has none, and -1 when memory ran out, leaving solution as it was. A solution
 * keeps every filled cell and gives each empty cell one of its candidates, no value twice in
 * a row, column or box. */
int exact_solve(const int32_t *cell, const int32_t *mask, int32_t *solution);

#endif
