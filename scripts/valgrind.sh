#!/bin/sh
# Runs the plug-in's test programs under valgrind's memcheck: any invalid
# access, use of uninitialised memory or definite leak fails the run.
# usage: scripts/valgrind.sh [SUITE...]   (suites as in tests/, default below)
#
# The default is every suite but three. host_lifecycle renders on threads that
# wait for one another, which valgrind runs one at a time: it does not finish
# within fifteen minutes. host_stress renders hundreds of frames on several
# threads against references, hours under valgrind. testhost_qvhost runs qvhost as child
# processes, which valgrind does not follow, so it would check only the test
# program. Name a suite to run it anyway. The GL suites run Mesa's llvmpipe
# under valgrind: small frames keep them to minutes.
# scripts/valgrind.supp silences reports whose stacks lie wholly in
# third-party code (glibc's loader so far); never add an entry for our own.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build

suites=${*:-"engine engine_pixels host host_faultmatrix host_params host_render host_shadertoy lua lua_gl
    lua_http lua_render storage support testhost testhost_scripting translate ui"}
mkdir -p build/valgrind
failed=""
for suite in $suites; do
    log=build/valgrind/$suite.log
    start=$(date +%s)
    if scripts/with-display.sh valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite \
        --error-exitcode=1 --suppressions=scripts/valgrind.supp --num-callers=30 \
        build/tests/qv_test_"$suite" --gtest_brief=1 >"$log" 2>&1; then
        echo "valgrind: $suite clean ($(($(date +%s) - start)) s)"
    else
        echo "valgrind: $suite FAILED ($(($(date +%s) - start)) s), see $log"
        failed="$failed $suite"
    fi
done
if [ -n "$failed" ]; then
    echo "valgrind found errors in:$failed"
    exit 1
fi
echo "valgrind found no errors"
