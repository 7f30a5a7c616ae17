#!/bin/sh
# Installs what the Windows build and its tests under Wine need on Debian 12: the
# MinGW-w64 cross compiler, Wine (64-bit), a virtual X display (Xvfb), Wine's own fonts,
# the IPA Japanese fonts (metric-compatible with the dialog font), ImageMagick (the
# screenshots become PNG files) and the Japanese locale (Wine takes the ANSI code page 932
# from LANG=ja_JP.UTF-8); then GeographicLib for MinGW-w64, built once from Debian's
# source package into the user's cache folder (tools/mingw-geographiclib.sh; dpkg-dev
# unpacks the source).
#
# Usage: tools/install-windows-deps.sh        (as root, or with sudo available)
# Idempotent: installs only the packages that are missing, generates the locale once.
set -eu

packages="mingw-w64 wine wine64 xvfb xauth fonts-wine fonts-ipafont-gothic locales imagemagick cmake make dpkg-dev"

"$(dirname "$0")/install-missing.sh" install-windows-deps $packages

if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root="sudo"; fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "install-windows-deps: generating ja_JP.UTF-8"
    $as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

"$(dirname "$0")/mingw-geographiclib.sh" >/dev/null
