#!/bin/sh
# Runs one scenario of the UI driver in the Wine session and turns its screenshots into
# PNG files. Prints "UI TEST PASSED: SCENARIO" last, and only when the driver ran to its
# own PASS line with exit status 0 and every screenshot was converted.
#
# Usage: run-scenario.sh STATE_DIR DRIVER.exe TESSELLA.exe WORK_DIR SHOT_DIR SCENARIO
set -u
[ $# -eq 6 ] || { echo "usage: $0 STATE_DIR DRIVER TESSELLA WORK_DIR SHOT_DIR SCENARIO" >&2; exit 2; }
state=$1 driver=$2 tessella=$3 work=$4 shots=$5 scenario=$6
root=$(cd "$(dirname "$0")/../.." && pwd)

rm -rf "$work"
mkdir -p "$work/shots" "$shots"
log="$work/driver.log"
"$root/tools/wine/session-run.sh" "$state" --timeout 150 "$driver" "$scenario" "$tessella" \
    "$work" "$work/shots" >"$log" 2>&1
status=$?
# The program's texts are Shift-JIS under code page 932.
tr -d '\r' <"$log" | iconv -c -f CP932 -t UTF-8

if [ $status -ne 0 ] || ! grep -q "^UI-DRIVER-RESULT: PASS $scenario" "$log"; then
    echo "driver failed (exit status $status)"
    exit 1
fi
for shot in "$work"/shots/*.bmp; do
    [ -e "$shot" ] || continue
    png="$shots/$(basename "$shot" .bmp).png"
    if ! convert "$shot" "$png"; then
        echo "cannot convert $shot to PNG"
        exit 1
    fi
    echo "screenshot: $png"
done
echo "UI TEST PASSED: $scenario"
