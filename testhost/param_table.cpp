#include "testhost/param_table.h"

#include "testhost/handles.h"

#include <cstdint>
#include <cstring>

namespace qvh {
namespace {

#pragma pack(push, 1)
struct CodeRecord {  /* the code value's layout: length, then the text block */
    uint32_t length;
    AEGP_MemHandle text;
};
#pragma pack(pop)

const char kDefaultCode[] = "void main(){\noutColor = getColor(uv);\n}";

PF_Err checkoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long, A_long, A_u_long, PF_ParamDef *def)
{
    auto *table = reinterpret_cast<ParamTable *>(ref);
    if (!def || index < 0 || index >= ParamTable::kParams)
        return PF_Err_INVALID_INDEX;
    *def = table->param(index);
    ++table->checkouts;
    return PF_Err_NONE;
}

PF_Err checkinParam(PF_ProgPtr ref, PF_ParamDef *)
{
    ++reinterpret_cast<ParamTable *>(ref)->checkins;
    return PF_Err_NONE;
}

} // namespace

ParamTable::ParamTable()
{
    for (PF_ParamDef &p : params_)
        std::memset(&p, 0, sizeof p);
    for (PF_ParamIndex i : {4, 6, 7, 8, 9})
        params_[i].u.pd.value = 1;
    for (int i = 0; i < 10; ++i)
        params_[80 + i].u.cd.value.alpha = 255;
    setCode(kDefaultCode);
}

ParamTable::~ParamTable() { freeCode(); }

void ParamTable::setCode(const std::string &text)
{
    freeCode();
    PF_Handle h = hostNewHandle(sizeof(CodeRecord));
    auto *record = static_cast<CodeRecord *>(hostLockHandle(h));
    void **block = memoryHandles().create(text.size() + 1, true);
    std::memcpy(memoryHandles().lock(block), text.data(), text.size());
    memoryHandles().unlock(block);
    record->length = static_cast<uint32_t>(text.size());
    record->text = reinterpret_cast<AEGP_MemHandle>(block);
    hostUnlockHandle(h);
    params_[2].u.arb_d.value = h;
}

void ParamTable::freeCode()
{
    PF_Handle h = params_[2].u.arb_d.value;
    if (!h)
        return;
    auto *record = static_cast<CodeRecord *>(hostLockHandle(h));
    memoryHandles().dispose(reinterpret_cast<void **>(record->text));
    hostUnlockHandle(h);
    hostDisposeHandle(h);
    params_[2].u.arb_d.value = nullptr;
}

void ParamTable::wire(PF_InData &in)
{
    in.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
    in.inter.checkout_param = checkoutParam;
    in.inter.checkin_param = checkinParam;
}

} // namespace qvh
