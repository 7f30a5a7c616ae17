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

if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root="sudo"; fi

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    echo "install-build-deps: installing$missing"
    $as_root apt-get update
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends $missing
fi
