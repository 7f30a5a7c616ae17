#!/bin/sh
# What --dither costs an import: tessella import of one georeferenced picture without and
# with --dither, runs taking turns, each into a fresh folder; prints the median wall-clock
# time of each and their ratio. Usage: bench/dither_import.sh TESSELLA PICTURE [RUNS]
# (run it on /dev/shm: the machine is shared, ratios within one run are what counts).
set -eu
tessella=$1
picture=$2
runs=${3:-7}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessella-dither-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
: >"$scratch/plain"
: >"$scratch/dither"
i=0
while [ "$i" -lt "$runs" ]; do
    for way in plain dither; do
        out="$scratch/out-$way-$i"
        mkdir "$out"
        option=
        [ "$way" = dither ] && option=--dither
        start=$(date +%s.%N)
        "$tessella" import "$picture" --name Bench --folder bench --output-dir "$out" --quiet $option
        end=$(date +%s.%N)
        echo "$end - $start" | bc >>"$scratch/$way"
    done
    i=$((i + 1))
done
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
plain=$(median "$scratch/plain")
dither=$(median "$scratch/dither")
echo "import median ${plain} s, import --dither median ${dither} s, ratio $(echo "scale=2; $dither / $plain" | bc)"
