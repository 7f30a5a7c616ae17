#!/bin/bash
# The bash completion of tessella: what it offers for a table of command lines, and that
# the real tessella accepts every command and option it offers.
#
# Usage: completion.sh COMPLETION_SCRIPT TESSELLA WORK_DIR
set -u
completion=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
tessella=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
work=$3

rm -rf "$work"
mkdir -p "$work/maps"
cd "$work" || exit 1
touch tokyo.bmp SCAN.BMP notes.txt tokyo.vlm view.png
# shellcheck source=/dev/null
. "$completion"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# What the completion offers for the words typed so far (the last one being completed),
# sorted, on one line.
offered() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tessella 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

# words typed | offered
cases=(
    "tessella con|convert"
    "tessella he|help"
    "tessella --v|--version"
    "tessella help |convert import inspect preview probe verify"
    "tessella convert --na|--name"
    "tessella convert --n|--name --north-south"
    "tessella convert --out|--output-dir"
    "tessella convert tokyo.bmp --output-dir |maps"
    "tessella convert tokyo.bmp --name |"
    "tessella convert tokyo.bmp --top-left |"
    "tessella convert |SCAN.BMP maps tokyo.bmp"
    "tessella convert --name Tokyo |SCAN.BMP maps tokyo.bmp"
    "tessella probe |SCAN.BMP maps tokyo.bmp"
    "tessella probe --he|--help"
    "tessella verify --j|--json"
    "tessella preview --sc|--scale"
    "tessella verify |maps tokyo.vlm"
    "tessella preview tokyo.vlm -o |maps view.png"
    "tessella preview |SCAN.BMP maps tokyo.bmp tokyo.vlm"
)
for row in "${cases[@]}"; do
    typed=${row%%|*}
    want=${row#*|}
    read -r -a words <<<"$typed"
    [[ $typed == *" " ]] && words+=("")
    got=$(offered "${words[@]}")
    [[ $got == "$want" ]] || fail "'$typed<TAB>' offers \"$got\", not \"$want\""
done

# Every command and option offered is one tessella knows: a command has help, and an
# option, even without its value, is never an "unknown option".
commands=$(offered tessella "")
for word in $commands; do
    case $word in
        -*) "$tessella" "$word" >/dev/null 2>&1 || fail "tessella $word exits with $?" ;;
        help) ;;
        *)
            "$tessella" help "$word" >/dev/null 2>&1 || fail "tessella help $word exits with $?"
            for option in $(offered tessella "$word" -); do
                errors=$("$tessella" "$word" tokyo.bmp "$option" 2>&1 >/dev/null)
                [[ $errors != *"unknown option"* ]] ||
                    fail "tessella $word does not know the offered $option: $errors"
            done
            ;;
    esac
done

[[ $failures -eq 0 ]] || exit 1
echo "the completion offers what tessella accepts (${#cases[@]} cases)"
