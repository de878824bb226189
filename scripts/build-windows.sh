#!/bin/sh
# Builds the Win64 plug-in, Quorvel.aex, with Debian's mingw-w64 cross compiler
# into DIR (default build-win/): downloads the source packages of Lua, GLFW and
# cpp-httplib (checked against their .dsc), builds them into DIR/deps, then
# the plug-in alone. Downloads and libraries are kept, so later runs only
# rebuild what changed. With --tests it also builds the Windows simulator and
# test programs (see scripts/test-windows.sh).
# usage: scripts/build-windows.sh [--tests] [DIR]
set -eu
cd "$(dirname "$0")/.."
with_tests=OFF
if [ "${1:-}" = "--tests" ]; then with_tests=ON; shift; fi
dir=${1:-build-win}
scripts/install-deps.sh
scripts/windows/fetch-sources.sh "$dir/sources" lua5.3 glfw3 cpp-httplib
scripts/windows/build-deps.sh "$dir/sources" "$dir/deps-build" "$dir/deps"
deps=$(cd "$dir/deps" && pwd)

launcher=""
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(pwd)}"
    launcher="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
fi
# shellcheck disable=SC2086
cmake -S . -B "$dir/plugin" -G Ninja $launcher \
    -DCMAKE_TOOLCHAIN_FILE=scripts/cmake/Toolchain-mingw64.cmake -DQV_WIN_DEPS="$deps" \
    -DQV_PLUGIN_ONLY=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir/plugin"
echo "built $dir/plugin/Quorvel.aex"
[ "$with_tests" = ON ] || exit 0

# The same plug-in again beside the simulator and the test programs.
# shellcheck disable=SC2086
cmake -S . -B "$dir/tests" -G Ninja $launcher \
    -DCMAKE_TOOLCHAIN_FILE=scripts/cmake/Toolchain-mingw64.cmake -DQV_WIN_DEPS="$deps" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir/tests"
echo "built $dir/tests/qvhost.exe and the Windows test programs"
