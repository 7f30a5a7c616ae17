#!/bin/sh
# Builds the fuzz targets with clang and libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer on the targets and the conversion core) and fuzzes each for a
# bounded time, starting from the kept corpus in tests/fuzz/corpus/<target>/. Prints the
# executions per target. A crash stops with the input's path: copy it into
# tests/fuzz/corpus/<target>/ so that every build replays it from then on.
#
# Usage: tests/fuzz/run-fuzzers.sh [options] SECONDS [TARGET...]
#   TARGET           probe, settings, conversion (default: all three)
#   --build-dir DIR  clang build folder (default: build/fuzz-clang in the source tree)
#   --build-only     build, run nothing (SECONDS not needed)
#   --no-build       use the programs already built in the build folder
#   --replayer PATH  without clang and libFuzzer, replay the kept corpus with PATH instead
#                    of failing (for CI on machines without clang)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
build_dir="$source_dir/build/fuzz-clang"
build=yes
run=yes
replayer=""

while [ $# -gt 0 ]; do
    case "$1" in
        --build-dir) build_dir=$2; shift 2 ;;
        --build-only) run=no; shift ;;
        --no-build) build=no; shift ;;
        --replayer) replayer=$2; shift 2 ;;
        -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
        *) break ;;
    esac
done

seconds=0
if [ "$run" = yes ]; then
    if [ $# -lt 1 ]; then
        echo "usage: $0 [options] SECONDS [TARGET...]" >&2
        exit 2
    fi
    seconds=$1
    shift
fi
targets=${*:-probe settings conversion}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)

# Whether clang can build and link a libFuzzer program here.
have_libfuzzer() {
    command -v clang++ >/dev/null 2>&1 || return 1
    probe_dir=$(mktemp -d)
    printf '%s\n' '#include <cstdint>' '#include <cstddef>' \
        'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' > "$probe_dir/t.cpp"
    if clang++ -fsanitize=fuzzer,address,undefined "$probe_dir/t.cpp" -o "$probe_dir/t" >/dev/null 2>&1; then
        rm -rf "$probe_dir"
        return 0
    fi
    rm -rf "$probe_dir"
    return 1
}

if ! have_libfuzzer; then
    if [ "$run" = no ]; then
        echo "run-fuzzers: clang with libFuzzer is not installed (Debian: clang); nothing to build"
        exit 0
    fi
    if [ -z "$replayer" ]; then
        echo "run-fuzzers: clang with libFuzzer is not installed (Debian: clang)" >&2
        exit 1
    fi
    for target in $targets; do
        echo "run-fuzzers: no libFuzzer here; replaying the kept corpus of $target"
        "$replayer" "$here/corpus/$target"
    done
    exit 0
fi

if [ "$build" = yes ]; then
    flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    generator=""
    if command -v ninja >/dev/null 2>&1; then generator="-G Ninja"; fi
    if [ ! -f "$build_dir/CMakeCache.txt" ]; then
        # shellcheck disable=SC2086
        cmake -S "$source_dir" -B "$build_dir" $generator \
            -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_CXX_FLAGS="$flags" -DTESSELLA_SANITIZE=OFF \
            -DTESSELLA_FUZZ=ON -DTESSELLA_FUZZ_SECONDS=0 >"$build_dir/configure.log" 2>&1 ||
            { cat "$build_dir/configure.log" >&2; exit 1; }
    fi
    programs=""
    for target in probe settings conversion; do programs="$programs fuzz_$target"; done
    # shellcheck disable=SC2086
    cmake --build "$build_dir" --target $programs -j2
fi
[ "$run" = yes ] || exit 0

status=0
summary=""
for target in $targets; do
    program="$build_dir/tests/fuzz/fuzz_$target"
    if [ ! -x "$program" ]; then
        echo "run-fuzzers: $program is not built" >&2
        exit 1
    fi
    work="$build_dir/runs/$target"
    rm -rf "$work"
    mkdir -p "$work/new" "$work/crashes"
    echo "run-fuzzers: fuzzing $target for $seconds s"
    set +e
    "$program" "$work/new" "$here/corpus/$target" \
        -max_total_time="$seconds" -max_len=4096 -timeout=60 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/crashes/" >"$work/log" 2>&1
    result=$?
    set -e
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
    line="fuzz $target: ${executions:-?} executions in $seconds s, $(ls "$work/new" | wc -l) new inputs"
    if [ "$result" -ne 0 ]; then
        tail -n 60 "$work/log" >&2
        line="$line, FAILED (exit $result); kept in $work/crashes/: $(ls "$work/crashes" | tr '\n' ' ')"
        status=1
    fi
    echo "$line"
    summary="$summary$line
"
done
# Several targets: their lines again together at the end, after the fuzzers' noise.
[ "$(echo $targets | wc -w)" -gt 1 ] && printf '%s' "$summary"
exit $status
