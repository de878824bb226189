#!/bin/sh
# Configures and builds into DIR (default build/) with extra CMake arguments.
# usage: scripts/build.sh [DIR] [cmake args...]
set -eu
cd "$(dirname "$0")/.."
dir=${1:-build}
[ $# -gt 0 ] && shift
# ccache keeps rebuilds of several checkouts cheap; paths are hashed relative
# to the checkout, so separate checkouts share the cache.
launcher=""
if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(pwd)}"
    launcher="-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
fi
# shellcheck disable=SC2086
cmake -S . -B "$dir" -G Ninja $launcher "$@" >/dev/null
cmake --build "$dir"
