#!/bin/sh
# Configures and builds into DIR (default build/) with extra CMake arguments.
# usage: scripts/build.sh [DIR] [cmake args...]
set -eu
cd "$(dirname "$0")/.."
dir=${1:-build}
[ $# -gt 0 ] && shift
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir"
