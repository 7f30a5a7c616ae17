#!/bin/sh
# The Windows zip, made with CPack from the MinGW build: one folder holding the command
# line tessella-cli.exe and the dialog Tessella.exe (64-bit Windows programs)
# and the README. No two of its names may be one name on a case-insensitive disk, where
# unpacking would keep only one of them; the command line's help gives its name.
#
# Usage: windows-zip.sh BUILD_DIR SOURCE_DIR WORK_DIR VERSION
set -eu
build=$1
src=$2
work=$3
version=$4

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
(cd "$build" && cpack -G ZIP -B "$work") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack -G ZIP fails"; }
top=tessella-$version-windows-x86_64
zip=$work/$top.zip
[ -f "$zip" ] || fail "no $zip"

listed=$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')
[ "$listed" = "$top/README.md $top/Tessella.exe $top/tessella-cli.exe " ] ||
    fail "$zip holds: $listed"
folded=$(cmake -E tar tf "$zip" | tr '[:upper:]' '[:lower:]' | sort | uniq -d)
[ -z "$folded" ] || fail "$zip holds names that are one on a case-insensitive disk: $folded"
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
cmp "$src/README.md" "$work/unpacked/$top/README.md" || fail "the zip's README is not README.md"
for program in tessella-cli.exe Tessella.exe; do
    kind=$(file -b "$work/unpacked/$top/$program")
    case $kind in
        "PE32+ executable"*x86-64*) ;;
        *) fail "$program is \"$kind\"" ;;
    esac
done
grep -q "tessella-cli" "$work/unpacked/$top/tessella-cli.exe" ||
    fail "tessella-cli.exe does not give its own name in its help"
grep -q "tessella-cli.exe" "$work/unpacked/$top/README.md" ||
    fail "the README does not name tessella-cli.exe"
echo "$top.zip: tessella-cli.exe, Tessella.exe and README.md"
