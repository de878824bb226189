#include "translate/shadertoy_fallback.h"

#include "support/thread_owned.h"
#include "translate/shadertoy_full_wrap.h"
#include "translate/shadertoy_wrap.h"

#include <algorithm>

namespace qv {
namespace {

using Need = WrappingMemory::Need;

struct PassResult {
    std::string log;             // every message, joined
    bool compileFailed = false;  // a shader message among them
};

PassResult runPass(const ShadertoyPass &pass, std::string source, void (*wrap)(std::string &))
{
    wrap(source);
    PassResult result;
    for (const std::string &message : pass(source)) {
        if (message.rfind("ERROR::SHADER::", 0) == 0)
            result.compileFailed = true;
        result.log += message;
    }
    return result;
}

std::optional<std::string> reported(const PassResult &pass)
{
    if (pass.log.empty())
        return std::nullopt;
    return pass.log;
}

// The ordinary wrapping, then the full one when the first did not compile.
std::optional<std::string> firstLook(const std::string &code, WrappingMemory &memory, const ShadertoyPass &pass)
{
    PassResult ordinary = runPass(pass, code, wrapShadertoyCode);
    if (!ordinary.compileFailed)
        return reported(ordinary);
    PassResult full = runPass(pass, code, wrapShadertoyCodeFull);
    if (full.compileFailed) {
        memory.remember(code, Need::Neither);
        return ordinary.log;
    }
    memory.remember(code, Need::Full);
    return reported(full);  /* a failure after compiling (memory, say) is the full pass's own */
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

std::optional<std::string> renderShadertoy(const std::string &code, WrappingMemory &memory, const ShadertoyPass &pass)
{
    switch (memory.need(code)) {
    case Need::Full: {
        PassResult full = runPass(pass, code, wrapShadertoyCodeFull);
        if (!full.compileFailed)
            return reported(full);
        memory.forget(code);  /* the compiler changed its mind: look again */
        return firstLook(code, memory, pass);
    }
    case Need::Neither: return reported(runPass(pass, code, wrapShadertoyCode));
    case Need::Ordinary: break;
    }
    return firstLook(code, memory, pass);
}

WrappingMemory &driverWrappingMemory()
{
    return ThreadOwned<WrappingMemory>::mine();  /* emulated TLS could not destroy a thread_local */
}

} // namespace qv
