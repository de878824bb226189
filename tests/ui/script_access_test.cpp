// The host's preference "Allow Scripts to Write Files and Access Network":
// read on the user-interface thread's commands and kept in the global data.
#include "common/host_fixture.h"
#include "base/global_data.h"
#include "testhost/scripting/script_engine.h"
#include "ui/script_access.h"

namespace {

class ScriptAccessTest : public InstanceTest {
protected:
    void prepareHost() override { qvh::installScriptEngine(); }
    uint8_t stored() { return static_cast<const qv::GlobalData *>(*effect().globalData())->scriptAccessAllowed.load(); }
};

TEST_F(ScriptAccessTest, TheAnswerFollowsThePreferenceOnUserInterfaceCommands)
{
    EXPECT_EQ(stored(), 0);  /* off in a fresh host */
    qvh::host().allowScriptAccess = true;
    EXPECT_EQ(instance().updateParamsUI().err, PF_Err_NONE);
    EXPECT_EQ(stored(), 1);
    qvh::host().allowScriptAccess = false;
    EXPECT_EQ(instance().userChangedParam(5).err, PF_Err_NONE);
    EXPECT_EQ(stored(), 0);
    qvh::host().allowScriptAccess = true;
    EXPECT_EQ(instance().resetupSequence().err, PF_Err_NONE);
    EXPECT_EQ(stored(), 1);
}

TEST_F(ScriptAccessTest, OlderHostsAreAskedUnderTheirOwnSection)
{
    qvh::ScriptEngineOptions older;
    older.appVersion = "11.0";
    qvh::installScriptEngine(older);
    qvh::host().allowScriptAccess = true;
    instance().updateParamsUI();
    EXPECT_EQ(stored(), 1);
}

TEST_F(ScriptAccessTest, AHostThatCannotAnswerLeavesTheLastAnswerAndTheCommandGoesOn)
{
    qvh::host().allowScriptAccess = true;
    instance().updateParamsUI();
    qvh::host().allowScriptAccess = false;
    qvh::host().faults.failFunction("AEGP_ExecuteScript", A_Err_GENERIC);
    EXPECT_EQ(instance().updateParamsUI().err, PF_Err_NONE);
    EXPECT_EQ(stored(), 1);
    qvh::host().faults.clear();
    qvh::host().faults.removeSuite(kAEGPUtilitySuite);
    EXPECT_EQ(instance().updateParamsUI().err, PF_Err_NONE);
    EXPECT_EQ(stored(), 1);
}

TEST_F(ScriptAccessTest, AnEngineWithoutThePreferenceMeansOff)
{
    qvh::host().allowScriptAccess = true;
    instance().updateParamsUI();
    qvh::scriptEngine().evaluate("app = undefined;");
    instance().updateParamsUI();
    EXPECT_EQ(stored(), 0);
}

} // namespace
