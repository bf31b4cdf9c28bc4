#!/usr/bin/env bash
# Installs the built tree into a scratch folder with the Makefile's own targets, checks the file
# list, runs each installed program, renders the manual page with every warning on, removes the
# tree again, and checks the file list of the Debian package.
#   check.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

make -s -C "$src" install BUILD="$build" DESTDIR="$tmp/root" PREFIX=/opt/sudoku >/dev/null
(cd "$tmp/root" && find . -type f | sort) > "$tmp/files"
cat > "$tmp/expected" <<'LIST'
./opt/sudoku/bin/sudoku16
./opt/sudoku/bin/sudoku25
./opt/sudoku/bin/sudoku9
./opt/sudoku/share/man/man6/sudoku16.6.gz
./opt/sudoku/share/man/man6/sudoku25.6.gz
./opt/sudoku/share/man/man6/sudoku9.6.gz
LIST
diff "$tmp/expected" "$tmp/files" || fail "installed files"

for pair in 9:9x9_easy 16:16x16 25:25x25; do
    side=${pair%%:*}
    out=$("$tmp/root/opt/sudoku/bin/sudoku$side" < "$src/examples/${pair#*:}.txt") ||
        fail "installed sudoku$side"
    [ "$(printf '%s\n' "$out" | grep -c -x ".\{$side\}")" = "$side" ] || fail "sudoku$side output"
done

for page in sudoku9 sudoku16 sudoku25; do
    warnings=$(MANPATH="$tmp/root/opt/sudoku/share/man" MANWIDTH=80 \
        man --warnings=w -E UTF-8 "$page" 2>&1 >"$tmp/page") || fail "man $page"
    [ -z "$warnings" ] || fail "warnings on the page of $page: $warnings"
    grep -q "^SUDOKU9(6)" "$tmp/page" || fail "man $page shows no page"
done

make -s -C "$src" uninstall BUILD="$build" DESTDIR="$tmp/root" >/dev/null
[ -z "$(find "$tmp/root" -type f)" ] || fail "files left after uninstall"

(cd "$build" && cpack -G DEB -B "$tmp/package" >/dev/null) || fail "cpack"
dpkg-deb -c "$tmp"/package/*.deb | awk '$1 !~ /^d/ {print $6}' | sort > "$tmp/deb"
cat > "$tmp/expected" <<'LIST'
./usr/bin/sudoku16
./usr/bin/sudoku25
./usr/bin/sudoku9
./usr/share/man/man6/sudoku16.6
./usr/share/man/man6/sudoku25.6
./usr/share/man/man6/sudoku9.6
LIST
diff "$tmp/expected" "$tmp/deb" || fail "package files"
echo "install, manual page, uninstall and package: ok"
