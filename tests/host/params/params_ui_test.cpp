#include "common/host_fixture.h"
#include "base/param_indices.h"

#include <utility>
#include <vector>

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

// Each step turns "Load layer" switches on or off, then updates: exactly the
// layers whose switch is on are enabled, whatever the flags were before.
TEST_F(ParamsUITest, EachLayerIsEnabledExactlyWhileItsSwitchIsOn)
{
    struct Step {
        std::vector<std::pair<int, bool>> switches;
        const char *disabled;
    };
    const Step steps[] = {
        {{}, "1111111111"},
        {{{4, true}}, "1111011111"},
        {{{4, false}, {0, true}, {9, true}}, "0111111110"},
        {{{0, false}}, "1111111110"},
    };
    for (const Step &step : steps) {
        for (const auto &[layer, on] : step.switches)
            instance().setCheckbox(qv::kFirstLoadLayerParam + layer, on);
        ASSERT_EQ(instance().updateParamsUI().err, PF_Err_NONE);
        EXPECT_EQ(disabledLayers(instance()), step.disabled);
    }
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
