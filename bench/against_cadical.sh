#!/usr/bin/env bash
# Times default runs of our programs against CaDiCaL's own program on the same grids, one process
# per grid: for CaDiCaL, the grid as clauses over the candidates its givens leave (a variable per
# empty cell and candidate; exactly one value per cell; each value a house lacks exactly once in
# it), written to a file first and read by `cadical` (its reading timed, not the writing). Prints per
# file the total and the slowest grid of each, and the ratio of the totals (cadical / ours).
#   bench/against_cadical.sh [FILE...]   (paths; default: the external 25 by 25 files and
#                                          25x25_blanked; skipped when cadical is absent)
#   TIMEOUT=S limits each run (default 60 s; a run stopped there counts S).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v cadical >/dev/null || { echo "cadical is not installed: skipped"; exit 0; }
# PUZZLES=DIR reads the puzzle files of another folder laid out as tests/data (the shared
# collections, with the largest public files).
puzzles=${PUZZLES:-$PWD/tests/data}
files=("$@")
[ ${#files[@]} -gt 0 ] || files=("$puzzles/external/25x25_mzn.txt" "$puzzles/25x25_blanked.txt")
[ $# -gt 0 ] || [ ! -f "$puzzles/external/25x25_acs.txt" ] || files+=("$puzzles/external/25x25_acs.txt")
make -s programs >/dev/null
python3 - "${TIMEOUT:-60}" "$PWD/build" "${files[@]}" <<'PY'
import os, subprocess, sys, tempfile, time

timeout, build, files = float(sys.argv[1]), sys.argv[2], sys.argv[3:]

def clauses(line):
    """The grid as DIMACS text over the candidates its givens leave."""
    n = int(round(len(line) ** 0.5)); sq = int(round(n ** 0.5))
    zero = '0' if sq == 3 else '`'
    val = [ord(c) - ord(zero) if c not in ' ' else 0 for c in line]
    houses = [[r * n + c for c in range(n)] for r in range(n)]
    houses += [[r * n + c for r in range(n)] for c in range(n)]
    houses += [[(b // sq * sq + j // sq) * n + b % sq * sq + j % sq for j in range(n)] for b in range(n)]
    of = [[] for _ in range(n * n)]
    for h in houses:
        for i in h:
            of[i].append(h)
    var = {}
    for i in range(n * n):
        if not val[i]:
            taken = {val[j] for h in of[i] for j in h}
            for v in range(1, n + 1):
                if v not in taken:
                    var[i, v] = len(var) + 1
    out = []
    def exactly_one(lits):
        out.append(lits)
        out.extend([-a, -b] for k, a in enumerate(lits) for b in lits[k + 1:])
    for i in range(n * n):
        if not val[i]:
            exactly_one([var[i, v] for v in range(1, n + 1) if (i, v) in var])
    for h in houses:
        given = {val[i] for i in h}
        for v in range(1, n + 1):
            if v not in given:
                exactly_one([var[i, v] for i in h if (i, v) in var])
    return "p cnf %d %d\n" % (len(var), len(out)) + "".join(" ".join(map(str, c)) + " 0\n" for c in out)

def timed(args, stdin=None):
    start = time.perf_counter()
    try:
        subprocess.run(args, stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout)
    except subprocess.TimeoutExpired:
        return timeout
    return time.perf_counter() - start

print("%-22s %6s %12s %12s %12s %12s %7s" % ("file", "grids", "ours (s)", "slowest", "cadical (s)", "slowest", "ratio"))
with tempfile.TemporaryDirectory() as tmp:
    for path in files:
        lines = [l.rstrip("\n") for l in open(path) if l.strip()]
        side = int(round(len(lines[0]) ** 0.5))
        ours, theirs = [], []
        for line in lines:
            grid, cnf = os.path.join(tmp, "grid.txt"), os.path.join(tmp, "grid.cnf")
            with open(grid, "w") as f:
                f.write(line + "\n")
            with open(grid) as f:
                ours.append(timed([os.path.join(build, "sudoku%d" % side)], f))
            with open(cnf, "w") as f:
                f.write(clauses(line))
            theirs.append(timed(["cadical", "-q", cnf]))
        print("%-22s %6d %12.2f %12.3f %12.2f %12.3f %7.2f" % (os.path.basename(path)[:-4], len(lines),
              sum(ours), max(ours), sum(theirs), max(theirs), sum(theirs) / sum(ours)))
PY
