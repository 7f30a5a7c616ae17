#!/bin/sh
# The Windows zip, made with CPack from the MinGW build: one folder holding the command
# line tessella-cli.exe and the dialog Tessella.exe (64-bit Windows programs that load no
# DLL but Windows' own: the C++ runtime, winpthreads and GeographicLib are linked in
# statically), the Windows page README-Windows.html, the README, and the
# sample with its settings in samples\. No two of its names may be one name on a
# case-insensitive disk, where unpacking would keep only one of them; the command line's
# help gives its name.
#
# Given a Wine session and the native tessella, it is then used as a Windows user would:
# unpacked in a fresh folder C:\tessella-VERSION-windows-x86_64 of the Wine prefix, the
# Windows page's first example is run from a batch file by cmd, and must print what the
# page shows and write the map the native tessella writes from the same settings. A
# Japanese map name typed in the batch file (code page 932) must reach the index, and
# redirected output, report and messages, must come out as UTF-8.
#
# Usage: windows-zip.sh BUILD_DIR SOURCE_DIR WORK_DIR VERSION [WINE_STATE NATIVE_TESSELLA]
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

listed=$(cmake -E tar tf "$zip" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "$top/README-Windows.html $top/README.md $top/Tessella.exe $top/samples/east-asia.bmp \
$top/samples/east-asia.txt $top/tessella-cli.exe " ] || fail "$zip holds: $listed"
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
cmp "$src/samples/east-asia.bmp" "$work/unpacked/$top/samples/east-asia.bmp" ||
    fail "the zip's sample is not samples/east-asia.bmp"
page=$work/unpacked/$top/README-Windows.html
for file in "$page" "$work/unpacked/$top/samples/east-asia.txt"; do
    [ "$(grep -c "$(printf '\r')\$" "$file")" = "$(wc -l < "$file")" ] ||
        fail "$file has lines that do not end in CR LF"
done
grep -q "Tessella $version for Windows" "$page" || fail "the Windows page does not give the version $version"

if [ $# -lt 6 ]; then
    echo "$top.zip: tessella-cli.exe, Tessella.exe, README-Windows.html, README.md and the sample, needing only Windows' own DLLs"
    exit 0
fi
state=$5
native=$6
. "$src/tools/wine/common.sh"
. "$state/session.env"
export WINEPREFIX DISPLAY
drive_c=$WINEPREFIX/drive_c
run_cmd() { timeout --kill-after=5 120 wine cmd /c "$1" </dev/null; }

# A block <pre class="cmd" id="ID"> (or any element with that id) of the page, as text.
page_block() {
    tr -d '\r' < "$page" | awk -v id="id=\"$1\"" '
        index($0, id) && /<pre/ { inside = 1; next }
        inside && /<\/pre>/ { exit }
        inside' |
        sed -e 's/&lt;/</g' -e 's/&gt;/>/g' -e 's/&quot;/"/g' -e 's/&amp;/\&/g'
}
page_block first-example > "$work/first-example.txt"
page_block first-output > "$work/first-output.txt"
[ -s "$work/first-example.txt" ] && [ -s "$work/first-output.txt" ] ||
    fail "the Windows page has no first example with its output"

rm -rf "${drive_c:?}/$top" "$drive_c/first-example.cmd" "$drive_c/encoding.cmd"
(cd "$drive_c" && cmake -E tar xf "$zip")
# A batch file runs what is typed at the prompt, without echoing it.
{ printf '@echo off\r\n'; sed 's/$/\r/' "$work/first-example.txt"; } > "$drive_c/first-example.cmd"
run_cmd 'C:\first-example.cmd' > "$work/first-run.txt" 2>&1 || fail "cmd /c C:\\first-example.cmd failed"
tr -d '\r' < "$work/first-run.txt" > "$work/first-printed.txt"
diff -u "$work/first-output.txt" "$work/first-printed.txt" ||
    fail "the Windows page's first example prints otherwise (- page, + cmd)"

# The same settings through the native tessella.
mkdir "$work/native"
cp "$src/samples/east-asia.bmp" "$work/native/"
(cd "$work/native" && "$native" convert east-asia.bmp --name "East Asia" --folder eastasia \
    --top-left 47:48:45,120:56:15 --bottom-right 30:56:15,146:15:00 \
    --east-west 2178179 --north-south 1872281 --quiet) || fail "the native convert failed"
samples=$drive_c/$top/samples
tiles=$(find "$samples/eastasia" -name 'smpl*.map' | wc -l)
[ "$tiles" = 24 ] || fail "the first example wrote $tiles tiles, not 24"
cmp "$work/native/eastasia.vlm" "$samples/eastasia.vlm" || fail "the index differs from the native one"
diff -r "$work/native/eastasia" "$samples/eastasia" || fail "the tiles differ from the native ones"

# Redirected output is UTF-8, whatever cmd's code page (932 here).
name=東アジア
settings="--top-left 47:48:45,120:56:15 --bottom-right 30:56:15,146:15:00 --east-west 2178179 --north-south 1872281"
printf '@echo off\r\ncd /d C:\\%s\\samples\r\n%s\r\n%s\r\n%s\r\n' "$top" \
    "..\\tessella-cli convert east-asia.bmp --name \"$name\" --folder toa $settings > toa-out.txt 2> toa-err.txt" \
    "..\\tessella-cli convert east-asia.bmp --name \"$name\" --folder toa $settings > toa-again.txt 2>&1" \
    "..\\tessella-cli inspect toa.vlm > toa-inspect.txt" |
    iconv -f UTF-8 -t CP932 > "$drive_c/encoding.cmd"
run_cmd 'C:\encoding.cmd' > "$work/encoding-run.txt" 2>&1 || true
LC_ALL=C grep -q "$(printf '%s' "$name" | iconv -f UTF-8 -t CP932)" "$samples/toa.vlm" ||
    fail "the index does not hold the map name typed in the batch file"
for file in toa-out.txt toa-err.txt toa-again.txt toa-inspect.txt; do
    [ -s "$samples/$file" ] || fail "$file is empty"
    iconv -f UTF-8 -t UTF-8 "$samples/$file" > /dev/null 2>&1 || fail "$file is not UTF-8"
done
grep -q "^SUCCESS : File convert finish." "$samples/toa-err.txt" || fail "toa-err.txt: $(cat "$samples/toa-err.txt")"
grep -q "^Wrote toa.vlm" "$samples/toa-out.txt" || fail "toa-out.txt: $(cat "$samples/toa-out.txt")"
grep -q "^Warning: エラー：同名ファイルがあり、作成できません" "$samples/toa-again.txt" ||
    fail "the Japanese warning is not in UTF-8 in toa-again.txt: $(cat "$samples/toa-again.txt")"
grep -q "^map name: $name$" "$samples/toa-inspect.txt" ||
    fail "the map name is not in UTF-8 in toa-inspect.txt: $(cat "$samples/toa-inspect.txt")"
echo "$top.zip unpacked under Wine: the Windows page's first example wrote the native map; redirected output is UTF-8"
