#include "common/host_fixture.h"
#include "base/param_indices.h"
#include "storage/expression_data.h"
#include "testhost/effect/arbitrary_calls.h"

#include <set>
#include <string>

namespace {

class ParamLayoutTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
        params_.reset(new qvh::DeclaredParams(effect()));
    }
    void TearDown() override
    {
        params_.reset();
        HostTest::TearDown();
    }
    qvh::DeclaredParams &params() { return *params_; }
    const PF_ParamDef &def(PF_ParamIndex i) { return params_->def(i); }

private:
    std::unique_ptr<qvh::DeclaredParams> params_;
};

struct Row {
    PF_ParamIndex index;
    PF_ParamType type;
    const char *name;
    PF_ParamFlags flags;
    PF_ParamUIFlags uiFlags;
};

constexpr PF_ParamFlags S = PF_ParamFlag_SUPERVISE;
constexpr PF_ParamFlags C = PF_ParamFlag_COLLAPSE_TWIRLY;

const Row kControlRows[] = {
    {1, PF_Param_BUTTON, "World rule", S, 0},
    {2, PF_Param_ARBITRARY_DATA, "Expression", PF_ParamFlag_CANNOT_TIME_VARY, 0x208},
    {3, PF_Param_CHECKBOX, "Debug", S, 0},
    {4, PF_Param_POPUP, "Language", S, 0},
    {5, PF_Param_GROUP_START, "Advanced", C, 0},
    {6, PF_Param_POPUP, "Wrap u sampler", 0, 0},
    {7, PF_Param_POPUP, "Wrap v sampler", 0, 0},
    {8, PF_Param_POPUP, "Magnify sampler", 0, 0},
    {9, PF_Param_POPUP, "Minify sampler", 0, 0},
    {10, PF_Param_GROUP_END, "", 0, 0},
    {11, PF_Param_GROUP_START, "Parameters", C, 0},
    {12, PF_Param_BUTTON, "Reset all parameters", S, 0},
    {13, PF_Param_GROUP_START, "Sliders", C, 0},
    {14, PF_Param_BUTTON, "Reset all sliders", S, 0},
    {25, PF_Param_GROUP_END, "", 0, 0},
    {26, PF_Param_GROUP_START, "Angles", C, 0},
    {27, PF_Param_BUTTON, "Reset all angles", S, 0},
    {38, PF_Param_GROUP_END, "", 0, 0},
    {39, PF_Param_GROUP_START, "Points", C, 0},
    {40, PF_Param_BUTTON, "Reset all points", S, 0},
    {51, PF_Param_GROUP_END, "", 0, 0},
    {52, PF_Param_GROUP_START, "3D Points", C, 0},
    {53, PF_Param_BUTTON, "Reset all 3D points", S, 0},
    {64, PF_Param_GROUP_END, "", 0, 0},
    {65, PF_Param_GROUP_START, "Checkboxes", C, 0},
    {66, PF_Param_BUTTON, "Reset all checkboxes", S, 0},
    {77, PF_Param_GROUP_END, "", 0, 0},
    {78, PF_Param_GROUP_START, "Colors", C, 0},
    {79, PF_Param_BUTTON, "Reset all colors", S, 0},
    {90, PF_Param_GROUP_END, "", 0, 0},
    {91, PF_Param_GROUP_START, "Layers", C, 0},
    {92, PF_Param_BUTTON, "Reset all layers", S, 0},
    {113, PF_Param_GROUP_END, "", 0, 0},
    {114, PF_Param_GROUP_END, "", 0, 0},
};

struct Bank {
    PF_ParamIndex first;
    PF_ParamType type;
    const char *name;
    PF_ParamFlags flags;
    PF_ParamUIFlags uiFlags;
};

// The first indices as the documented layout gives them, not the code's
// constants, which the next test checks.
const Bank kBanks[] = {
    {15, PF_Param_FLOAT_SLIDER, "Slider ", 0, 0},
    {28, PF_Param_ANGLE, "Angle ", C, 0},
    {41, PF_Param_POINT, "Point ", 0, 0},
    {54, PF_Param_POINT_3D, "3D Point ", 0, 0},
    {67, PF_Param_CHECKBOX, "Checkbox ", 0, 0},
    {80, PF_Param_COLOR, "Color ", 0, 0},
    {93, PF_Param_CHECKBOX, "Load layer ", S, 0},
    {103, PF_Param_LAYER, "Layer ", 0, PF_PUI_DISABLED},
};

TEST_F(ParamLayoutTest, Declares115ParametersAndReportsThem)
{
    qvh::CommandResult r = params().setup();
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_EQ(r.out.num_params, 115);
    EXPECT_EQ(params().count(), 115);
}

TEST_F(ParamLayoutTest, ControlRowsHaveTheirTypeNameFlagsAndDiskId)
{
    ASSERT_EQ(params().setup().err, PF_Err_NONE);
    for (const Row &row : kControlRows) {
        const PF_ParamDef &d = def(row.index);
        EXPECT_EQ(d.param_type, row.type) << row.index;
        EXPECT_STREQ(d.name, row.name) << row.index;
        EXPECT_EQ(d.flags, row.flags) << row.index;
        EXPECT_EQ(d.ui_flags, row.uiFlags) << row.index;
        EXPECT_EQ(d.uu.id, row.index) << row.index;
    }
}

TEST_F(ParamLayoutTest, BanksNameEachMemberWithASpaceBeforeItsIndex)
{
    ASSERT_EQ(params().setup().err, PF_Err_NONE);
    for (const Bank &bank : kBanks) {
        for (int i = 0; i < 10; ++i) {
            const PF_ParamDef &d = def(bank.first + i);
            EXPECT_EQ(d.param_type, bank.type) << bank.name << i;
            EXPECT_EQ(std::string(d.name), bank.name + std::to_string(i));
            EXPECT_EQ(d.flags, bank.flags) << bank.name << i;
            EXPECT_EQ(d.ui_flags, bank.uiFlags) << bank.name << i;
            EXPECT_EQ(d.uu.id, bank.first + i) << bank.name << i;
        }
    }
}

// Each index constant the code reads values by names the parameter the
// plug-in declared there: a group end by the parameter it follows.
TEST_F(ParamLayoutTest, EveryIndexConstantPointsAtItsParameter)
{
    ASSERT_EQ(params().setup().err, PF_Err_NONE);
    const struct {
        PF_ParamIndex index;
        PF_ParamType type;
        const char *name;  // for a group end, the name of the parameter before it
    } constants[] = {
        {qv::kEditButtonParam, PF_Param_BUTTON, "World rule"},
        {qv::kCodeParam, PF_Param_ARBITRARY_DATA, "Expression"},
        {qv::kDebugParam, PF_Param_CHECKBOX, "Debug"},
        {qv::kLanguageParam, PF_Param_POPUP, "Language"},
        {qv::kAdvancedGroupParam, PF_Param_GROUP_START, "Advanced"},
        {qv::kWrapUParam, PF_Param_POPUP, "Wrap u sampler"},
        {qv::kWrapVParam, PF_Param_POPUP, "Wrap v sampler"},
        {qv::kMagFilterParam, PF_Param_POPUP, "Magnify sampler"},
        {qv::kMinFilterParam, PF_Param_POPUP, "Minify sampler"},
        {qv::kAdvancedGroupEndParam, PF_Param_GROUP_END, "Minify sampler"},
        {qv::kParametersGroupParam, PF_Param_GROUP_START, "Parameters"},
        {qv::kResetAllParam, PF_Param_BUTTON, "Reset all parameters"},
        {qv::kSlidersGroupParam, PF_Param_GROUP_START, "Sliders"},
        {qv::kResetSlidersParam, PF_Param_BUTTON, "Reset all sliders"},
        {qv::kFirstSliderParam, PF_Param_FLOAT_SLIDER, "Slider 0"},
        {qv::kSlidersGroupEndParam, PF_Param_GROUP_END, "Slider 9"},
        {qv::kAnglesGroupParam, PF_Param_GROUP_START, "Angles"},
        {qv::kResetAnglesParam, PF_Param_BUTTON, "Reset all angles"},
        {qv::kFirstAngleParam, PF_Param_ANGLE, "Angle 0"},
        {qv::kAnglesGroupEndParam, PF_Param_GROUP_END, "Angle 9"},
        {qv::kPointsGroupParam, PF_Param_GROUP_START, "Points"},
        {qv::kResetPointsParam, PF_Param_BUTTON, "Reset all points"},
        {qv::kFirstPointParam, PF_Param_POINT, "Point 0"},
        {qv::kPointsGroupEndParam, PF_Param_GROUP_END, "Point 9"},
        {qv::kPoints3DGroupParam, PF_Param_GROUP_START, "3D Points"},
        {qv::kResetPoints3DParam, PF_Param_BUTTON, "Reset all 3D points"},
        {qv::kFirstPoint3DParam, PF_Param_POINT_3D, "3D Point 0"},
        {qv::kPoints3DGroupEndParam, PF_Param_GROUP_END, "3D Point 9"},
        {qv::kCheckboxesGroupParam, PF_Param_GROUP_START, "Checkboxes"},
        {qv::kResetCheckboxesParam, PF_Param_BUTTON, "Reset all checkboxes"},
        {qv::kFirstCheckboxParam, PF_Param_CHECKBOX, "Checkbox 0"},
        {qv::kCheckboxesGroupEndParam, PF_Param_GROUP_END, "Checkbox 9"},
        {qv::kColorsGroupParam, PF_Param_GROUP_START, "Colors"},
        {qv::kResetColorsParam, PF_Param_BUTTON, "Reset all colors"},
        {qv::kFirstColorParam, PF_Param_COLOR, "Color 0"},
        {qv::kColorsGroupEndParam, PF_Param_GROUP_END, "Color 9"},
        {qv::kLayersGroupParam, PF_Param_GROUP_START, "Layers"},
        {qv::kResetLayersParam, PF_Param_BUTTON, "Reset all layers"},
        {qv::kFirstLoadLayerParam, PF_Param_CHECKBOX, "Load layer 0"},
        {qv::kFirstLayerParam, PF_Param_LAYER, "Layer 0"},
        {qv::kLayersGroupEndParam, PF_Param_GROUP_END, "Layer 9"},
    };
    for (const auto &c : constants) {
        ASSERT_TRUE(c.index > 0 && c.index < params().count()) << c.name;
        EXPECT_EQ(def(c.index).param_type, c.type) << c.name;
        EXPECT_STREQ(def(c.type == PF_Param_GROUP_END ? c.index - 1 : c.index).name, c.name) << c.index;
    }
    EXPECT_EQ(def(qv::kInputLayerParam).param_type, PF_Param_LAYER);
    /* the outer group's end is the last parameter */
    EXPECT_EQ(def(qv::kParametersGroupEndParam).param_type, PF_Param_GROUP_END);
    EXPECT_EQ(qv::kParamCount, params().count());
    EXPECT_EQ(qv::kParametersGroupEndParam + 1, params().count());
}

TEST_F(ParamLayoutTest, DiskIdsAreUniqueAndTheGroupEndAtTenTakesTen)
{
    ASSERT_EQ(params().setup().err, PF_Err_NONE);
    std::set<A_long> ids;
    for (PF_ParamIndex i = 1; i < params().count(); ++i)
        EXPECT_TRUE(ids.insert(def(i).uu.id).second) << "disk ID " << def(i).uu.id << " twice";
    EXPECT_EQ(def(qv::kAdvancedGroupEndParam).uu.id, 10);
    EXPECT_EQ(params().indexOfDiskId(10), 10);
}

TEST_F(ParamLayoutTest, PopupsOfferTheirItemsWithTheFirstChosen)
{
    ASSERT_EQ(params().setup().err, PF_Err_NONE);
    const std::pair<PF_ParamIndex, std::string> popups[] = {
        {qv::kLanguageParam, "GLSL (GPU)|shadertoy.com|Lua (CPU & GPU)"},
        {qv::kWrapUParam, "Repeat|Mirrored repeat|Clamp to edge"},
        {qv::kWrapVParam, "Repeat|Mirrored repeat|Clamp to edge"},
        {qv::kMagFilterParam, "Linear interpolation|Nearest pixel"},
        {qv::kMinFilterParam, "Linear interpolation|Nearest pixel"},
    };
    for (const auto &p : popups) {
        const PF_PopupDef &pd = def(p.first).u.pd;
        EXPECT_EQ(std::string(pd.u.namesptr), p.second);
        EXPECT_EQ(pd.num_choices, p.second.find('|', p.second.find('|') + 1) == std::string::npos ? 2 : 3);
        EXPECT_EQ(pd.dephault, 1);
        EXPECT_EQ(pd.value, 1);
    }
}

TEST_F(ParamLayoutTest, SlidersSpanZeroToOneButAcceptPlusMinusOneBillion)
{
    ASSERT_EQ(params().setup().err, PF_Err_NONE);
    for (int i = 0; i < 10; ++i) {
        const PF_FloatSliderDef &s = def(qv::kFirstSliderParam + i).u.fs_d;
        EXPECT_EQ(s.valid_min, -1000000000.0f);
        EXPECT_EQ(s.valid_max, 1000000000.0f);
        EXPECT_EQ(s.slider_min, 0.0f);
        EXPECT_EQ(s.slider_max, 1.0f);
        EXPECT_EQ(s.precision, 10);
        EXPECT_EQ(s.display_flags, 0);
        EXPECT_EQ(s.curve_tolerance, 0.05f);
        EXPECT_EQ(s.value, 0.0);
        EXPECT_EQ(s.dephault, 0.0f);
    }
}

TEST_F(ParamLayoutTest, ValuesStartAtTheirDefaults)
{
    ASSERT_EQ(params().setup().err, PF_Err_NONE);
    for (int i = 0; i < 10; ++i) {
        const PF_ColorDef &c = def(qv::kFirstColorParam + i).u.cd;
        EXPECT_EQ(c.dephault.alpha, 255);
        EXPECT_EQ(c.dephault.red + c.dephault.green + c.dephault.blue, 0);
        EXPECT_EQ(c.value.alpha, 255);
        EXPECT_EQ(def(qv::kFirstAngleParam + i).u.ad.dephault, 0);
        EXPECT_EQ(def(qv::kFirstPointParam + i).u.td.restrict_bounds, 0);
        EXPECT_EQ(def(qv::kFirstCheckboxParam + i).u.bd.dephault, 0);
        EXPECT_STREQ(def(qv::kFirstCheckboxParam + i).u.bd.u.nameptr, "");
        EXPECT_EQ(def(qv::kFirstLayerParam + i).u.ld.dephault, PF_LayerDefault_NONE);
    }
    EXPECT_STREQ(def(qv::kEditButtonParam).u.button_d.u.namesptr, "Edit");
    EXPECT_STREQ(def(qv::kResetSlidersParam).u.button_d.u.namesptr, "Reset");
}

TEST_F(ParamLayoutTest, CodeParameterCarriesItsDefaultAndReferenceConstant)
{
    ASSERT_EQ(params().setup().err, PF_Err_NONE);
    const PF_ArbitraryDef &arb = def(qv::kCodeParam).u.arb_d;
    EXPECT_EQ(arb.id, 2);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(arb.refconPV), 0xC001E1F5C001E1F5u);
    EXPECT_EQ(arb.value, nullptr);
    ASSERT_NE(arb.dephault, nullptr);
    std::string bytes;
    EXPECT_EQ(qvh::ArbitraryCalls(effect(), def(qv::kCodeParam)).flattenAll(arb.dephault, &bytes).err, 0);
    EXPECT_EQ(bytes, std::string("void main(){\noutColor = getColor(uv);\n}") + '\0');
}

TEST_F(ParamLayoutTest, AFailingAddParamEndsTheSetupAtOnce)
{
    params().failAddParamAt(1, 77);
    qvh::CommandResult r = params().setup();
    EXPECT_EQ(r.err, 77);
    EXPECT_EQ(params().count(), 1);  /* only the host's input layer */
    EXPECT_EQ(r.out.num_params, 0);
}

TEST_F(ParamLayoutTest, ACodeParameterTheHostRefusedTakesItsDefaultBack)
{
    params().failAddParamAt(qv::kCodeParam, 78);
    EXPECT_EQ(params().setup().err, 78);
    EXPECT_EQ(params().count(), 2);
}  /* the fixture sees no handle left */

TEST_F(ParamLayoutTest, LaterFailuresKeepWhatWasAdded)
{
    params().failAddParamAt(qv::kFirstLayerParam + 9, 79);
    EXPECT_EQ(params().setup().err, 79);
    EXPECT_EQ(params().count(), qv::kFirstLayerParam + 9);
}

TEST_F(ParamLayoutTest, ADefaultThatCannotBeMadeStillDeclaresEverythingAndReportsTheError)
{
    qvh::host().faults.failHandleAllocations(1);
    qvh::CommandResult r = params().setup();
    EXPECT_EQ(r.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(params().count(), 115);
    EXPECT_EQ(r.out.num_params, 115);
    EXPECT_EQ(def(qv::kCodeParam).u.arb_d.dephault, nullptr);
}

TEST_F(ParamLayoutTest, MissingMemorySuiteStopsTheSetupWithErrorId516)
{
    qvh::host().faults.removeSuite(kAEGPMemorySuite);
    qvh::CommandResult r = params().setup();
    EXPECT_EQ(r.err, 516);
    EXPECT_EQ(r.message(), "Error Id : 516");
}

} // namespace
