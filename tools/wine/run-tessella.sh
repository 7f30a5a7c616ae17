#!/bin/sh
# Runs Tessella.exe under Wine on Linux, as a Japanese Windows would: code page 932, the
# dialog font mapped to a Japanese font with the same metrics.
#
# Usage: tools/wine/run-tessella.sh [PATH/TO/Tessella.exe]
#   Default program: build/mingw/ui/Tessella.exe (build it with
#   cmake --preset mingw && cmake --build --preset mingw).
#   Needs a display (DISPLAY); without one, run it under xvfb-run.
#   The Wine prefix is kept between runs in $TESSELLA_WINEPREFIX, by default
#   ~/.local/share/tessella/wineprefix; the first run makes it (about 20 s).
#   The program writes its output beside the bitmap chosen in its file dialog.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
tessella_wine_require

exe=${1:-$here/../../build/mingw/ui/Tessella.exe}
[ -f "$exe" ] || tessella_wine_fail "$exe not found: build it with cmake --preset mingw && cmake --build --preset mingw"
[ -n "${DISPLAY:-}" ] || tessella_wine_fail "no display: set DISPLAY, or run under xvfb-run"

WINEPREFIX=${TESSELLA_WINEPREFIX:-$HOME/.local/share/tessella/wineprefix}
export WINEPREFIX
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX ..."
    mkdir -p "$WINEPREFIX"
    tessella_wine_init_prefix
    wineserver -k  # the persistent server of the set-up is not needed any more
fi
exec wine "$exe"
