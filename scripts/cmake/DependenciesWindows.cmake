# The plug-in's third-party libraries for Windows, as the same QV:: targets the
# Linux build gets from pkg-config: Lua (compiled as C++) and GLFW as static
# libraries and cpp-httplib's single header, found under QV_WIN_DEPS (see
# scripts/windows/build-deps.sh). GLFW loads opengl32.dll itself at run time,
# so QV::GL links nothing.
find_package(Threads REQUIRED)

find_path(QV_LUA_INCLUDE_DIR lua.hpp PATH_SUFFIXES lua5.3 REQUIRED)
find_library(QV_LUA_LIBRARY NAMES lua53 REQUIRED)
add_library(QV::Lua STATIC IMPORTED GLOBAL)
set_target_properties(QV::Lua PROPERTIES
    IMPORTED_LOCATION ${QV_LUA_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${QV_LUA_INCLUDE_DIR})

find_package(glfw3 3.3 CONFIG REQUIRED)
add_library(QV::GLFW INTERFACE IMPORTED GLOBAL)
set_target_properties(QV::GLFW PROPERTIES INTERFACE_LINK_LIBRARIES glfw)

find_path(QV_HTTPLIB_INCLUDE_DIR httplib.h REQUIRED)
add_library(QV::HTTPLIB INTERFACE IMPORTED GLOBAL)
set_target_properties(QV::HTTPLIB PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${QV_HTTPLIB_INCLUDE_DIR}
    INTERFACE_LINK_LIBRARIES ws2_32)

add_library(QV::GL INTERFACE IMPORTED GLOBAL)
