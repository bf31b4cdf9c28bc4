#!/usr/bin/env bash
# Whole runs of a ThreadSanitizer build on 25 by 25 grids whose questions go to the learner, so
# that it and the search beside it run at once for real; then each again narrowed to one core,
# where the two take turns. A report of the sanitizer (its exit status) or a wrong answer fails.
# No public 16 by 16 grid reaches the learner (the search alone answers them all within its
# patience); the exact solver's unit tests make it answer 16 by 16 questions beside the search.
#   check.sh BUILD_DIR PUZZLES_DIR
set -uo pipefail
build=$1 puzzles=$2
fail() { echo "FAIL: $*"; exit 1; }
[ -f "$puzzles/25x25_blanked.txt" ] || fail "no puzzle file at $puzzles/25x25_blanked.txt"

# Whether the output (rows of 25) is a complete grid that keeps every given of the puzzle; the
# program itself then checks it, fed back in: a complete grid comes out as it went in.
keeps_givens() { # PUZZLE OUTPUT
    local flat=${2//$'\n'/}
    [ ${#flat} -eq 625 ] || return 1
    for ((i = 0; i < 625; i++)); do
        c=${1:i:1}
        [ "$c" = ' ' ] || [ "$c" = '`' ] || [ "$c" = "${flat:i:1}" ] || return 1
    done
    [ "$(printf '%s\n' "$2" | "$build/sudoku25")" = "$2" ]
}

for line in 22 23 27; do # the lines of the file whose default runs ask the learner
    grid=$(sed -n "${line}p" "$puzzles/25x25_blanked.txt")
    for cores in "" "taskset -c 0"; do
        out=$(printf '%s\n' "$grid" | $cores "$build/sudoku25") ||
            fail "25x25_blanked:$line ${cores:-beside the learner}: status $?"
        keeps_givens "$grid" "$out" || fail "25x25_blanked:$line ${cores:-}: wrong answer"
    done
done
echo "whole runs under ThreadSanitizer, beside the learner and on one core: ok"
