#!/bin/sh
# Ends a Wine session made by session-start.sh: stops its wineserver (and with it every
# program still running in the prefix), stops its Xvfb and removes the prefix.
#
# Usage: tools/wine/session-stop.sh STATE_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
[ $# -eq 1 ] || tessella_wine_fail "usage: $0 STATE_DIR"
state=$1
[ -f "$state/session.env" ] || exit 0
. "$state/session.env"
export WINEPREFIX DISPLAY
wineserver -k 2>/dev/null || true
kill "$TESSELLA_XVFB_PID" 2>/dev/null || true
case "$WINEPREFIX" in
    */tessella-wine.*) rm -rf "$WINEPREFIX" ;;
esac
rm -f "$state/session.env" "$state/display"
echo "Wine session stopped"
