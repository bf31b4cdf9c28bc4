#!/usr/bin/env bash
# Builds the baseline commit (named in bench/README.md) and the current tree side by side, then
# prints for each puzzle file the median over its puzzles of the in-process solve time ratio
# (baseline / current), whole runs of the baseline and current programs, and one run
# against cat (time and peak memory).
# Then it times default runs, one process per grid, on the grids whose step-by-step search can
# take minutes.
#   bench/compare.sh [FILE...]     (default: the files listed below)
#   BASELINE=COMMIT bench/compare.sh ...   compares with another commit than the one named
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# PUZZLES=DIR reads the puzzle files of another folder laid out as tests/data (the shared
# collections, with the largest public files).
puzzles=${PUZZLES:-$root/tests/data}
work=$root/build-bench
baseline=${BASELINE:-$(sed -n 's/^Baseline commit: `\([0-9a-f]*\)`.*/\1/p' bench/README.md)}
for tool in hyperfine strace; do
    command -v $tool >/dev/null || { apt-get update -qq && apt-get install -y -qq $tool; }
done

files=("$@")
[ ${#files[@]} -gt 0 ] || files=(9x9_hardest 9x9_top95 16x16_unique_60pct 16x16_unique_50pct
    16x16_unique_45pct 16x16_unique_40pct 16x16_unique_35pct 16x16_blanked
    25x25_unique_70pct 25x25_unique_60pct 25x25_unique_55pct 25x25_unique_50pct)

rm -rf "$work/baseline-src" && mkdir -p "$work/baseline-src"
git archive "$baseline" | tar -x -m -C "$work/baseline-src" # -m: newer than any old build
cmake -S "$work/baseline-src" -B "$work/baseline-build" -DSUDOKU_TESTS=OFF >/dev/null
cmake --build "$work/baseline-build" -j "$(nproc)" >/dev/null
for side in baseline current; do
    source=$root/src/sudoku.cpp
    [ $side = baseline ] && source=$work/baseline-src/src/sudoku.cpp
    cmake -S bench -B "$work/$side" -DSUDOKU_SOURCE="$source" >/dev/null
    cmake --build "$work/$side" -j "$(nproc)" >/dev/null
done
make -s build >/dev/null

echo "In-process solve, median over the puzzles of baseline time / current time: the"
echo "step-by-step search (resolv) and, where the current tree has it, a default run's solve;"
echo "then, where it has one, the median of its step-by-step search's time / a framed run's;"
echo "last, where the baseline has default runs too, the median of baseline / current default"
printf '%-22s %8s %8s %14s %14s %14s %8s %8s\n' file ratio default "baseline (us)" \
    "current (us)" "default (us)" framed "default/default"
for name in "${files[@]}"; do
    case $name in 9x9*) side=9 ;; 16x16*) side=16 ;; *) side=25 ;; esac
    for build in baseline current; do
        "$work/$build/bench_solve$side" "$puzzles/$name.txt" --benchmark_min_time=0.05 \
            --benchmark_format=json --benchmark_out="$work/$build-$name.json" >/dev/null 2>&1
    done
    python3 - "$work/baseline-$name.json" "$work/current-$name.json" "$name" <<'PY'
import json, statistics, sys
base, cur = (json.load(open(p))["benchmarks"] for p in sys.argv[1:3])
for b in base + cur:
    b["name"] = b["name"].replace("/manual_time", "")
def path(b):
    return b["name"].rsplit("/", 1)[1] if "/" in b["name"] else "steps"
base_direct = {b["name"].rsplit("/", 1)[0]: b["real_time"] for b in base if path(b) == "default"}
base = {b["name"]: b["real_time"] for b in base if path(b) == "steps"}
steps = {c["name"]: c["real_time"] for c in cur if path(c) == "steps"}
direct = {c["name"].rsplit("/", 1)[0]: c["real_time"] for c in cur if path(c) == "default"}
framed = {c["name"].rsplit("/", 1)[0]: c["real_time"] for c in cur if path(c) == "framed"}
med = statistics.median
ratio = med(base[n] / steps[n] for n in base)
line = "%-22s %8.2f " % (sys.argv[3], ratio)
if direct:
    line += "%8.2f %14.1f %14.1f %14.1f" % (med(base[n] / direct[n] for n in base),
            med(base.values()), med(steps.values()), med(direct.values()))
else:
    line += "%8s %14.1f %14.1f %14s" % ("-", med(base.values()), med(steps.values()), "-")
line += " %8.3f" % med(steps[n] / framed[n] for n in steps) if framed else " %8s" % "-"
if base_direct and direct:
    line += " %8.3f" % med(base_direct[n] / direct[n] for n in base_direct)
print(line)
PY
done

echo
echo "Whole runs, baseline against current programs (hyperfine; each run solves every puzzle of"
echo "the file, one process per puzzle)"
cat > "$work/each_puzzle.sh" <<'SH'
while IFS= read -r line; do printf '%s\n' "$line" | "$1" > /dev/null; done < "$2"
SH
for name in 9x9_hardest 16x16_unique_45pct 25x25_unique_70pct; do
    case $name in 9x9*) prog=sudoku9 ;; 16x16*) prog=sudoku16 ;; *) prog=sudoku25 ;; esac
    hyperfine --runs 10 --warmup 1 -N --export-json "$work/hyperfine-$name.json" \
        "sh $work/each_puzzle.sh $work/baseline-build/$prog $puzzles/$name.txt" \
        "sh $work/each_puzzle.sh $root/build/$prog $puzzles/$name.txt" >/dev/null 2>&1
    python3 - "$work/hyperfine-$name.json" "$name" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
print("%-22s baseline %8.1f ms  current %8.1f ms  ratio %.2f" % (sys.argv[2],
      r[0]["median"] * 1e3, r[1]["median"] * 1e3, r[0]["median"] / r[1]["median"]))
PY
done

echo
echo "One run against cat on the same input (median of 200 runs each, in turn, ms; peak resident set, KiB)"
g++ -O2 -static -o "$work/whole_run" bench/whole_run.cpp
tmp=$(mktemp -d)
against_cat() { # LABEL PROGRAM GRID_FILE
    { read -r t m; read -r tc mc; } < <("$work/whole_run" 200 "$3" "$2" -- cat)
    printf '%-30s %6.3f ms  cat %6.3f ms  ratio %.2f   memory %5d KiB  cat %5d KiB  ratio %.2f\n' \
        "$1" "$t" "$tc" "$(echo "$t / $tc" | bc -l)" "$m" "$mc" "$(echo "$m / $mc" | bc -l)"
}
k=0
while IFS= read -r line; do
    k=$((k + 1))
    printf '%s\n' "$line" > "$tmp/grid.txt"
    against_cat "sudoku9 9x9_hardest:$k" "$root/build/sudoku9" "$tmp/grid.txt"
done < "$puzzles/9x9_hardest.txt"
head -n 1 "$puzzles/25x25_unique_70pct.txt" > "$tmp/grid25.txt"
against_cat "sudoku25 25x25_unique_70pct:1" "$root/build/sudoku25" "$tmp/grid25.txt"
# The floor: a static program that does nothing, the least a run of ours can cost.
printf 'int main() { return 0; }\n' > "$tmp/empty.cpp"
g++ -O2 -static -o "$work/empty" "$tmp/empty.cpp"
against_cat "empty static program" "$work/empty" "$tmp/grid.txt"

echo
echo "read calls on standard input for one grid (strace), a grid on one line and one row per line"
for name in 9x9_hardest 16x16_unique_60pct 25x25_unique_70pct; do
    case $name in 9x9*) prog=sudoku9 side=9 ;; 16x16*) prog=sudoku16 side=16 ;; *) prog=sudoku25 side=25 ;; esac
    head -n 1 "$puzzles/$name.txt" > "$tmp/line.txt"
    fold -w $side "$tmp/line.txt" > "$tmp/rows.txt"
    for form in line rows; do
        calls=$(strace -f -e trace=read -e signal=none "$root/build/$prog" < "$tmp/$form.txt" 2>&1 >/dev/null |
            grep -c '^read(0,')
        printf '%-10s %-5s %3d read calls (at most %d)\n' "$prog" "$form" "$calls" \
            "$([ $form = line ] && echo 3 || echo $((side + 2)))"
    done
done

echo
echo "Default runs, one process per grid (median of 5 runs of each grid, ms): the median grid,"
echo "the slowest, and how many take more than 50 ms"
each_grid() { # LABEL PROGRAM GRID_FILE
    local times=()
    while IFS= read -r line; do
        printf '%s\n' "$line" > "$tmp/grid.txt"
        read -r t m < <("$work/whole_run" 5 "$tmp/grid.txt" "$2" 2>/dev/null)
        times+=("$t")
    done < "$3"
    printf '%s\n' "${times[@]}" | sort -g | awk -v label="$1" '{ t[NR] = $1; over += $1 > 50 }
        END { printf "%-26s %4d grids  median %8.2f  slowest %8.2f  over 50 ms %d\n",
              label, NR, t[int((NR + 1) / 2)], t[NR], over }'
}
each_grid "25x25_blanked" "$root/build/sudoku25" "$puzzles/25x25_blanked.txt"
each_grid "25x25_unique_50pct" "$root/build/sudoku25" "$puzzles/25x25_unique_50pct.txt"
each_grid "16x16_unsolvable (bench)" "$root/build/sudoku16" "$root/bench/16x16_unsolvable.txt"
each_grid "16x16_unique_35pct" "$root/build/sudoku16" "$puzzles/16x16_unique_35pct.txt"
rm -rf "$tmp"
