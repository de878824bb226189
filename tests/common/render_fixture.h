// Renders through the built plug-in in the simulator: an effect instance with
// its declared parameters (the host serves their values by checkout) and a
// composition per test.
#pragma once

#include "common/host_fixture.h"
#include "base/language.h"
#include "base/param_indices.h"
#include "testhost/images/composition.h"
#include "testhost/effect/smartfx.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

class RenderTest : public InstanceTest {
protected:
    void setPopup(PF_ParamIndex index, int value) { instance().setPopup(index, value); }
    void setCheckbox(PF_ParamIndex index, bool on) { instance().setCheckbox(index, on); }
    void setLanguage(qv::Language language) { setPopup(qv::kLanguageParam, qv::PopupValueOf(language)); }
    void setCode(const std::string &text) { instance().setArbitraryText(qv::kCodeParam, text); }

    // Ticks "Debug" as the user does, so the plug-in opens its log window.
    void openDebugWindow()
    {
        setCheckbox(qv::kDebugParam, true);
        ASSERT_EQ(instance().userChangedParam(qv::kDebugParam).err, PF_Err_NONE);
    }

    qvh::CommandRunner runner()
    {
        return [this](PF_Cmd cmd, void *extra, PF_InData &in) { return instance().command(cmd, extra, in); };
    }

    qvh::FrameResult render(qvh::Composition &comp, double seconds = 0.0)
    {
        qvh::SmartFx fx(comp, runner());
        return fx.renderFrame(qvh::secondsTime(seconds, comp.fps));
    }

    std::vector<std::string> logScripts() const
    {
        std::vector<std::string> logs;
        for (const std::string &s : qvh::host().scripts())
            if (s.rfind("if(_QUORVEL_log)", 0) == 0)
                logs.push_back(s);
        return logs;
    }
};
