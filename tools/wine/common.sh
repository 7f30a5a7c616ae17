# Shared settings of the Wine scripts; sourced, not run.
#
# Programs run as 64-bit Windows programs under a Japanese locale: Wine takes the ANSI
# code page from LANG, and ja_JP.UTF-8 gives code page 932 (Shift-JIS), the code page of
# the program's Japanese texts. Debug output and Wine's download prompts are off.
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

tessella_wine_fail() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# Checks that the programs the scripts need are installed.
tessella_wine_require() {
    for tool in wine wineserver wineboot Xvfb; do
        command -v "$tool" >/dev/null 2>&1 ||
            tessella_wine_fail "$tool is missing: run tools/install-windows-deps.sh"
    done
    locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' ||
        tessella_wine_fail "locale ja_JP.UTF-8 is missing: run tools/install-windows-deps.sh"
}

# Fills a fresh prefix (WINEPREFIX, with DISPLAY set): Wine's own fonts (Debian's Wine
# does not load them from /usr/share/wine/fonts) and the dialog font mapped to a Japanese
# font with the same metrics. With the argument "unmanaged", windows are left to Wine
# rather than a window manager (Xvfb has none; a managed window then stalls about 2 s
# on every hide).
tessella_wine_init_prefix() {
    # One persistent server for the whole session keeps each wine call short.
    wineserver -p </dev/null >/dev/null 2>&1 || tessella_wine_fail "wineserver did not start"
    wineboot --init </dev/null >/dev/null 2>&1 || tessella_wine_fail "wineboot --init failed"
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    for mapping in 'ＭＳ Ｐゴシック=IPAPGothic' 'MS PGothic=IPAPGothic' 'MS UI Gothic=IPAPGothic' \
                   'MS Shell Dlg=IPAPGothic' 'ＭＳ ゴシック=IPAGothic' 'MS Gothic=IPAGothic'; do
        wine reg add "$substitutes" /v "${mapping%%=*}" /t REG_SZ /d "${mapping#*=}" /f \
            </dev/null >/dev/null 2>&1 || tessella_wine_fail "cannot map the font ${mapping%%=*}"
    done
    if [ "${1:-}" = unmanaged ]; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            </dev/null >/dev/null 2>&1 || tessella_wine_fail "cannot turn off window management"
    fi
}
