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

/* Returns the cell, indexed x * SIZE + y, at place j of house h: the rows (h < SIZE), then the
 * columns, then the boxes, each read row by row. */
constexpr int house_cell(int h, int j)
{
    int x = h < SIZE ? j : h < 2 * SIZE ? h - SIZE : (h - 2 * SIZE) % SQ * SQ + j % SQ;
    int y = h < SIZE ? h : h < 2 * SIZE ? j : (h - 2 * SIZE) / SQ * SQ + j / SQ;
    return x * SIZE + y;
}

#endif
