#!/bin/sh
# Installs what the native build and its tests need on Debian 12: compiler, CMake,
# libpng (the previews' PNG files),
# GoogleTest, Google Benchmark, clang with libFuzzer (fuzz targets), ImageMagick
# (bitmaps written by another program, for the bad-input corpus and the README's
# examples) and man-db (the tests read the installed manual page with man -l).
#
# Usage: tools/install-build-deps.sh [--minimal]   (as root, or with sudo available)
#   --minimal  only what building, installing and packaging the command line needs
#              (dpkg-dev and file: CPack's Debian package finds its dependencies with them)
# Idempotent: installs only the packages that are missing.
set -eu

packages="g++ cmake make pkg-config dpkg-dev file libpng-dev"
if [ "${1:-}" != "--minimal" ]; then
    packages="$packages libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev imagemagick man-db"
fi

"$(dirname "$0")/install-missing.sh" install-build-deps $packages
