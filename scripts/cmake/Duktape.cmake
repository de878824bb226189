# Duktape for the simulator's script engine, built from the amalgamation that
# Debian's duktape-dev ships in /usr/share/duktape, with Debian's
# configuration plus an execution timeout check (testhost/scripting/duktape/duk_config.h):
# the prebuilt library is configured without one, so a script could never be
# stopped. Defines the static library qv_duktape.
set(QV_DUKTAPE_DIR ${CMAKE_BINARY_DIR}/third-party/duktape)
file(COPY /usr/share/duktape/duktape.c /usr/share/duktape/duktape.h DESTINATION ${QV_DUKTAPE_DIR})
configure_file(/usr/share/duktape/duk_config.h ${QV_DUKTAPE_DIR}/duk_config_debian.h COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/testhost/scripting/duktape/duk_config.h ${QV_DUKTAPE_DIR}/duk_config.h COPYONLY)
add_library(qv_duktape STATIC ${QV_DUKTAPE_DIR}/duktape.c)
target_include_directories(qv_duktape SYSTEM PUBLIC ${QV_DUKTAPE_DIR})
target_compile_options(qv_duktape PRIVATE -w)
set_target_properties(qv_duktape PROPERTIES POSITION_INDEPENDENT_CODE ON)
# Duktape's own pointer arithmetic (a null base plus a zero offset, as it
# finds properties) trips the undefined-behaviour checker's pointer-overflow
# check under clang; it is Debian's code, built as Debian builds it.
if(NOT WIN32)
    target_compile_options(qv_duktape PRIVATE -fno-sanitize=undefined)
endif()
