#!/bin/sh
# Builds the plug-in's third-party libraries for Win64 from Debian's source
# packages into PREFIX: Lua 5.3 compiled as C++ (so a Lua error unwinds C++
# frames) and GLFW as static libraries, and cpp-httplib's single header.
# A library already in PREFIX is not built again.
# usage: scripts/windows/build-deps.sh SOURCES_DIR WORK_DIR PREFIX
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
sources=$1; work=$2; prefix=$3
mkdir -p "$work" "$prefix/include" "$prefix/lib"
work=$(cd "$work" && pwd); prefix=$(cd "$prefix" && pwd); sources=$(cd "$sources" && pwd)
cxx=x86_64-w64-mingw32-g++-posix
ar=x86_64-w64-mingw32-ar

# Unpacks a source package's upstream tarball (and its Debian patches) into WORK_DIR/NAME.
unpack() {
    rm -rf "$work/$1"; mkdir -p "$work/$1"
    tar -xf "$sources"/"$2"_*.orig.tar.* -C "$work/$1" --strip-components=1
    tar -xf "$sources"/"$2"_*.debian.tar.* -C "$work/$1"
}

build_lua() {
    [ -f "$prefix/lib/liblua53.a" ] && return 0
    unpack lua lua5.3
    # Debian's own changes to the headers: C linkage of the API under C++.
    for p in 0002-lua-modules-paths.patch 0003-extern_C.patch; do
        patch -s -d "$work/lua" -p1 <"$work/lua/debian/patches/$p"
    done
    mkdir -p "$work/lua/obj"
    for c in "$work"/lua/src/*.c; do
        case $(basename "$c") in lua.c|luac.c) continue ;; esac
        $cxx -x c++ -O2 -g -DLUA_COMPAT_5_2 -c "$c" -o "$work/lua/obj/$(basename "$c" .c).o"
    done
    rm -f "$prefix/lib/liblua53.a"
    $ar rcs "$prefix/lib/liblua53.a" "$work"/lua/obj/*.o
    mkdir -p "$prefix/include/lua5.3"
    cp "$work"/lua/src/lua.h "$work"/lua/src/luaconf.h "$work"/lua/src/lualib.h \
       "$work"/lua/src/lauxlib.h "$work"/lua/src/lua.hpp "$prefix/include/lua5.3/"
}

build_glfw() {
    [ -f "$prefix/lib/libglfw3.a" ] && return 0
    unpack glfw glfw3
    cmake -S "$work/glfw" -B "$work/glfw/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/scripts/cmake/Toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
        -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF >/dev/null
    cmake --build "$work/glfw/build" >/dev/null
    cmake --install "$work/glfw/build" >/dev/null
}

install_httplib() {
    [ -f "$prefix/include/httplib.h" ] && return 0
    unpack httplib cpp-httplib
    cp "$work/httplib/httplib.h" "$prefix/include/httplib.h"
}

build_lua
build_glfw
install_httplib
