#!/bin/sh
# Installs what the Windows build and its tests under Wine need on Debian 12: the
# MinGW-w64 cross compiler, Wine (64-bit), a virtual X display (Xvfb), Wine's own fonts,
# the IPA Japanese fonts (metric-compatible with the dialog font), ImageMagick (the
# screenshots become PNG files) and the Japanese locale (Wine takes the ANSI code page 932
# from LANG=ja_JP.UTF-8).
#
# Usage: tools/install-windows-deps.sh        (as root, or with sudo available)
# Idempotent: installs only the packages that are missing, generates the locale once.
set -eu

packages="mingw-w64 wine wine64 xvfb xauth fonts-wine fonts-ipafont-gothic locales imagemagick"

if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root="sudo"; fi

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    echo "install-windows-deps: installing$missing"
    $as_root apt-get update
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends $missing
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "install-windows-deps: generating ja_JP.UTF-8"
    $as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
