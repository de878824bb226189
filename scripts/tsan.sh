#!/bin/sh
# Builds the plug-in, the simulator and the tests that render on several
# threads under ThreadSanitizer (gcc, into build-tsan/), and runs them: the
# stress test at a reduced load, the lifecycle tests (threads ending before
# and after the global setdown, a setdown during a render), the threaded
# render and engine tests, and the Lua watchdog tests. A report fails the run.
#
# QV_STRESS_FRAMES (default 6) and QV_STRESS_THREADS (default 4) set the
# stress test's load. Mesa, GLFW and Lua are not instrumented;
# scripts/tsan.supp says which reports may be suppressed.
set -eu
cd "$(dirname "$0")/.."
dir=build-tsan

CC=${CC:-gcc} CXX=${CXX:-g++} cmake -S . -B "$dir" -G Ninja -DQV_TSAN=ON -DQV_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" --target Quorvel qvhost qv_test_host_stress qv_test_host_lifecycle qv_test_host_render qv_test_engine \
    qv_test_lua qv_test_lua_render

export TSAN_OPTIONS="suppressions=$(pwd)/scripts/tsan.supp second_deadlock_stack=1 history_size=4 exitcode=66"
export QV_STRESS_FRAMES=${QV_STRESS_FRAMES:-6}
export QV_STRESS_THREADS=${QV_STRESS_THREADS:-4}
export __GLVND_APP_ERROR_CHECKING=1  # the thread-exit test needs it (see tests/CMakeLists.txt)
# llvmpipe draws on the calling thread. Its own rasteriser threads hand tiles
# back through futexes and atomics in uninstrumented code, so TSan reported
# the driver's memcpy of a finished tile (inside glReadPixels) as a race with
# the thread that drew it, and got stuck for minutes on the 7 MB copy's words.
# Our threads, locks and GL calls are the same either way.
export LP_NUM_THREADS=0

failed=""
run() {  # run SUITE [GTEST_FILTER]
    echo "== $1 ${2:-}"
    if ! scripts/with-display.sh "$dir/tests/qv_test_$1" --gtest_filter="${2:-*}" --gtest_brief=1; then
        failed="$failed $1"
    fi
}
run host_stress
run host_lifecycle
run host_render 'ThreadsTest.*'
run engine 'LifecycleTest.*Thread*:LifecycleTest.GlobalShutdown*'
run lua 'AbortTest.*'
run lua_render 'LuaFrameTest.ARunawayScript*:LuaFrameTest.ScriptsThatEnd*'

if [ -n "$failed" ]; then
    echo "ThreadSanitizer run failed:$failed" >&2
    exit 1
fi
echo "ThreadSanitizer run clean"
