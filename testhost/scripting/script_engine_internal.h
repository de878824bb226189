// What the script engine's files share: the Duktape heap and the natives
// each file registers in it.
#pragma once

#include <duktape.h>

#include <cstddef>
#include <string>

namespace qvh {

// Duktape keeps characters beyond U+FFFF of script literals as surrogate
// pairs (CESU-8), like the host's UTF-16 strings. Text going in is made alike,
// and text coming out is standard UTF-8 again.
void pushText(duk_context *ctx, const std::string &utf8);
std::string takeText(duk_context *ctx, duk_idx_t idx);
// pushText inside a protected call, for natives that hold C++ objects: false
// (the error on the stack instead of the text) when the heap is full.
bool pushTextProtected(duk_context *ctx, const std::string &utf8);

// What the engine's heap may hold; an allocation past it fails, and the
// script gets a RangeError. Natives read no more than this from a file.
constexpr std::size_t kScriptHeapLimit = std::size_t(256) << 20;

// Adds __qvh.fs, the natives behind File and Folder (script_files.cpp).
void registerFileNatives(duk_context *ctx);
// Closes every file a script left open.
void closeScriptFiles();

} // namespace qvh
