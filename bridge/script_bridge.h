// Running ExtendScript text in the host: with or without its result. Every
// script goes to the host as UTF-8 (platform encoding off), so texts come
// back in UTF-8 too.
#pragma once

#include "sdk/ae_sdk.h"

#include <string>

namespace qv {

class SuiteAccess;

// What one script run handed back. A text the host gave no handle for stays
// empty, and `hasResult` tells a missing result from an empty one.
struct ScriptResult {
    A_Err err = A_Err_NONE;
    bool hasResult = false;
    std::string result;
    std::string error;
};

// The "AEGP Utility Suite" version 13, acquired once per suite access object;
// throws kMissingSuiteError when the host has none.
const AEGP_UtilitySuite6 *GetUtilitySuite(SuiteAccess &suites);

// Runs `script` and returns the host's error code; nothing comes back.
A_Err RunScript(SuiteAccess &suites, const std::string &script);

// Runs `script` asking for both the result and the error text.
ScriptResult RunScriptWithResult(SuiteAccess &suites, const std::string &script);

} // namespace qv
