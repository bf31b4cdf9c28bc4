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

/* Returns the box of cell (x, y): the boxes are numbered down the leftmost band of columns
 * first, then down the next, as the cells are stored. */
constexpr int box_of(int x, int y)
{
    return x / SQ * SQ + y / SQ;
}

/* Returns the cell, indexed x * SIZE + y, at place j of house h: the rows (h < SIZE), then the
 * columns, then the boxes in box_of's numbering (box h - 2 * SIZE), each read row by row. */
constexpr int house_cell(int h, int j)
{
    int box = h - 2 * SIZE;
    int x = h < SIZE ? j : h < 2 * SIZE ? h - SIZE : box / SQ * SQ + j % SQ;
    int y = h < SIZE ? h : h < 2 * SIZE ? j : box % SQ * SQ + j / SQ;
    return x * SIZE + y;
}

/* Value sets: one bit per value, bit v for value v (1 to SIZE); bit 0 is never a value. */

/* Returns the number of values in set. Counted by halves, quarters and bytes: the plain x86-64
 * instruction set has no population count, and the compiler's fallback is a library call. */
constexpr int count_values(int set)
{
    unsigned v = static_cast<unsigned>(set & ALL_VALUES);
    v = v - ((v >> 1) & 0x55555555u);
    v = (v & 0x33333333u) + ((v >> 2) & 0x33333333u);
    return static_cast<int>((((v + (v >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24);
}

/* Returns 1 when set holds exactly one value. */
constexpr int single_value(int set)
{
    int values = set & ALL_VALUES;
    return values != 0 && (values & (values - 1)) == 0;
}

/* Returns the values found in exactly one of the SQ sets. */
constexpr int once_in(const int *sets)
{
    int seen = 0, twice = 0;
    for (int k = 0; k < SQ; k++) {
        twice |= seen & sets[k];
        seen |= sets[k];
    }
    return seen & ~twice;
}

static_assert(house_cell(2 * SIZE + box_of(SQ, 0), 0) == SQ * SIZE, "boxes numbered down");

#endif
