#!/usr/bin/env bash
# Compares every output of the programs in BIN_DIR with the digests recorded from the first
# version of the solver. A difference is a change of behaviour: find it, never refresh the file.
#   check.sh BIN_DIR PUZZLES_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
[ -d "$2" ] || { echo "no puzzle folder at $2"; exit 1; }
"$here/outputs.sh" "$1" "$2" "$here/cases" > "${TMPDIR:-/tmp}/golden.$$"
diff "$here/digests.txt" "${TMPDIR:-/tmp}/golden.$$"
status=$?
rm -f "${TMPDIR:-/tmp}/golden.$$"
exit $status
