// The code value's record and text block: making, disposing, reading and
// rewriting them.
#include "storage/expression_data.h"

#include "base/handle_lock.h"
#include "base/handle_owner.h"
#include "base/suite_access.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qv {

const char kDefaultExpressionText[] = "void main(){\noutColor = getColor(uv);\n}";
static_assert(sizeof kDefaultExpressionText == kDefaultExpressionLength + 1, "default text is 39 bytes");

namespace {

// Lengths whose block size (length + 1) still fits the record and the host's sizes.
bool fitsRecord(std::size_t length) { return length < std::numeric_limits<uint32_t>::max(); }

void storeText(char *block, const char *text, std::size_t length)
{
    if (length)
        std::memcpy(block, text, length);
    block[length] = '\0';
}

// A new text block holding `length` bytes of `text` and the NUL; nothing is
// left allocated when it fails or the host throws.
A_Err newTextBlock(const AEGP_MemorySuite1 *memory, const char *text, uint32_t length, AEGP_MemHandle *out)
{
    MemHandleOwner block(memory);
    A_Err err = memory->AEGP_NewMemHandle(0, kExpressionBlockName, length + 1, AEGP_MemFlag_CLEAR, block.out());
    if (err)
        return err;
    {
        MemLock bytes(memory, block.get());
        if (!bytes)
            return bytes.err();
        storeText(bytes.bytes(), text, length);
    }
    *out = block.release();
    return A_Err_NONE;
}

// Fills a fresh 12-byte handle with a record and its text block.
PF_Err fillRecord(PF_InData *in_data, const AEGP_MemorySuite1 *memory, PF_Handle handle,
                  const char *text, uint32_t length)
{
    HandleLock lock(in_data, handle);
    ExpressionData *record = lock.as<ExpressionData>();
    if (!record)
        return PF_Err_OUT_OF_MEMORY;
    AEGP_MemHandle block = nullptr;
    if (A_Err err = newTextBlock(memory, text, length, &block))
        return err;
    record->length = length;
    record->text = block;
    return PF_Err_NONE;
}

} // namespace

PF_Err MakeExpressionData(SuiteAccess &suites, PF_InData *in_data, const char *text, std::size_t length,
                          PF_ArbitraryH *out)
{
    if (!fitsRecord(length))
        return PF_Err_OUT_OF_MEMORY;
    const AEGP_MemorySuite1 *memory = memorySuite(suites);  /* both suites before the handle exists */
    const PF_HandleSuite1 *handles = handleSuite(suites);
    PFHandleOwner handle(in_data->utils->host_dispose_handle, handles->host_new_handle(sizeof(ExpressionData)));
    if (!handle)
        return PF_Err_OUT_OF_MEMORY;
    if (PF_Err err = fillRecord(in_data, memory, handle.get(), text, static_cast<uint32_t>(length)))
        return err;
    *out = handle.release();
    return PF_Err_NONE;
}

PF_Err NewExpressionData(SuiteAccess &suites, PF_InData *in_data, PF_ArbitraryH *out)
{
    return MakeExpressionData(suites, in_data, kDefaultExpressionText, kDefaultExpressionLength, out);
}

PF_Err DisposeExpressionData(SuiteAccess &suites, PF_InData *in_data, PF_ArbitraryH *handle)
{
    if (!*handle)
        return PF_Err_UNRECOGNIZED_PARAM_TYPE;
    const AEGP_MemorySuite1 *memory = memorySuite(suites);
    AEGP_MemHandle text = nullptr;
    {
        HandleLock lock(in_data, *handle);
        ExpressionData *record = lock.as<ExpressionData>();
        if (!record)
            return PF_Err_OUT_OF_MEMORY;  /* left whole, so a later disposal can still free it */
        text = record->text;
        record->length = 0;
        record->text = nullptr;
    }
    PFHandleOwner record(in_data->utils->host_dispose_handle, *handle);  /* even if freeing the text throws */
    *handle = nullptr;
    return text ? memory->AEGP_FreeMemHandle(text) : A_Err_NONE;
}

namespace {

// Exactly `record.length` bytes of the record's text block.
PF_Err readTextBlock(const AEGP_MemorySuite1 *memory, const ExpressionData &record, std::string *text)
{
    MemLock bytes(memory, record.text);
    if (!bytes)
        return bytes.err();
    text->assign(bytes.bytes(), record.length);
    return bytes.unlock();  /* a failed unlock is reported; the text is kept */
}

} // namespace

LockedExpression::LockedExpression(SuiteAccess &suites, PF_InData *in_data, PF_ArbitraryH handle)
    : suites_(suites), memory_(memorySuite(suites)), lock_(in_data, handle) {}

PF_Err LockedExpression::read(std::string *text) const
{
    text->clear();
    const ExpressionData *record = lock_.as<ExpressionData>();
    if (!record)
        return PF_Err_OUT_OF_MEMORY;
    return readTextBlock(memory_, *record, text);
}

PF_Err LockedExpression::write(const std::string &text)
{
    ExpressionData *record = lock_.as<ExpressionData>();
    if (!record)
        return PF_Err_OUT_OF_MEMORY;
    return SetExpressionText(suites_, record, text.data(), text.size());
}

PF_Err ReadExpressionText(SuiteAccess &suites, PF_InData *in_data, PF_ArbitraryH handle, std::string *text)
{
    text->clear();
    if (!handle)
        return PF_Err_UNRECOGNIZED_PARAM_TYPE;
    return LockedExpression(suites, in_data, handle).read(text);
}

PF_Err SetExpressionText(SuiteAccess &suites, ExpressionData *record, const char *text, std::size_t length)
{
    if (!fitsRecord(length))
        return PF_Err_OUT_OF_MEMORY;
    const AEGP_MemorySuite1 *memory = memorySuite(suites);
    A_Err err = memory->AEGP_ResizeMemHandle(kExpressionBlockName, static_cast<AEGP_MemSize>(length + 1),
                                             record->text);
    if (err)
        return err;
    MemLock bytes(memory, record->text);
    if (!bytes) {
        /* the block may have shrunk under the old text: keep reads inside it */
        record->length = std::min<uint32_t>(record->length, static_cast<uint32_t>(length));
        return bytes.err();
    }
    record->length = static_cast<uint32_t>(length);
    storeText(bytes.bytes(), text, length);
    return bytes.unlock();
}

PF_Err WriteExpressionText(SuiteAccess &suites, PF_InData *in_data, PF_ArbitraryH handle, const std::string &text)
{
    if (!handle)
        return PF_Err_UNRECOGNIZED_PARAM_TYPE;
    HandleLock lock(in_data, handle);
    if (!lock)
        return PF_Err_OUT_OF_MEMORY;
    return SetExpressionText(suites, lock.as<ExpressionData>(), text.data(), text.size());
}

std::size_t FlatTextLength(const char *bytes, std::size_t size)
{
    if (!bytes || size == 0)
        return 0;  /* nothing before the buffer is read */
    return bytes[size - 1] == '\0' ? size - 1 : size;
}

} // namespace qv
