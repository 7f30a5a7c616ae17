#!/bin/sh
# The Windows zip, made with CPack from the MinGW build: one folder holding the command
# line tessella-cli.exe and the dialog Tessella.exe (64-bit Windows programs)
# and the README. No two of its names may be one name on a case-insensitive disk, where
# unpacking would keep only one of them; the command line's help gives its name. The
# programs load no DLL but Windows' own: the C++ runtime, winpthreads and GeographicLib are
# linked in statically.
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
# The DLLs every program names in its import table, against those every Windows has.
windows_own=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
 shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll windowscodecs.dll "
for program in tessella-cli.exe Tessella.exe; do
    imported=$(x86_64-w64-mingw32-objdump -p "$work/unpacked/$top/$program" | sed -n 's/^[[:space:]]*DLL Name: //p' |
        tr '[:upper:]' '[:lower:]')
    [ -n "$imported" ] || fail "objdump finds no imported DLL in $program"
    for dll in $imported; do
        case $windows_own in
            *" $dll "*) ;;
            *) fail "$program needs $dll, which Windows does not bring" ;;
        esac
    done
done
grep -q "tessella-cli" "$work/unpacked/$top/tessella-cli.exe" ||
    fail "tessella-cli.exe does not give its own name in its help"
grep -q "tessella-cli.exe" "$work/unpacked/$top/README.md" ||
    fail "the README does not name tessella-cli.exe"
echo "$top.zip: tessella-cli.exe, Tessella.exe and README.md, needing only Windows' own DLLs"
