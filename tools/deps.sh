#!/bin/sh
# Says what a make command needs that this machine lacks, and installs it only where it can:
# as root, with apt-get (a fresh Debian machine, CI). Elsewhere a missing learner is left to
# CMake, which builds without it and says so, and anything else missing stops the command with
# one line naming the packages to install.
#   deps.sh NEED...   NEED: build, learner (optional: CaDiCaL), tests (the unit and end-to-end
#                     tests), package (lintian, for the package test), suite (what the rest of
#                     the whole suite adds: valgrind, clang)
missing='' optional=''
has_header() { # FILE: a header in the system's folders or under a prefix of CMAKE_PREFIX_PATH
    for prefix in /usr /usr/local $(echo "${CMAKE_PREFIX_PATH:-}" | tr ':' ' '); do
        [ -f "$prefix/include/$1" ] && return 0
    done
    return 1
}
for need in "$@"; do
    case $need in
    build)
        command -v cmake >/dev/null || missing="$missing cmake"
        command -v "${CXX:-c++}" >/dev/null || missing="$missing g++" ;;
    learner) has_header cadical.hpp || optional="$optional libcadical-dev" ;;
    tests) has_header gtest/gtest.h || missing="$missing libgtest-dev" ;;
    package) command -v lintian >/dev/null || missing="$missing lintian" ;;
    suite)
        command -v valgrind >/dev/null || missing="$missing valgrind"
        command -v clang++ >/dev/null || missing="$missing clang" ;;
    *) echo "deps.sh: unknown need $need" >&2; exit 2 ;;
    esac
done
[ -n "$missing$optional" ] || exit 0
if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
    echo "installing:$missing$optional"
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        $missing $optional >/dev/null && exit 0
    echo "could not install:$missing$optional" >&2
    exit 1
fi
[ -z "$missing" ] || { echo "missing packages, to install first:$missing" >&2; exit 1; }
