#!/bin/sh
# Runs the plug-in's test programs under valgrind's memcheck: any invalid
# access, use of uninitialised memory or definite leak fails the run.
# usage: scripts/valgrind.sh [SUITE...]   (suites as in tests/, default below)
#
# The default is every suite that renders no frame through GL. The GL suites
# (cli engine lifecycle lua_gl lua_render render stress) run Mesa's llvmpipe,
# whose JIT-compiled shaders run some fifty times slower under valgrind: a
# single one of them takes far longer than all the others together. Name one
# to run it anyway. scripts/valgrind.supp silences reports whose stacks lie
# wholly in third-party libraries (Mesa, GLFW, X11, Lua, Duktape, glibc's
# loader); never add an entry for our own code.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build

suites=${*:-"faultmatrix host http lua params pixels script_engine simulator storage support translate
    translate_rewrite ui"}
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
