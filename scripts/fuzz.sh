#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for SECONDS (default
# 15) from its seed corpus, with tests/fuzz/NAME.dict when there is one. A
# crash fails the run and leaves its input in build-fuzz/crashes/; turn it
# into a regression test.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-15}
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DQV_FUZZ=ON -DQV_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
mkdir -p build-fuzz/crashes build-fuzz/work
# clang 14's runtime misreads where some dynamic TLS blocks begin, and its
# exit-time leak check can then crash; scripts/test.sh says more.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0
export LSAN_OPTIONS=suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0
for target in build-fuzz/tests/fuzz/fuzz_*; do
    name=$(basename "$target" | sed 's/^fuzz_//')
    work=build-fuzz/work/$name
    mkdir -p "$work"
    dict=""
    [ -f "tests/fuzz/$name.dict" ] && dict="-dict=tests/fuzz/$name.dict"
    echo "fuzzing $name for ${seconds}s"
    # shellcheck disable=SC2086
    "$target" -max_total_time="$seconds" -artifact_prefix=build-fuzz/crashes/"$name"- $dict \
        -print_final_stats=0 "$work" "tests/fuzz/corpus/$name" 2>build-fuzz/work/"$name".log \
        || { tail -40 build-fuzz/work/"$name".log; exit 1; }
done
echo "fuzzing found nothing"
