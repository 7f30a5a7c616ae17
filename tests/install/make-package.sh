#!/bin/sh
# `make package`: the Debian package has the Debian name, its control data names the
# package and the dependencies dpkg-shlibdeps found, apt would install it, and its files,
# unpacked with dpkg-deb -x, work (check-installed.sh).
#
# Usage: make-package.sh SOURCE_DIR DIST_BUILD_DIR WORK_DIR VERSION
set -eu
src=$1
dist=$2
work=$3
version=$4

fail() { echo "FAIL: $*" >&2; exit 1; }
# A make of its own, not a part of the make that may be running the tests.
unset MAKEFLAGS MFLAGS MAKELEVEL

rm -rf "$work"
mkdir -p "$work"
rm -f "$dist"/*.deb
make -C "$src" package DIST="$dist" >"$work/make.log" 2>&1 ||
    { cat "$work/make.log" >&2; fail "make package exits with an error"; }

deb=$dist/tessella_${version}-1_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb; made: $(ls "$dist"/*.deb 2>/dev/null)"

info=$(dpkg-deb --info "$deb") || fail "dpkg-deb --info $deb fails"
printf '%s\n' "$info"
for field in "Package: tessella" "Version: ${version}-1" "Architecture: $(dpkg --print-architecture)"; do
    printf '%s\n' "$info" | grep -qx " $field" || fail "the control data lack \"$field\""
done
# The program links the C and C++ runtimes; dpkg-shlibdeps must have found both.
depends=$(printf '%s\n' "$info" | sed -n 's/^ Depends: //p')
for library in libc6 libstdc++6; do
    case $depends in
        *"$library ("*) ;;
        *) fail "Depends: \"$depends\" lacks $library" ;;
    esac
done

apt-get install --simulate "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get install --simulate $deb fails"; }
grep -q '^Inst tessella ' "$work/apt.log" || { cat "$work/apt.log" >&2; fail "apt would not install tessella"; }

dpkg-deb -x "$deb" "$work/root"
sh "$(dirname "$0")/check-installed.sh" "$work/root" /usr "$version"
