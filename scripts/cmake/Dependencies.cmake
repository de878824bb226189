# Third-party libraries of the plug-in, as targets named by what they are, so
# the subsystems link QV::Lua, QV::GLFW, QV::HTTPLIB and QV::GL whatever
# provides them. On Linux they come from Debian's packages via pkg-config.
if(WIN32)  # Windows: from the prefix scripts/build-windows.sh fills
    include(${CMAKE_CURRENT_LIST_DIR}/DependenciesWindows.cmake)
    return()
endif()
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(OpenGL REQUIRED)
# Lua's C++ build, so a Lua error unwinds C++ frames instead of longjmp-ing over them.
pkg_check_modules(LUA REQUIRED IMPORTED_TARGET GLOBAL lua5.3-c++)
pkg_check_modules(GLFW REQUIRED IMPORTED_TARGET GLOBAL glfw3)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET GLOBAL cpp-httplib)
add_library(QV::Lua ALIAS PkgConfig::LUA)
add_library(QV::GLFW ALIAS PkgConfig::GLFW)
add_library(QV::HTTPLIB ALIAS PkgConfig::HTTPLIB)
add_library(QV::GL ALIAS OpenGL::GL)
