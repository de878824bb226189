#include "common/host_fixture.h"
#include "host/param_indices.h"

namespace {

using ParamsUITest = InstanceTest;

// Which of the ten "Layer" parameters are shown disabled, as a string of 0/1.
std::string disabledLayers(const qvh::Instance &instance)
{
    std::string flags;
    for (int i = 0; i < 10; ++i)
        flags += instance.uiFlags(qv::kFirstLayerParam + i) & PF_PUI_DISABLED ? '1' : '0';
    return flags;
}

TEST_F(ParamsUITest, WithEveryLoadLayerOffAllLayersAreDisabled)
{
    EXPECT_EQ(instance().updateParamsUI().err, PF_Err_NONE);
    EXPECT_EQ(disabledLayers(instance()), "1111111111");
}

TEST_F(ParamsUITest, TurningLoadLayerFourOnEnablesLayerFourOnly)
{
    instance().setCheckbox(qv::kFirstLoadLayerParam + 4, true);
    EXPECT_EQ(instance().updateParamsUI().err, PF_Err_NONE);
    EXPECT_EQ(disabledLayers(instance()), "1111011111");
}

TEST_F(ParamsUITest, FlagsAreRewrittenOnEveryUpdate)
{
    instance().setCheckbox(qv::kFirstLoadLayerParam + 0, true);
    instance().setCheckbox(qv::kFirstLoadLayerParam + 9, true);
    ASSERT_EQ(instance().updateParamsUI().err, PF_Err_NONE);
    EXPECT_EQ(disabledLayers(instance()), "0111111110");
    instance().setCheckbox(qv::kFirstLoadLayerParam + 0, false);
    ASSERT_EQ(instance().updateParamsUI().err, PF_Err_NONE);
    EXPECT_EQ(disabledLayers(instance()), "1111111110");
}

// Only the disabled flag is the update's: a separator the layers already
// show stays, whether the layer ends enabled or disabled.
TEST_F(ParamsUITest, OtherUIFlagsOfALayerAreKept)
{
    for (int i : {2, 3})
        instance().setUIFlags(qv::kFirstLayerParam + i, PF_PUI_ECW_SEPARATOR | PF_PUI_DISABLED);
    instance().setCheckbox(qv::kFirstLoadLayerParam + 2, true);
    ASSERT_EQ(instance().updateParamsUI().err, PF_Err_NONE);
    EXPECT_EQ(instance().uiFlags(qv::kFirstLayerParam + 2), PF_PUI_ECW_SEPARATOR);
    EXPECT_EQ(instance().uiFlags(qv::kFirstLayerParam + 3), PF_PUI_ECW_SEPARATOR | PF_PUI_DISABLED);
    EXPECT_EQ(instance().uiFlags(qv::kCodeParam), PF_PUI_INVISIBLE | PF_PUI_NO_ECW_UI);
}

TEST_F(ParamsUITest, AFailedUpdateIsReturnedAndChangesNothing)
{
    instance().setCheckbox(qv::kFirstLoadLayerParam + 1, true);
    qvh::host().faults.failFunction("PF_UpdateParamUI", 91);
    EXPECT_EQ(instance().updateParamsUI().err, 91);
    qvh::host().faults.clear();
    EXPECT_EQ(disabledLayers(instance()), "1111111111");
}

TEST_F(ParamsUITest, MissingParamUtilsSuiteIsReportedAsErrorId516)
{
    qvh::host().faults.removeSuite(kPFParamUtilsSuite);
    qvh::CommandResult r = instance().updateParamsUI();
    EXPECT_EQ(r.err, 516);
    EXPECT_EQ(r.message(), "Error Id : 516");
}

TEST_F(ParamsUITest, UIFlagsBelongToEachInstance)
{
    std::unique_ptr<qvh::Instance> other = instance().duplicate();
    instance().setCheckbox(qv::kFirstLoadLayerParam + 3, true);
    ASSERT_EQ(instance().updateParamsUI().err, PF_Err_NONE);
    ASSERT_EQ(other->updateParamsUI().err, PF_Err_NONE);
    EXPECT_EQ(disabledLayers(instance()), "1110111111");
    EXPECT_EQ(disabledLayers(*other), "1111111111");
}

} // namespace
