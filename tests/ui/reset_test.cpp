// The reset buttons through the simulator's stream services.
#include "common/filled_instance.h"
#include "common/host_fixture.h"
#include "base/param_indices.h"
#include "testhost/host/aegp_refs.h"

#include <string>
#include <vector>

namespace {

struct Group {
    PF_ParamIndex button, first;
    int count;
};
const Group kGroups[] = {
    {qv::kResetSlidersParam, qv::kFirstSliderParam, 10},   {qv::kResetAnglesParam, qv::kFirstAngleParam, 10},
    {qv::kResetPointsParam, qv::kFirstPointParam, 10},     {qv::kResetPoints3DParam, qv::kFirstPoint3DParam, 10},
    {qv::kResetCheckboxesParam, qv::kFirstCheckboxParam, 10}, {qv::kResetColorsParam, qv::kFirstColorParam, 10},
    {qv::kResetLayersParam, qv::kFirstLoadLayerParam, 20},
};

class ResetTest : public InstanceTest {
protected:
    void TearDown() override
    {
        InstanceTest::TearDown();
        EXPECT_EQ(qvh::aegpRefs().liveEffects(), 0u) << "effect references left over";
        EXPECT_EQ(qvh::aegpRefs().liveStreams(), 0u) << "streams left over";
    }

    void fill() { fillEveryBankMemberAndSetting(instance(), "code"); }

    bool isZero(PF_ParamIndex i)
    {
        PF_ParamDef p = instance().param(i);
        switch (p.param_type) {
        case PF_Param_FLOAT_SLIDER: return p.u.fs_d.value == 0;
        case PF_Param_ANGLE: return p.u.ad.value == 0;
        case PF_Param_POINT: return p.u.td.x_value == 0 && p.u.td.y_value == 0;
        case PF_Param_POINT_3D: return p.u.point3d_d.x_value == 0 && p.u.point3d_d.y_value == 0 && p.u.point3d_d.z_value == 0;
        case PF_Param_CHECKBOX: return p.u.bd.value == 0;
        case PF_Param_COLOR: {
            const PF_Pixel &c = p.u.cd.value;
            return c.alpha == 0 && c.red == 0 && c.green == 0 && c.blue == 0;
        }
        case PF_Param_LAYER: return instance().layer(i) == 0;
        default: return false;
        }
    }

    void expectSettingsKept()
    {
        EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "code");
        EXPECT_EQ(instance().param(qv::kLanguageParam).u.pd.value, 3);
        EXPECT_EQ(instance().param(qv::kWrapUParam).u.pd.value, 2);
        EXPECT_EQ(instance().param(qv::kDebugParam).u.bd.value, 1);
    }
};

TEST_F(ResetTest, EachButtonResetsExactlyItsGroupInOneUndoStep)
{
    for (const Group &pressed : kGroups) {
        fill();
        qvh::host().undoGroups.clear();
        qvh::CommandResult r = instance().userChangedParam(pressed.button);
        EXPECT_EQ(r.err, PF_Err_NONE);
        EXPECT_EQ(r.out.out_flags, 0);
        for (const Group &g : kGroups)
            for (int i = 0; i < g.count; ++i)
                EXPECT_EQ(isZero(g.first + i), &g == &pressed) << "button " << pressed.button << " param " << g.first + i;
        EXPECT_EQ(qvh::host().undoGroups, std::vector<std::string>{"Reset parameters of Quorvel\n"});
        EXPECT_EQ(qvh::host().openUndoGroups, 0);
        expectSettingsKept();
    }
}

TEST_F(ResetTest, ResetAllClearsEightyParametersInOneUndoStep)
{
    fill();
    EXPECT_EQ(instance().userChangedParam(qv::kResetAllParam).err, PF_Err_NONE);
    int zeroed = 0;
    for (PF_ParamIndex i = 1; i < instance().count(); ++i)
        zeroed += isZero(i);
    EXPECT_EQ(zeroed, 80);
    EXPECT_EQ(qvh::host().undoGroups.size(), 1u);
    expectSettingsKept();
}

TEST_F(ResetTest, ARefusedParameterKeepsItsValueAndTheOthersAreReset)
{
    fill();
    qvh::host().faults.failFunction("AEGP_SetStreamValue 17", A_Err_GENERIC);
    EXPECT_EQ(instance().userChangedParam(qv::kResetSlidersParam).err, PF_Err_NONE);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(isZero(qv::kFirstSliderParam + i), qv::kFirstSliderParam + i != 17);
}

TEST_F(ResetTest, AFailedStartOrEffectLookupChangesNothing)
{
    for (const char *fault : {"AEGP_StartUndoGroup", "AEGP_GetNewEffectForEffect"}) {
        fill();
        qvh::host().faults.clear();
        qvh::host().faults.failFunction(fault, A_Err_PARAMETER);
        EXPECT_EQ(instance().userChangedParam(qv::kResetAllParam).err, A_Err_PARAMETER) << fault;
        EXPECT_FALSE(isZero(qv::kFirstSliderParam)) << fault;
        EXPECT_EQ(qvh::host().openUndoGroups, 0) << fault;
    }
}

TEST_F(ResetTest, DisposeAndEndErrorsBecomeTheResult)
{
    qvh::host().faults.failFunction("AEGP_EndUndoGroup", A_Err_GENERIC);
    EXPECT_EQ(instance().userChangedParam(qv::kResetColorsParam).err, A_Err_GENERIC);
    qvh::host().faults.clear();
    qvh::host().openUndoGroups = 0;
    qvh::host().faults.failFunction("AEGP_DisposeEffect", A_Err_STRUCT);
    EXPECT_EQ(instance().userChangedParam(qv::kResetColorsParam).err, A_Err_STRUCT);
    qvh::host().faults.clear();
}

} // namespace
