#!/bin/sh
# Runs one Windows program in a Wine session made by session-start.sh, with a time limit.
#
# Usage: tools/wine/session-run.sh STATE_DIR [--timeout SECONDS] PROGRAM.exe [ARGS...]
#   PROGRAM.exe and ARGS are passed to wine as given (Unix paths work: Wine maps / to Z:).
#   The exit status is the program's (124 when the time limit ran out, default 120 s).
#   Output of the program is passed through; with code page 932 Japanese text in it is
#   Shift-JIS (convert with iconv -f CP932 -t UTF-8).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
[ $# -ge 2 ] || tessella_wine_fail "usage: $0 STATE_DIR [--timeout SECONDS] PROGRAM.exe [ARGS...]"
state=$1
shift
limit=120
if [ "$1" = "--timeout" ]; then
    limit=$2
    shift 2
fi
[ -f "$state/session.env" ] || tessella_wine_fail "no Wine session in $state (run session-start.sh)"
. "$state/session.env"
export WINEPREFIX DISPLAY
exec timeout --kill-after=5 "$limit" wine "$@"
