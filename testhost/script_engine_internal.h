// What the script engine's files share: the Duktape heap and the natives
// each file registers in it.
#pragma once

#include <duktape.h>

#include <string>

namespace qvh {

// Duktape keeps characters beyond U+FFFF of script literals as surrogate
// pairs (CESU-8), like the host's UTF-16 strings. Text going in is made alike,
// and text coming out is standard UTF-8 again.
void pushText(duk_context *ctx, const std::string &utf8);
std::string takeText(duk_context *ctx, duk_idx_t idx);

// Adds __qvh.fs, the natives behind File and Folder (script_files.cpp).
void registerFileNatives(duk_context *ctx);
// Closes every file a script left open.
void closeScriptFiles();

} // namespace qvh
