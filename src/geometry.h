/* The grid's geometry: every size follows from the box side, fixed at build time.
 *
 * The program and its exact solver are built once per box side: BOX_SIDE is 3, 4 or 5.
 */
#ifndef GEOMETRY_H
#define GEOMETRY_H

#ifndef BOX_SIDE
#error "BOX_SIDE (the box side: 3, 4 or 5) must be defined at build time"
#endif

constexpr int SQ = BOX_SIDE;                      /* box side */
constexpr int SIZE = SQ * SQ;                     /* grid side, number of values */
constexpr int NB_CELLS = SIZE * SIZE;             /* cells of the grid */
constexpr int ALL_VALUES = (1 << (SIZE + 1)) - 2; /* bits 1 to SIZE: every value */

static_assert(SQ >= 3 && SQ <= 5, "the box side is 3, 4 or 5");

#endif
