#!/bin/sh
# `make install` with PREFIX and DESTDIR, as a packager runs it: everything lands under
# DESTDIR/PREFIX, nothing elsewhere, and the installed tree works (check-installed.sh).
#
# Usage: make-install.sh SOURCE_DIR DIST_BUILD_DIR WORK_DIR VERSION
set -eu
src=$1
dist=$2
work=$3
version=$4
prefix=/opt/tessella

fail() { echo "FAIL: $*" >&2; exit 1; }
# A make of its own, not a part of the make that may be running the tests.
unset MAKEFLAGS MFLAGS MAKELEVEL

rm -rf "$work"
mkdir -p "$work"
make -C "$src" install DIST="$dist" PREFIX="$prefix" DESTDIR="$work/root" >"$work/make.log" 2>&1 ||
    { cat "$work/make.log" >&2; fail "make install exits with an error"; }

stray=$(cd "$work/root" && find . ! -type d | grep -v "^\\.$prefix/" || true)
[ -z "$stray" ] || fail "make install put files outside PREFIX: $stray"
sh "$(dirname "$0")/check-installed.sh" "$work/root" "$prefix" "$version"
