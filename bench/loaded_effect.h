// The plug-in's code linked into a benchmark program (its PiPL read from the
// built library), and an effect set up on it as the host sets one up: global
// and parameter setup, undone in reverse.
#pragma once

#include "testhost/effect/declared_params.h"
#include "testhost/effect/effect.h"
#include "testhost/host/plugin.h"

#include <memory>
#include <stdexcept>

extern "C" PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                 PF_LayerDef *output, void *extra);

inline qvh::Plugin &linkedPlugin()
{
    static qvh::Plugin *p = new qvh::Plugin(QV_PLUGIN_PATH, EntryPointFunc);
    return *p;
}

struct LoadedEffect {
    qvh::Effect effect{linkedPlugin()};
    std::unique_ptr<qvh::DeclaredParams> params;
    LoadedEffect()
    {
        if (effect.globalSetup().err)
            throw std::runtime_error("global setup failed");
        params.reset(new qvh::DeclaredParams(effect));
        if (params->setup().err)
            throw std::runtime_error("parameter setup failed");
    }
    ~LoadedEffect()
    {
        params.reset();
        effect.globalSetdown();
    }
    LoadedEffect(const LoadedEffect &) = delete;
    LoadedEffect &operator=(const LoadedEffect &) = delete;
};
