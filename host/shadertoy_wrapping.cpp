#include "host/shadertoy_wrapping.h"

#include "support/thread_owned.h"
#include "translate/shadertoy_full_wrap.h"
#include "translate/shadertoy_wrap.h"

#include <algorithm>

namespace qv {
namespace {

using Need = WrappingMemory::Need;

bool compiled(const PassReport &pass)
{
    return pass.result != PassResult::CompileFailed && pass.result != PassResult::LinkFailed;
}

// One pass of the code in one wrapping.
PassReport renderWrapped(const ShadertoyPass &pass, std::string source, void (*wrap)(std::string &))
{
    wrap(source);
    return pass(source);
}

// The ordinary wrapping, then the full one when the first did not compile.
PassReport firstLook(const std::string &code, WrappingMemory &memory, const ShadertoyPass &pass)
{
    PassReport ordinary = renderWrapped(pass, code, wrapShadertoyCode);
    if (compiled(ordinary))
        return ordinary;
    PassReport full = renderWrapped(pass, code, wrapShadertoyCodeFull);
    if (!compiled(full)) {
        memory.remember(code, Need::Neither);
        return ordinary;
    }
    memory.remember(code, Need::Full);
    return full;  /* a failure after compiling (memory, say) is the full pass's own */
}

} // namespace

Need WrappingMemory::need(const std::string &code) const
{
    auto it = std::find_if(entries.begin(), entries.end(), [&](const auto &e) { return e.first == code; });
    return it == entries.end() ? Need::Ordinary : it->second;
}

void WrappingMemory::remember(const std::string &code, Need need)
{
    forget(code);
    if (code.size() > kByteCapacity)
        return;
    while (entries.size() == kCapacity || bytes + code.size() > kByteCapacity) {
        bytes -= entries.front().first.size();
        entries.pop_front();
    }
    entries.emplace_back(code, need);
    bytes += code.size();
}

void WrappingMemory::forget(const std::string &code)
{
    for (auto it = entries.begin(); it != entries.end(); ++it)
        if (it->first == code) {
            bytes -= code.size();
            entries.erase(it);
            return;
        }
}

PassReport renderShadertoy(const std::string &code, WrappingMemory &memory, const ShadertoyPass &pass)
{
    switch (memory.need(code)) {
    case Need::Full: {
        PassReport full = renderWrapped(pass, code, wrapShadertoyCodeFull);
        if (compiled(full))
            return full;
        memory.forget(code);  /* the compiler changed its mind: look again */
        return firstLook(code, memory, pass);
    }
    case Need::Neither: return renderWrapped(pass, code, wrapShadertoyCode);
    case Need::Ordinary: break;
    }
    return firstLook(code, memory, pass);
}

WrappingMemory &driverWrappingMemory()
{
    return ThreadOwned<WrappingMemory>::mine();  /* emulated TLS could not destroy a thread_local */
}

} // namespace qv
