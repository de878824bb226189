// Renders through the built plug-in in the simulator: an effect with global
// setup done, its parameter values in a table the host serves, and a
// composition per test.
#pragma once

#include "common/host_fixture.h"
#include "host/global_data.h"
#include "testhost/composition.h"
#include "testhost/param_table.h"
#include "testhost/smartfx.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

class RenderTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        table_.reset(new qvh::ParamTable);
        ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
    }

    void TearDown() override
    {
        table_.reset();  /* frees the code value before the leak count */
        HostTest::TearDown();
    }

    qvh::ParamTable &table() { return *table_; }
    PF_ParamDef &param(PF_ParamIndex index) { return table_->param(index); }
    void setPopup(PF_ParamIndex index, int value) { table_->setPopup(index, value); }
    void setCheckbox(PF_ParamIndex index, bool on) { table_->setCheckbox(index, on); }
    void setLanguage(int language) { table_->setLanguage(language); }
    void setCode(const std::string &text) { table_->setCode(text); }
    void wireParams(PF_InData &in) { table_->wire(in); }
    int checkouts() const { return table_->checkouts; }
    int checkins() const { return table_->checkins; }

    // As if the user had ticked "Debug" and so opened the debug log window.
    void openDebugWindow()
    {
        auto *global = static_cast<qv::GlobalData *>(qvh::hostLockHandle(effect().globalData()));
        global->debugWindowOpened = 1;
        qvh::hostUnlockHandle(effect().globalData());
        setCheckbox(3, true);
    }

    qvh::CommandRunner runner()
    {
        return [this](PF_Cmd cmd, void *extra, PF_InData &in) {
            wireParams(in);
            return effect().command(cmd, extra, nullptr, nullptr, &in);
        };
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

private:
    std::unique_ptr<qvh::ParamTable> table_;
};
