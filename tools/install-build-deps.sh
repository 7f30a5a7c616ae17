#!/bin/sh
# Installs what the native build and its tests need on Debian 12: compiler, CMake,
# libpng (the previews' PNG files),
# GoogleTest, Google Benchmark, clang with libFuzzer (fuzz targets), ImageMagick
# (bitmaps written by another program, for the bad-input corpus and the README's
# examples), man-db (the tests read the installed manual page with man -l), and GDAL's
# and GeographicLib's programs (the map-picture import's tests and benchmarks), and libtiff
# (the tests read GeoTIFF tags as the Windows build's picture decoder hands them over).
#
# Usage: tools/install-build-deps.sh [--minimal]   (as root, or with sudo available)
#   --minimal  only what building, installing and packaging the command line needs
#              (dpkg-dev and file: CPack's Debian package finds its dependencies with them)
# Idempotent: installs only the packages that are missing.
set -eu

# The Linux command line reads map pictures through GDAL and GeographicLib.
packages="g++ cmake make pkg-config dpkg-dev file libpng-dev libgdal-dev libgeographiclib-dev"
if [ "${1:-}" != "--minimal" ]; then
    packages="$packages libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev imagemagick man-db"
    packages="$packages libtiff-dev"
    packages="$packages gdal-bin geographiclib-tools xplanet-images"
fi

"$(dirname "$0")/install-missing.sh" install-build-deps $packages
