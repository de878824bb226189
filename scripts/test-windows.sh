#!/bin/sh
# Builds the Win64 plug-in, simulator and test programs (scripts/build-windows.sh)
# and runs them under Wine against the Win64 Quorvel.aex, in Xvfb:
# - the DLL's exports, imports and PIPL resource (against the Linux build's .pipl);
# - the test programs host_render, engine, lua_gl, host_lifecycle, host_faultmatrix and
#   host_stress (at a reduced load);
# - what only Windows does (scripts/windows/windows-behaviour.sh);
# - the golden comparison of the examples with the Linux build's frames.
# Needs the Linux build in LINUX_BUILD (default build/, made by scripts/build.sh).
# Every program runs under a time limit (180 s; each takes a few seconds), so a
# hang fails instead of stalling.
# usage: scripts/test-windows.sh [LINUX_BUILD]
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
linux=${1:-build}
scripts/build-windows.sh --tests build-win
win=$root/build-win/tests
export WINEPREFIX="$root/build-win/wineprefix"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export QV_STRESS_THREADS=${QV_STRESS_THREADS:-2} QV_STRESS_FRAMES=${QV_STRESS_FRAMES:-3}
status=0

scripts/windows/check-plugin.sh build-win/plugin/Quorvel.aex "$linux/Quorvel.pipl" || status=1

run_suite() {  # run_suite NAME [GTEST ARGS...]
    name=$1; shift
    start=$(date +%s)
    if (cd "$win" && timeout 180 "$root/scripts/with-display.sh" "$root/scripts/windows/wine-run.sh" \
            "./qv_test_$name.exe" "$@") >"$win/$name.log" 2>&1; then
        echo "ok   $name ($(( $(date +%s) - start )) s, $(grep -c '^\[       OK' "$win/$name.log") tests)"
    else
        echo "FAIL $name ($(( $(date +%s) - start )) s): see $win/$name.log"
        grep -E '^\[  FAILED|Failure|page fault' "$win/$name.log" | head -n 10 | sed 's/^/     /'
        grep -q '^\[  PASSED' "$win/$name.log" || echo "     no result: crashed or still running after 180 s"
        status=1
    fi
}

run_suite host_render
run_suite engine
run_suite lua_gl
run_suite host_lifecycle
run_suite host_faultmatrix
run_suite host_stress

scripts/with-display.sh scripts/windows/windows-behaviour.sh "$win" build-win/behaviour || status=1
scripts/with-display.sh scripts/windows/golden.sh "$linux" "$win" build-win/golden || status=1

[ $status -eq 0 ] && echo "Windows tests passed under Wine" || echo "Windows tests FAILED"
exit $status
