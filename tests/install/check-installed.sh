#!/bin/sh
# Checks an installed tessella under ROOT (a DESTDIR or an unpacked package) with the
# given PREFIX: `tessella --version` names VERSION, `man -l` renders tessella.1 without a
# complaint and it holds every line of tessella's --help texts, and the bash completion
# is where bash-completion looks for it.
#
# Usage: check-installed.sh ROOT PREFIX VERSION
set -eu
root=$1
prefix=$2
version=$3

fail() { echo "FAIL: $*" >&2; exit 1; }
squeezed() { tr -s ' \t\n' '   '; }

bin=$root$prefix/bin/tessella
man_page=$root$prefix/share/man/man1/tessella.1
completion=$root$prefix/share/bash-completion/completions/tessella

[ -x "$bin" ] || fail "no program $bin"
got=$("$bin" --version) || fail "$bin --version exits with $?"
[ "$got" = "tessella $version" ] || fail "$bin --version prints \"$got\", not \"tessella $version\""

[ -f "$man_page" ] || fail "no manual page $man_page"
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$man_page" 2>"$errors" | col -bx | squeezed)
[ ! -s "$errors" ] || fail "man -l $man_page complains: $(cat "$errors")"
case $page in
    *"NAME tessella - "*) ;;
    *) fail "man -l $man_page shows no NAME line: $page" ;;
esac

# Every line of every help text, but the overview's first (the version is the page's
# footer there) and the "Usage:" heading (the page's SYNOPSIS).
commands=$("$bin" --help | sed -n 's/^  tessella \([a-z][a-z]*\).*/\1/p' | grep -vx help)
[ -n "$commands" ] || fail "tessella --help names no command"
for topic in "" $commands; do
    "$bin" $topic --help | sed '1{/^tessella /d}; /^Usage:$/d' | while IFS= read -r line; do
        line=$(printf '%s' "$line" | squeezed)
        case $line in "" | " ") continue ;; esac
        case $page in
            *"$line"*) ;;
            *) fail "tessella.1 lacks this line of 'tessella $topic --help': $line" ;;
        esac
    done
done

[ -f "$completion" ] || fail "no bash completion $completion"
bash -c '. "$1" && complete -p tessella' sh "$completion" >/dev/null ||
    fail "$completion does not set up completion for tessella"
echo "installed under $root$prefix: tessella $version, tessella.1 and its bash completion"
