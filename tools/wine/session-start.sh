#!/bin/sh
# Starts a Wine session for tests: a fresh temporary prefix under a Japanese locale, a
# virtual X display (Xvfb, 1024x768x24) and a persistent wineserver with Wine's
# background processes already running, all detached from the caller's output so that a
# test runner waiting on that output is never held up by them.
#
# Usage: tools/wine/session-start.sh STATE_DIR
#   Writes STATE_DIR/session.env (WINEPREFIX, DISPLAY, Xvfb's process id). Run programs
#   with tools/wine/session-run.sh STATE_DIR ..., end with tools/wine/session-stop.sh
#   STATE_DIR. A session already recorded in STATE_DIR is stopped first.
# Typical CTest use: a FIXTURES_SETUP test runs this, a FIXTURES_CLEANUP test runs
# session-stop.sh, the tests in between run session-run.sh.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
[ $# -eq 1 ] || tessella_wine_fail "usage: $0 STATE_DIR"
tessella_wine_require

state=$1
mkdir -p "$state"
state=$(cd "$state" && pwd)
[ -f "$state/session.env" ] && "$here/session-stop.sh" "$state"

started=$(date +%s)
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tessella-wine.XXXXXX")
export WINEPREFIX

# Xvfb picks a free display and writes its number to descriptor 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$state/display" \
    </dev/null >"$state/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$state/display" ] && break
    sleep 0.1
done
[ -s "$state/display" ] || tessella_wine_fail "Xvfb did not start (see $state/xvfb.log)"
DISPLAY=:$(cat "$state/display")
export DISPLAY

cat >"$state/session.env" <<ENV
WINEPREFIX='$WINEPREFIX'
DISPLAY='$DISPLAY'
TESSELLA_XVFB_PID=$xvfb_pid
ENV

tessella_wine_init_prefix unmanaged
# Wine's services, detached, so that no test inherits them.
wine wineboot </dev/null >/dev/null 2>&1
echo "Wine session ready in $(( $(date +%s) - started )) s: WINEPREFIX=$WINEPREFIX DISPLAY=$DISPLAY"
