#!/usr/bin/env bash
# Prints one SHA-256 digest per puzzle file and way of running: the stdout, stderr and exit
# status of every grid of the file, in order. Comparing these lines between two builds shows
# whether any byte of any output changed.
#   outputs.sh BIN_DIR PUZZLES_DIR CASES_DIR      (JOBS=N digests at once; default: the cores)
set -u
bin=$1 puzzles=$2 cases=$3
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# run PROGRAM ARGS... < grids: every line through the program, all outputs in one stream. A
# run is stopped after two minutes of processor time (status 152, so the digest differs): a
# change that sends a solve into a search of millions of passes fails the check instead of
# holding it up. Builtins only around the program, which starts a thousand times per file.
run() {
    local out line err errors=$tmp/err.$BASHPID
    while IFS= read -r line || [ -n "$line" ]; do
        out=$(ulimit -t 120; printf '%s' "$line" | "$@" 2>"$errors"; echo "status $?")
        printf '%s\n--\n' "$out"
        IFS= read -r -d '' err < "$errors"
        printf '%s' "$err"
    done
}

digest() { # NAME PROGRAM ARGS... < grids
    local name=$1
    shift
    printf '%s %s\n' "$name" "$(run "$@" | sha256sum | cut -d' ' -f1)"
}

program_for() {
    case $1 in 9x9*) echo "$bin/sudoku9" ;; 16x16*) echo "$bin/sudoku16" ;; *) echo "$bin/sudoku25" ;; esac
}

# Every file at verbose levels 0 and 1, plain and framed; the files that solve in a few hundred
# passes at levels 2 and 4 too (the others print a framed grid at each of up to a million
# passes). Lines of 25x25_blanked that take millions of passes are left out. The digests are
# made jobs at a time, each into a file of its own, and printed in order.
count=0
for file in "$puzzles"/*.txt "$cases"/*.txt; do
    name=$(basename "$file" .txt)
    program=$(program_for "$name")
    case $name in
    16x16_unique_35pct | 16x16_unique_40pct | 25x25_unique_50pct | 25x25_blanked) levels="0 1" ;;
    *) levels="0 1 2 4" ;;
    esac
    skip='^(21|22|23|27|28|36|37|46)$'
    [ "$name" = 25x25_blanked ] || skip='^$'
    for level in $levels; do
        args=()
        [ "$level" != 0 ] && args=(-v "$level")
        for framed in "" -n; do
            while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
            count=$((count + 1))
            awk -v skip="$skip" 'NR !~ skip' "$file" |
                digest "$name-v$level$framed" "$program" "${args[@]}" $framed > "$tmp/$count" &
        done
    done
done
wait
for ((k = 1; k <= count; k++)); do cat "$tmp/$k"; done
