#!/usr/bin/env bash
# Side-by-side timing of a whole conversion, in one command:
#
#   bench/compare.sh [--runs N] [--big-runs N] [--sizes "4800 16000"] [--work DIR] [--no-peers]
#                    [--import-runs N] [--import-big-runs N] [--import-only] [--no-gdal2tiles]
#                    [--startup-only [--baseline NAME=TESSELLA]...]
#
# Builds the release programs (build/bench), draws synthetic map bitmaps of 4800 x 4800
# and 16000 x 16000 pixels with bench/make_map, then times, interleaved round by round,
# each run into a fresh output folder (all removed at the end, never between runs):
#   tessella    `tessella convert` (two threads where the machine has two cores)
#   core-1t     the same tile writer with one thread (bench/convert_driver)
#   floor-2t    the I/O floor: the same reads and the same files and bytes, no computation
#   floor-1t    the same with one thread (bench/io_floor)
#   floor-inplace  the floor writing every file under its final name: what the temporary
#               names and renames cost
#   literal     the straightforward row-by-row converter: seek, 480-byte read, 160-byte
#               write per pixel row (bench/literal_convert)
#   vips        libvips `dzsave` into 160 x 160 tiles (uncompressed .ppm tiles)
#   magick      ImageMagick `convert -crop 160x160` into BMP tiles
# then reads tessella's map back: `tessella verify`, `preview --scale 4` and (once, as
# it compresses every index into the PNG) `preview --scale 1`;
# and prints medians, peak memory and ratios, and writes them with a description of the
# machine into bench/RESULTS.md, followed by quantizePieces' pixels per second on one core
# (bench/quantizer_bench). Missing Debian packages (compilers, cmake, Google Benchmark,
# libvips-tools, imagemagick, time, python3) are installed with apt-get.
# The page cache is warm (the bitmap is read once before the runs). Not part of CI.
# Then bench/import_compare.py times `tessella import` of a striped GeoTIFF and a JPEG
# against `gdal_translate -of BMP` + `convert` and against gdal2tiles at one zoom level
# (gdal-bin), and writes its own section of bench/RESULTS.md; --import-only runs just that.
# --startup-only runs only bench/startup_compare.py: short commands of the everyday tessella
# (start-up, the sample's dry run with typed and auto extents), with --baseline against
# another build of tessella; it writes its own section too.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"

"$root/tools/install-missing.sh" compare.sh cmake g++ make libbenchmark-dev libvips-tools imagemagick time python3 \
    gdal-bin python3-gdal

import_only=0 startup_only=0 import_args=() compare_args=() startup_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --import-only) import_only=1 ;;
        --startup-only) startup_only=1 ;;
        --baseline) startup_args+=(--baseline "$2"); shift ;;
        --import-runs) import_args+=(--runs "$2"); shift ;;
        --import-big-runs) import_args+=(--big-runs "$2"); shift ;;
        --no-gdal2tiles) import_args+=(--no-gdal2tiles) ;;
        --sizes|--work) import_args+=("$1" "$2"); compare_args+=("$1" "$2"); shift ;;
        *) compare_args+=("$1") ;;
    esac
    shift
done

build="$root/build/bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSELLA_BUILD_TESTS=OFF \
      -DTESSELLA_BUILD_BENCH=ON >/dev/null
if [ "$startup_only" = 1 ]; then
    cmake --build "$build" -j"$(nproc)" --target tessella >/dev/null
    exec python3 "$here/startup_compare.py" --build "$build" --results "$here/RESULTS.md" \
        --sample "$root/samples/east-asia.bmp" "${startup_args[@]}"
elif [ "$import_only" = 1 ]; then
    cmake --build "$build" -j"$(nproc)" --target tessella make_map >/dev/null
else
    cmake --build "$build" -j"$(nproc)" --target tessella make_map convert_driver io_floor literal_convert \
        quantizer_bench >/dev/null
fi

if [ "$import_only" = 0 ]; then
    python3 "$here/compare.py" --build "$build" --results "$here/RESULTS.md" \
        --quantizer "$build/bench/quantizer_bench" "${compare_args[@]}"
fi
exec python3 "$here/import_compare.py" --build "$build" --results "$here/RESULTS.md" "${import_args[@]}"
