#!/usr/bin/env bash
# Builds the Debian binary package from a build folder: the installed tree with the programs in
# /usr/games (the package's section is games, as the manual pages' is), stripped, the manual
# pages as the install compresses them, the copyright file (the project's licence, and CaDiCaL's
# notice, since sudoku16 and sudoku25 carry its code), the changelog, and the lintian overrides
# for what is deliberate. The build must link CaDiCaL statically. Prints the package's path.
#   build-deb.sh SOURCE_DIR BUILD_DIR     (writes BUILD_DIR/sudoku-solver_VERSION_ARCH.deb)
set -euo pipefail
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
name=sudoku-solver
version=$(sed -n '1s/^[^(]*(\([^)]*\)).*/\1/p' "$src/package/changelog")
arch=$(dpkg --print-architecture)
maintainer=$(sed -n 's/^ -- \(.*>\)  .*/\1/p' "$src/package/changelog" | head -n 1)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/root

# The install rules' own component, so that the manifest of a `make install` stays as it is.
DESTDIR=$root cmake --install "$build" --prefix /usr --component Unspecified >/dev/null
mkdir -p "$root/usr/games"
mv "$root"/usr/bin/* "$root/usr/games/"
rmdir "$root/usr/bin"
strip --strip-all --remove-section=.comment --remove-section=.note "$root"/usr/games/*

doc=$root/usr/share/doc/$name
mkdir -p "$doc" "$root/usr/share/lintian/overrides"
gzip -9nc "$src/package/changelog" > "$doc/changelog.gz"

# The Debian package that holds a file, and that package's source and version: what the
# programs carry of each library they link statically.
package_of() {
    dpkg -S "$(realpath "$1")" | head -n 1 | cut -d: -f1
}
built_using() {
    dpkg-query -W -f='${source:Package} (= ${source:Version})\n' "$(package_of "$1")"
}
cadical_library=$(sed -n 's/^CADICAL_LIBRARY:FILEPATH=//p' "$build/CMakeCache.txt")
cadical_package=$(package_of "$cadical_library")
cadical=$(dpkg-query -W -f='${Version}' "$cadical_package")
cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
libraries=("$cadical_library" "$("$cxx" -print-file-name=libc.a)"
    "$("$cxx" -print-file-name=libstdc++.a)")

{
    cat <<EOF
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: $name
Comment: sudoku16 and sudoku25 are linked statically with CaDiCaL, from Debian's
 $cadical_package $cadical, so each carries its code; the paragraphs for cadical/*
 below are its notice, as that package ships it. All three programs also carry
 code of the C and C++ standard libraries, which the Built-Using field names.

Files: *
Copyright: 2026 The sudoku-solver maintainers
License: Expat

EOF
    # CaDiCaL's own copyright file: its paragraph for the library's files (not those of its
    # Debian packaging or its tests), then its licence, word for word.
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /^Files: \*\n/ { sub(/^Files: \*/, "Files: cadical/*"); print }
         /^License: MIT\n/ { print }' "/usr/share/doc/$cadical_package/copyright"
    printf 'License: Expat\n'
    sed -e 's/^$/./' -e 's/^/ /' "$src/LICENSE"
} > "$doc/copyright"

cat > "$root/usr/share/lintian/overrides/$name" <<EOF
# Static on purpose: the dynamic loader's start-up would be most of a run on most grids.
$name: statically-linked-binary [usr/games/sudoku9]
$name: statically-linked-binary [usr/games/sudoku16]
$name: statically-linked-binary [usr/games/sudoku25]
# "Par defaut" is in the usage text as scripts and users of the programs know it.
$name: spelling-error-in-binary defaut default [usr/games/sudoku9]
$name: spelling-error-in-binary defaut default [usr/games/sudoku16]
$name: spelling-error-in-binary defaut default [usr/games/sudoku25]
EOF

find "$root" -type d -exec chmod 0755 {} +
find "$root" -type f -exec chmod 0644 {} +
chmod 0755 "$root"/usr/games/*
mkdir -p "$root/DEBIAN"
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$root/DEBIAN/md5sums"
chmod 0644 "$root/DEBIAN/md5sums"
cat > "$root/DEBIAN/control" <<EOF
Package: $name
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Section: games
Priority: optional
Built-Using: $(for l in "${libraries[@]}"; do built_using "$l"; done | paste -sd, | sed 's/,/, /g')
Description: sudoku solver and puzzle maker for 9x9, 16x16 and 25x25 grids
 sudoku9, sudoku16 and sudoku25 each read one grid as text on standard input,
 check it and solve it with a fixed ladder of deductions (naked singles, hidden
 singles in rows, columns and boxes, pointing pairs and triples) plus guessing
 with backtracking, then print the solution as text or as a framed grid with
 its counters. With -m they blank cells of the solution at random to make a
 new puzzle. Their messages are in French.
 .
 An exact solver, with CaDiCaL for the hardest questions, lets a run leave out
 the branches of the search that hold no solution, so that even the hardest
 public 25 by 25 grids take seconds.
EOF
chmod 0644 "$root/DEBIAN/control"
deb=$build/${name}_${version}_${arch}.deb
dpkg-deb --root-owner-group --build "$root" "$deb" >/dev/null
echo "$deb"
