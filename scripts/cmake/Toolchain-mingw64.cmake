# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix threads,
# so std::thread and std::mutex work). QV_WIN_DEPS names the folder where the
# Windows builds of the third-party libraries are installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QV_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${QV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QV_MINGW_TRIPLE}-windres)
set(CMAKE_AR /usr/bin/${QV_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${QV_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

set(QV_WIN_DEPS "" CACHE PATH "Prefix holding the Windows builds of Lua, GLFW and cpp-httplib")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QV_WIN_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${QV_MINGW_TRIPLE} ${QV_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
