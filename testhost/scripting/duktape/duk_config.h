/* Debian's configuration of Duktape with an execution timeout check, for the
   simulator's script engine (scripts/cmake/Duktape.cmake puts Debian's file
   beside this one as duk_config_debian.h). While a script runs, Duktape asks
   qvhScriptTimedOut now and then with the heap's user data; once it answers
   true, every instruction throws a RangeError until the script has left the
   engine, so no try/catch can hold the script. */
#if !defined(QV_DUK_CONFIG_H_INCLUDED)
#define QV_DUK_CONFIG_H_INCLUDED

#include "duk_config_debian.h"

#define DUK_USE_INTERRUPT_COUNTER
#define DUK_USE_EXEC_TIMEOUT_CHECK(udata) qvhScriptTimedOut(udata)

#if defined(__cplusplus)
extern "C" {
#endif
duk_bool_t qvhScriptTimedOut(void *udata);  /* testhost/script_engine.cpp */
#if defined(__cplusplus)
}
#endif

#endif
