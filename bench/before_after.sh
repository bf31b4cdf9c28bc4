#!/usr/bin/env bash
# Times the default runs of another commit's programs beside the current ones, one process per
# grid, the two in turn on each grid (bench/whole_run.cpp), and checks that they print the same
# bytes. Prints per file the totals, the slowest grid of each, and the grids where one took more
# than twice as long as the other (and over 50 ms).
#   bench/before_after.sh COMMIT [FILE...]   (paths; default: the 25 by 25 external files and
#                                             25x25_blanked)
set -euo pipefail
cd "$(dirname "$0")/.."
commit=$1
shift
# PUZZLES=DIR reads the puzzle files of another folder laid out as tests/data (the shared
# collections, with the largest public files).
puzzles=${PUZZLES:-$PWD/tests/data}
files=("$@")
[ ${#files[@]} -gt 0 ] || files=("$puzzles/external/25x25_mzn.txt" "$puzzles/25x25_blanked.txt")
[ $# -gt 0 ] || [ ! -f "$puzzles/external/25x25_acs.txt" ] || files+=("$puzzles/external/25x25_acs.txt")
work=$PWD/build-bench/before
rm -rf "$work/src" && mkdir -p "$work/src"
git archive "$commit" | tar -x -m -C "$work/src"
cmake -S "$work/src" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DSUDOKU_TESTS=OFF >/dev/null
cmake --build "$work/build" -j "$(nproc)" --target sudoku9 sudoku16 sudoku25 >/dev/null
make -s programs >/dev/null
g++ -O2 -static -o build-bench/whole_run bench/whole_run.cpp
python3 - "$PWD/build-bench/whole_run" "$work/build" "$PWD/build" "$commit" "${files[@]}" <<'PY'
import os, subprocess, sys, tempfile

whole_run, before, after, commit, files = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:]
print("%-20s %6s %12s %12s %14s %14s %6s" % ("file", "grids", commit + " s", "current s",
      "slowest before", "slowest now", "2x"))
for path in files:
    name = os.path.basename(path)[:-4]
    side = 9 if name.startswith("9x9") else 16 if name.startswith("16x16") else 25
    old, new = "%s/sudoku%d" % (before, side), "%s/sudoku%d" % (after, side)
    totals, slowest, twice = [0.0, 0.0], [0.0, 0.0], 0
    lines = [l for l in open(path, "rb") if l.strip()]
    for grid in lines:
        with tempfile.NamedTemporaryFile() as f:
            f.write(grid)
            f.flush()
            outs = [subprocess.run([p], stdin=open(f.name, "rb"), capture_output=True)
                    for p in (old, new)]
            if (outs[0].stdout, outs[0].stderr, outs[0].returncode) != \
               (outs[1].stdout, outs[1].stderr, outs[1].returncode):
                sys.exit("%s: the outputs differ on %r" % (name, grid))
            out = subprocess.run([whole_run, "1", f.name, old, "--", new],
                                 capture_output=True, text=True).stdout.split("\n")
        t = [float(out[k].split()[0]) / 1000 for k in range(2)]
        for k in range(2):
            totals[k] += t[k]
            slowest[k] = max(slowest[k], t[k])
        twice += max(t) > 0.05 and max(t) > 2 * min(t)
    print("%-20s %6d %12.2f %12.2f %14.3f %14.3f %6d" % (name, len(lines), totals[0], totals[1],
          slowest[0], slowest[1], twice))
    sys.stdout.flush()
PY
