#!/usr/bin/env bash
# Times framed runs (-n) beside default runs of the same grids, one process per grid and run,
# and reads how far the step-by-step search walks before its counters overflow. Prints per file:
# the lines whose framed run took longer than the default run plus the margin, the largest
# difference, the slowest framed run; the most passes any line walked before both counters were
# infinite, the most passes between the first and the second going infinite, and the longest
# walk (its passes, and the seconds of its framed run) whose counters stayed finite to the end.
#   bench/framed.sh [FILE...]   (paths; default: every external file and the puzzle files)
#   TIMEOUT=S limits each run (default 60 s; a run stopped there counts S);
#   MARGIN=S is the margin (default 0.1 s; 0.2 s for the mzn 25 by 25 file).
# A framed run over the margin is timed again, five runs in turn with its default run
# (bench/whole_run.cpp), and the medians kept, so that one noisy run does not count. Per-line
# figures go to build-bench/framed/.
set -euo pipefail
cd "$(dirname "$0")/.."
# PUZZLES=DIR reads the puzzle files of another folder laid out as tests/data (the shared
# collections, with the largest public files).
puzzles=${PUZZLES:-$PWD/tests/data}
files=("$@")
if [ ${#files[@]} -eq 0 ]; then
    files=("$puzzles"/external/*.txt "$puzzles"/*.txt)
fi
make -s programs >/dev/null
mkdir -p build-bench/framed
g++ -O2 -static -o build-bench/whole_run bench/whole_run.cpp
python3 - "${TIMEOUT:-60}" "${MARGIN:-}" "$PWD/build" "$PWD/build-bench" "${files[@]}" <<'PY'
import os, subprocess, sys, tempfile, time

timeout, margin, build, work, files = (float(sys.argv[1]), sys.argv[2], sys.argv[3],
                                       sys.argv[4], sys.argv[5:])
out_dir = os.path.join(work, "framed")

def in_turn(program, grid):
    """Medians of five framed and five default runs, in turn: (default, framed) seconds."""
    with tempfile.NamedTemporaryFile() as f:
        f.write(grid)
        f.flush()
        lines = subprocess.run([os.path.join(work, "whole_run"), "5", f.name, program, "-n",
                                "--", program], capture_output=True, text=True).stdout.split("\n")
    framed, default = (float(l.split()[0]) / 1000 for l in lines[:2])
    return default, framed

def run(program, args, grid):
    """Seconds one run takes, capped at the timeout."""
    start = time.perf_counter()
    try:
        subprocess.run([program] + args, input=grid, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=timeout)
    except subprocess.TimeoutExpired:
        return timeout
    return time.perf_counter() - start

def walk(program, grid):
    """Reads the progress lines of -n -v 1 up to the first pass with both counters infinite:
    (passes before the first infinite counter, passes before both, passes in all when the walk
    ended with finite counters, its seconds); None for what did not happen."""
    start = time.perf_counter()
    proc = subprocess.Popen([program, "-n", "-v", "1"], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    proc.stdin.write(grid)
    proc.stdin.close()
    passes, first, both, stopped = 0, None, None, False
    for line in proc.stdout:
        if not line.startswith(b"Etat: "):
            continue
        if time.perf_counter() - start > timeout:
            stopped = True
            break
        tests_inf, forks_inf = b"Tests: inf" in line, b"Fork inf" in line
        if first is None and (tests_inf or forks_inf):
            first = passes
        if tests_inf and forks_inf:
            both = passes
            break
        passes += 1
    seconds = time.perf_counter() - start
    proc.kill()
    proc.wait()
    finite = (passes, seconds) if both is None and not stopped else None
    return first, both, finite

print("%-26s %6s %5s %9s %9s %11s %9s %15s" % ("file", "lines", "over", "most +s", "slowest",
      "to both inf", "inf gap", "finite walk"))
for path in files:
    name = os.path.basename(path)[:-4]
    side = 9 if name.startswith("9x9") else 16 if name.startswith("16x16") else 25
    program = "%s/sudoku%d" % (build, side)
    limit = float(margin) if margin else 0.2 if name == "25x25_mzn" else 0.1
    lines = [l.rstrip(b"\n") for l in open(path, "rb") if l.strip()]
    over, most, slowest, to_both, gap, finite = 0, 0.0, 0.0, 0, 0, (0, 0.0)
    with open(os.path.join(out_dir, name + ".csv"), "w") as log:
        log.write("line,default_s,framed_s,first_inf,both_inf,finite_passes\n")
        for k, grid in enumerate(lines, 1):
            grid += b"\n"
            default, framed = run(program, [], grid), run(program, ["-n"], grid)
            if framed > default + limit and framed < timeout:
                default, framed = in_turn(program, grid)
            over += framed > default + limit
            most, slowest = max(most, framed - default), max(slowest, framed)
            first, both, fin = walk(program, grid)
            if both is not None:
                to_both = max(to_both, both)
                gap = max(gap, both - first)
            if fin is not None and fin[0] > finite[0]:
                finite = (fin[0], framed)
            log.write("%d,%.4f,%.4f,%s,%s,%s\n" % (k, default, framed, first, both,
                                                   fin[0] if fin else ""))
    print("%-26s %6d %5d %8.3fs %8.3fs %11d %9d %7d %6.3fs" % (name, len(lines), over, most,
          slowest, to_both, gap, finite[0], finite[1]))
    sys.stdout.flush()
PY
