#include "testhost/effect/effect.h"

#include "testhost/host/host.h"

#include <cstdio>

namespace qvh {

CommandResult Effect::command(PF_Cmd cmd, void *extra, PF_ParamDef **params, PF_LayerDef *output, PF_InData *in)
{
    PF_InData local = makeInData();
    PF_InData &data = in ? *in : local;
    if (!in)
        data = local;
    data.global_data = globalData_;
    CommandResult result;
    result.err = plugin_.call(cmd, &data, &result.out, params, output, extra);
    return result;
}

static std::string hex(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

CommandResult Effect::globalSetup()
{
    CommandResult result = command(PF_Cmd_GLOBAL_SETUP);
    globalData_ = result.out.global_data;
    piplMismatch_.clear();
    const Pipl &pipl = plugin_.pipl();
    auto compare = [&](const char *what, const char *key, uint32_t reported) {
        if (pipl.u32(key) != reported)
            piplMismatch_ += std::string(what) + " " + hex(reported) + " differs from PiPL " + key +
                             " " + hex(pipl.u32(key)) + "; ";
    };
    if (result.err == PF_Err_NONE) {
        compare("my_version", "eVER", result.out.my_version);
        compare("out_flags", "eGLO", static_cast<uint32_t>(result.out.out_flags));
        compare("out_flags2", "eGL2", static_cast<uint32_t>(result.out.out_flags2));
    }
    return result;
}

CommandResult Effect::globalSetdown()
{
    CommandResult result = command(PF_Cmd_GLOBAL_SETDOWN);
    globalData_ = nullptr;
    return result;
}

} // namespace qvh
