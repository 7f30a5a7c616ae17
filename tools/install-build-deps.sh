#!/bin/sh
# Installs what the native build and its tests need on Debian 12: compiler, CMake,
# GoogleTest, Google Benchmark, clang with libFuzzer (fuzz targets) and ImageMagick
# (bitmaps written by another program, for the bad-input corpus).
#
# Usage: tools/install-build-deps.sh [--minimal]   (as root, or with sudo available)
#   --minimal  only what building and running the command line needs
# Idempotent: installs only the packages that are missing.
set -eu

packages="g++ cmake make pkg-config"
if [ "${1:-}" != "--minimal" ]; then
    packages="$packages libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev imagemagick"
fi

"$(dirname "$0")/install-missing.sh" install-build-deps $packages
