#!/bin/sh
# Installs the Debian packages that building, testing, benchmarking and the
# tools need. Quick when everything is present: apt runs only for what is missing.
set -eu

PACKAGES="
g++ clang cmake ninja-build pkg-config python3 python3-glad
liblua5.3-dev lua5.3 libglfw3-dev libcpp-httplib-dev libssl-dev
duktape-dev libpng-dev libopenexr-dev libopenimageio-dev nlohmann-json3-dev libcli11-dev
xvfb xauth libgl1-mesa-dri libgl-dev libx11-dev
libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev valgrind binutils ccache
g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 libstb-dev googletest dpkg-dev
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
