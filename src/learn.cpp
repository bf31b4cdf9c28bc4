/* The learning half of the exact solver: a state as clauses for CaDiCaL, a conflict-driven
 * solver that learns a clause from each conflict, restarts and forgets the least useful of
 * what it learned now and then (its own fixed seed makes every run the same).
 *
 * A variable stands for "cell i holds value v", one per empty cell of the root and candidate
 * left there. Each cell holds exactly one of its candidates, and each value a house misses
 * stands in exactly one of the house's cells: a clause for "at least one" and a clause of two
 * for every pair that "at most one" forbids. A state derived from the root fixes a cell (one
 * literal) or strikes candidates (one negated literal each), as assumptions of one question.
 *
 * This is the one file built with exceptions: CaDiCaL reports memory running out by throwing,
 * as the C++ library does other failures, and every throw ends here: as -1 for memory, -2 for
 * anything else, or as no learner at all.
 */
#include "learn.h"

#include <cadical.hpp>
#include <new>

struct learner {
    CaDiCaL::Solver *sat;
    CaDiCaL::Learner *export_to; /* passes learned clauses to a hook, for tests; or null */
    int var[NB_CELLS][SIZE + 1]; /* variable of cell i holding v; 0: the root rules it out */
    int32_t fixed[NB_CELLS];     /* the root's value of each cell; 0 = empty */
};

/* Passes each clause CaDiCaL learns to a hook, in cell and value literals. */
struct export_hook : CaDiCaL::Learner {
    learned_hook *hook;
    void *context;
    int clause[NB_CELLS * SIZE], size = 0;
    int to_cell_value[NB_CELLS * SIZE + 1];

    bool learning(int) override
    {
        return true;
    }
    void learn(int lit) override
    {
        if (lit != 0) {
            int m = to_cell_value[lit > 0 ? lit : -lit];
            clause[size++] = lit > 0 ? m : -m;
            return;
        }
        hook(context, clause, size);
        size = 0;
    }
};

/* Adds the clauses that make exactly one of the variables true. */
static void exactly_one(CaDiCaL::Solver *sat, const int *vars, int n)
{
    for (int k = 0; k < n; k++)
        sat->add(vars[k]);
    sat->add(0);
    for (int a = 0; a < n; a++)
        for (int b = a + 1; b < n; b++) {
            sat->add(-vars[a]);
            sat->add(-vars[b]);
            sat->add(0);
        }
}

/* Returns the house whose clauses are added h-th: the rows, the columns, then the boxes across
 * the bands of rows. CaDiCaL's proofs, and so its times, hang on the order of its clauses as
 * they would on a seed; the boxes go in the order its times were measured with (bench/README.md,
 * "The exact solver: every yes checked, one house numbering"). */
static int house_in_clause_order(int h)
{
    int box = h - 2 * SIZE;
    return h < 2 * SIZE ? h : 2 * SIZE + box % SQ * SQ + box / SQ;
}

/* Adds the clauses of the root: exactly one candidate per empty cell, and each value of a
 * house either given there once (its variables in the house then false) or in exactly one
 * empty cell of it. */
static void add_root(learner *l, const int32_t *cell, const int32_t *mask)
{
    int n = 0;
    for (int i = 0; i < NB_CELLS; i++) {
        l->fixed[i] = cell[i];
        for (int v = 1; v <= SIZE; v++)
            l->var[i][v] = cell[i] == 0 && (mask[i] >> v & 1) ? ++n : 0;
    }
    l->sat->reserve(n);
    int vars[SIZE];
    for (int i = 0; i < NB_CELLS; i++)
        if (cell[i] == 0) {
            int k = 0;
            for (int v = 1; v <= SIZE; v++)
                if (l->var[i][v] != 0)
                    vars[k++] = l->var[i][v];
            exactly_one(l->sat, vars, k); /* none: the empty clause */
        }
    for (int h = 0; h < 3 * SIZE; h++)
        for (int v = 1; v <= SIZE; v++) {
            int given = 0, k = 0;
            for (int j = 0; j < SIZE; j++) {
                int i = house_cell(house_in_clause_order(h), j);
                given += cell[i] == v;
                if (l->var[i][v] != 0)
                    vars[k++] = l->var[i][v];
            }
            if (given == 0) {
                exactly_one(l->sat, vars, k);
                continue;
            }
            if (given > 1)
                l->sat->add(0); /* the empty clause: no solution */
            for (int j = 0; j < k; j++) {
                l->sat->add(-vars[j]);
                l->sat->add(0);
            }
        }
}

learner *learner_new(const int32_t *cell, const int32_t *mask, learned_hook *hook, void *context)
{
    learner *l = nullptr;
    try {
        l = new learner();
        l->sat = new CaDiCaL::Solver();
        l->sat->set("quiet", 1);  /* it would write on standard output */
        l->sat->configure("sat"); /* most questions of a run have a solution */
        add_root(l, cell, mask);
        if (hook != nullptr) {
            export_hook *e = new export_hook();
            e->hook = hook;
            e->context = context;
            for (int i = 0; i < NB_CELLS; i++)
                for (int v = 1; v <= SIZE; v++)
                    if (l->var[i][v] != 0)
                        e->to_cell_value[l->var[i][v]] = i << 5 | v;
            l->export_to = e;
            l->sat->connect_learner(e);
        }
        return l;
    } catch (...) {
        learner_free(l);
        return nullptr;
    }
}

/* Assumes the state's differences from the root: a cell that the state fixes, or else each
 * candidate it struck. Returns 0 when the state rules out every root candidate of a cell. */
static int assume_state(learner *l, const int32_t *cell, const int32_t *mask)
{
    for (int i = 0; i < NB_CELLS; i++) {
        int allowed = cell[i] != 0 ? 1 << cell[i] : mask[i];
        if (l->fixed[i] != 0) {
            if (!(allowed >> l->fixed[i] & 1))
                return 0;
            continue;
        }
        int left = 0;
        for (int v = 1; v <= SIZE; v++)
            left += l->var[i][v] != 0 && (allowed >> v & 1);
        if (left == 0)
            return 0;
        for (int v = 1; v <= SIZE; v++) {
            int x = l->var[i][v];
            if (x == 0)
                continue;
            if (left == 1 && (allowed >> v & 1))
                l->sat->assume(x);
            else if (left > 1 && !(allowed >> v & 1))
                l->sat->assume(-x);
        }
    }
    return 1;
}

int learner_solve(learner *l, const int32_t *cell, const int32_t *mask, int32_t *solution)
{
    try {
        if (!assume_state(l, cell, mask)) {
            l->sat->reset_assumptions();
            return 0;
        }
        int answer = l->sat->solve();
        if (answer != 10)
            return answer == 20 ? 0 : -1; /* nothing else without a limit */
        for (int i = 0; i < NB_CELLS; i++) {
            solution[i] = l->fixed[i];
            for (int v = 1; v <= SIZE && solution[i] == 0; v++)
                if (l->var[i][v] != 0 && l->sat->val(l->var[i][v]) > 0)
                    solution[i] = v;
        }
        return 1;
    } catch (const std::bad_alloc &) {
        return -1;
    } catch (...) {
        return -2;
    }
}

void learner_free(learner *l)
{
    if (l == nullptr)
        return;
    try {
        delete l->sat;
    } catch (...) { /* nothing more can be done for it */
    }
    delete l->export_to;
    delete l;
}
