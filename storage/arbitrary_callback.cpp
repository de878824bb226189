// The eleven operations the host runs on the code value through
// PF_Cmd_ARBITRARY_CALLBACK, one small function each.
#include "storage/arbitrary_callback.h"
#include "base/handle_lock.h"
#include "base/suite_access.h"
#include "storage/expression_data.h"

#include <cstring>

namespace qv {
namespace {

constexpr PF_Err kNullHandle = PF_Err_UNRECOGNIZED_PARAM_TYPE;
constexpr PF_Err kBufferTooSmall = PF_Err_CANNOT_PARSE_KEYFRAME_TEXT;

struct Call {
    SuiteAccess &suites;
    PF_InData *in_data;
};

PF_Err newValue(Call &c, PF_ArbitraryH *out)
{
    return out ? NewExpressionData(c.suites, c.in_data, out) : kNullHandle;
}

// A new value with the text of `source`, or the default text for no source.
PF_Err copyValue(Call &c, PF_ArbitraryH source, PF_ArbitraryH *out)
{
    if (!out || !source)
        return newValue(c, out);
    const AEGP_MemorySuite1 *memory = memorySuite(c.suites);
    HandleLock lock(c.in_data, source);
    const ExpressionData *record = lock.as<ExpressionData>();
    if (!record)
        return PF_Err_OUT_OF_MEMORY;
    MemLock bytes(memory, record->text);
    if (!bytes)
        return bytes.err();
    return MakeExpressionData(c.suites, c.in_data, bytes.bytes(), record->length, out);
}

// FLAT_SIZE and PRINT_SIZE: the text and its NUL.
PF_Err flatSize(Call &c, PF_ArbitraryH handle, A_u_long *size)
{
    if (!handle || !size)
        return kNullHandle;
    HandleLock lock(c.in_data, handle);
    if (!lock)
        return PF_Err_OUT_OF_MEMORY;
    *size = lock.as<ExpressionData>()->length + 1;
    return PF_Err_NONE;
}

// FLATTEN and PRINT: the text and its NUL, or nothing when they do not fit.
PF_Err flatten(Call &c, PF_ArbitraryH handle, A_u_long bufferSize, void *buffer)
{
    if (!handle)
        return kNullHandle;
    const AEGP_MemorySuite1 *memory = memorySuite(c.suites);
    HandleLock lock(c.in_data, handle);
    const ExpressionData *record = lock.as<ExpressionData>();
    if (!record)
        return PF_Err_OUT_OF_MEMORY;
    uint32_t length = record->length;
    if (!buffer || bufferSize < static_cast<uint64_t>(length) + 1)
        return kBufferTooSmall;
    MemLock bytes(memory, record->text);
    if (!bytes)
        return bytes.err();
    char *out = static_cast<char *>(buffer);
    if (length)
        std::memcpy(out, bytes.bytes(), length);
    out[length] = '\0';
    return bytes.unlock();
}

// UNFLATTEN and SCAN: the buffer's bytes less one trailing NUL.
PF_Err unflatten(Call &c, const void *buffer, A_u_long size, PF_ArbitraryH *out)
{
    if (!out)
        return kNullHandle;
    const char *bytes = static_cast<const char *>(buffer);
    return MakeExpressionData(c.suites, c.in_data, bytes, FlatTextLength(bytes, size), out);
}

// The text up to its first NUL, as COMPARE sees it.
std::string cText(const std::string &text) { return text.substr(0, text.find('\0')); }

// COMPARE: equal or not equal, never less or more.
PF_Err compare(Call &c, PF_ArbitraryH a, PF_ArbitraryH b, PF_ArbCompareResult *result)
{
    if (!a || !b || !result)
        return kNullHandle;
    *result = PF_ArbCompare_NOT_EQUAL;
    std::string textA, textB;
    if (PF_Err err = ReadExpressionText(c.suites, c.in_data, a, &textA))
        return err;
    if (PF_Err err = ReadExpressionText(c.suites, c.in_data, b, &textB))
        return err;
    if (cText(textA) == cText(textB))
        *result = PF_ArbCompare_EQUAL;
    return PF_Err_NONE;
}

PF_Err dispose(Call &c, PF_ArbitraryH *handle) { return DisposeExpressionData(c.suites, c.in_data, handle); }

// The value never blends: the left one before t reaches 1, else the right
// one (also for a t that is not a number).
PF_ArbitraryH interpSource(const PF_ArbParamsExtra &x)
{
    const auto &p = x.u.interp_func_params;
    return 1.0 > p.tF ? p.left_arbH : p.right_arbH;
}

bool isOurs(const PF_ArbParamsExtra *extra)
{
    /* every selector's arguments begin with the reference constant */
    return extra && reinterpret_cast<std::uintptr_t>(extra->u.new_func_params.refconPV) == kExpressionRefcon;
}

} // namespace

PF_Err RunArbitraryCallback(SuiteAccess &suites, PF_InData *in_data, PF_ArbParamsExtra *extra)
{
    if (!isOurs(extra))
        return PF_Err_NONE;
    Call c{suites, in_data};
    auto &u = extra->u;
    switch (extra->which_function) {
    case PF_Arbitrary_NEW_FUNC: return newValue(c, u.new_func_params.arbPH);
    case PF_Arbitrary_DISPOSE_FUNC: return dispose(c, &u.dispose_func_params.arbH);
    case PF_Arbitrary_COPY_FUNC: return copyValue(c, u.copy_func_params.src_arbH, u.copy_func_params.dst_arbPH);
    case PF_Arbitrary_FLAT_SIZE_FUNC:
        return flatSize(c, u.flat_size_func_params.arbH, u.flat_size_func_params.flat_data_sizePLu);
    case PF_Arbitrary_FLATTEN_FUNC:
        return flatten(c, u.flatten_func_params.arbH, u.flatten_func_params.buf_sizeLu,
                       u.flatten_func_params.flat_dataPV);
    case PF_Arbitrary_UNFLATTEN_FUNC:
        return unflatten(c, u.unflatten_func_params.flat_dataPV, u.unflatten_func_params.buf_sizeLu,
                         u.unflatten_func_params.arbPH);
    case PF_Arbitrary_INTERP_FUNC: return copyValue(c, interpSource(*extra), u.interp_func_params.interpPH);
    case PF_Arbitrary_COMPARE_FUNC:
        return compare(c, u.compare_func_params.a_arbH, u.compare_func_params.b_arbH,
                       u.compare_func_params.compareP);
    case PF_Arbitrary_PRINT_SIZE_FUNC:
        return flatSize(c, u.print_size_func_params.arbH, u.print_size_func_params.print_sizePLu);
    case PF_Arbitrary_PRINT_FUNC:
        return flatten(c, u.print_func_params.arbH, u.print_func_params.print_sizeLu,
                       u.print_func_params.print_bufferPC);
    case PF_Arbitrary_SCAN_FUNC:
        return unflatten(c, u.scan_func_params.bufPC, u.scan_func_params.bytes_to_scanLu,
                         u.scan_func_params.arbPH);
    default: return PF_Err_NONE;  /* a selector the host may add later */
    }
}

PF_Err OnArbitraryCallback(const CommandArgs &a)
{
    return RunArbitraryCallback(a.suites, a.in_data, static_cast<PF_ArbParamsExtra *>(a.extra));
}

} // namespace qv
