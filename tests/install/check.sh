#!/usr/bin/env bash
# Installs the built tree into a scratch folder with CMake alone, checks the file list (the
# manual pages compressed), runs each installed program, renders the manual page with every
# warning on, removes the tree again with the Makefile's uninstall; then builds the Debian
# package, checks its file list, has lintian accept it (no error, no warning), and installs and
# purges it with dpkg in a scratch root.
#   check.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR="$tmp/root" cmake --install "$build" --prefix /opt/sudoku >/dev/null
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
for page in sudoku9 sudoku16 sudoku25; do
    gzip -dc "$tmp/root/opt/sudoku/share/man/man6/$page.6.gz" | cmp -s - "$src/man/$page.6" ||
        fail "installed page of $page"
done

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

deb=$("$src/package/build-deb.sh" "$src" "$build") || fail "package"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort > "$tmp/deb"
cat > "$tmp/expected" <<'LIST'
./usr/games/sudoku16
./usr/games/sudoku25
./usr/games/sudoku9
./usr/share/doc/sudoku-solver/changelog.gz
./usr/share/doc/sudoku-solver/copyright
./usr/share/lintian/overrides/sudoku-solver
./usr/share/man/man6/sudoku16.6.gz
./usr/share/man/man6/sudoku25.6.gz
./usr/share/man/man6/sudoku9.6.gz
LIST
diff "$tmp/expected" "$tmp/deb" || fail "package files"
# lintian installed as the build installs CaDiCaL: as root with apt-get, else named and stopped.
sh "$src/tools/deps.sh" package || fail "lintian is missing"
lintian --fail-on error,warning "$deb" 2>/dev/null || fail "lintian on $deb"
dpkg-deb -f "$deb" Built-Using | grep -q "^cadical (= $(dpkg-query -W -f='${Version}' libcadical-dev))" ||
    fail "Built-Using names the CaDiCaL the build linked"

# Installed and purged again with dpkg, in a scratch root with a database of its own.
admin=$tmp/dpkg/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates"
touch "$admin/status"
dpkg --root="$tmp/dpkg" --log=/dev/null --force-not-root -i "$deb" >/dev/null || fail "dpkg -i"
(cd "$tmp/dpkg" && find ./usr -type f | sort) | diff "$tmp/expected" - || fail "files dpkg installed"
out=$("$tmp/dpkg/usr/games/sudoku9" < "$src/examples/9x9_easy.txt") || fail "packaged sudoku9"
[ "$(printf '%s\n' "$out" | grep -c -x ".\{9\}")" = 9 ] || fail "packaged sudoku9 output"
dpkg --root="$tmp/dpkg" --log=/dev/null --force-not-root --purge sudoku-solver >/dev/null ||
    fail "dpkg --purge"
[ -z "$(find "$tmp/dpkg/usr" -type f 2>/dev/null)" ] || fail "files left after dpkg --purge"
echo "install, manual page, uninstall, package, lintian and dpkg: ok"
