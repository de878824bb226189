// The code parameter's value: the record its host handle holds, the
// operations that make and dispose of it, and the read and the write the rest
// of the effect makes on the stored text.
//
// The value is a PF_Handle of exactly 12 bytes holding an ExpressionData. Its
// text lives in an AEGP memory block named "Arbitrary Expression" of at least
// `length` + 1 bytes whose byte `length` is NUL; the text itself may hold NUL
// bytes before that. The flattened form (saved projects, copy and paste as
// text) is the `length` text bytes and one NUL, nothing else.
#pragma once

#include "base/handle_lock.h"
#include "sdk/ae_sdk.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace qv {

class SuiteAccess;

#pragma pack(push, 1)
struct ExpressionData {
    uint32_t length;      // text bytes, not counting the NUL
    AEGP_MemHandle text;  // the text block, directly after `length`
};
#pragma pack(pop)
static_assert(sizeof(ExpressionData) == 12, "ExpressionData is 12 packed bytes");

// The reference constant handed to add_param and checked by every callback.
constexpr std::uintptr_t kExpressionRefcon = 0xC001E1F5C001E1F5u;
constexpr A_short kExpressionArbId = 2;
constexpr const char *kExpressionBlockName = "Arbitrary Expression";

// A GLSL main that passes the input through: 39 bytes, no NUL counted.
extern const char kDefaultExpressionText[];
constexpr std::size_t kDefaultExpressionLength = 39;

// A new value holding `length` bytes of `text`, stored through `out` on
// success; on failure nothing is stored and nothing stays allocated.
PF_Err MakeExpressionData(SuiteAccess &suites, PF_InData *in_data, const char *text, std::size_t length,
                          PF_ArbitraryH *out);

// NEW: MakeExpressionData with the default text.
PF_Err NewExpressionData(SuiteAccess &suites, PF_InData *in_data, PF_ArbitraryH *out);

// DISPOSE: frees the text block and the handle and clears `*handle`; 514 for
// a null handle. A handle that cannot be locked is left whole and gives 4.
PF_Err DisposeExpressionData(SuiteAccess &suites, PF_InData *in_data, PF_ArbitraryH *handle);

// Copies the stored text (exactly `length` bytes, embedded NULs included) into
// `*text`. 514 for a null handle, 4 when the handle cannot be locked, else the
// memory suite's lock error (the text left empty) or unlock error (the text
// kept). What the render runs is this text; the editor shows it up to its
// first NUL.
PF_Err ReadExpressionText(SuiteAccess &suites, PF_InData *in_data, PF_ArbitraryH handle,
                          std::string *text);

// The value in a handle, locked for as long as this lives, so that a read and
// a later rewrite see the same record. The memory suite is taken before the
// lock.
class LockedExpression {
public:
    LockedExpression(SuiteAccess &suites, PF_InData *in_data, PF_ArbitraryH handle);

    // ReadExpressionText's read: 4 when the handle could not be locked (a
    // null handle among them), else the lock or unlock error of the text.
    PF_Err read(std::string *text) const;
    // SetExpressionText on the locked record; 4 when there is none.
    PF_Err write(const std::string &text);

private:
    SuiteAccess &suites_;
    const AEGP_MemorySuite1 *memory_;
    HandleLock lock_;
};

// Replaces the text of a locked record whose text block is not locked:
// resizes the block to `length` + 1, then stores the bytes and the NUL. The
// caller marks parameter 2 changed (PF_ChangeFlag_CHANGED_VALUE) and asks for
// a re-render (PF_OutFlag_FORCE_RERENDER).
PF_Err SetExpressionText(SuiteAccess &suites, ExpressionData *record, const char *text,
                         std::size_t length);

// SetExpressionText on the value in `handle`, locking the record around it.
PF_Err WriteExpressionText(SuiteAccess &suites, PF_InData *in_data, PF_ArbitraryH handle,
                           const std::string &text);

// How many text bytes a flat buffer of `size` bytes holds: all but one
// trailing NUL. Zero bytes (or no buffer) hold the empty text.
std::size_t FlatTextLength(const char *bytes, std::size_t size);

} // namespace qv
