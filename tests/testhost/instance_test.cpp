#include "common/host_fixture.h"
#include "base/param_indices.h"

#include <thread>
#include <utility>
#include <vector>

namespace {

using InstanceValuesTest = InstanceTest;

const std::string kDefault = "void main(){\noutColor = getColor(uv);\n}";

TEST_F(InstanceValuesTest, ANewInstanceHoldsEveryDefault)
{
    EXPECT_EQ(instance().count(), 115);
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), kDefault);
    EXPECT_EQ(instance().param(qv::kLanguageParam).u.pd.value, 1);
    EXPECT_EQ(instance().param(qv::kFirstColorParam).u.cd.value.alpha, 255);
    EXPECT_EQ(instance().layer(qv::kFirstLayerParam), 0);
    EXPECT_NE(instance().arbitraryHandle(qv::kCodeParam), params().def(qv::kCodeParam).u.arb_d.dephault);
}

TEST_F(InstanceValuesTest, SettersStoreTheHostsOwnForms)
{
    instance().setFloat(qv::kFirstSliderParam + 1, 0.25);
    instance().setAngle(qv::kFirstAngleParam + 2, 90 << 16);
    instance().setPoint(qv::kFirstPointParam + 3, 12 << 16, -(3 << 15));
    instance().setPoint3D(qv::kFirstPoint3DParam + 4, 1.5, -2, 1e6);
    instance().setCheckbox(qv::kFirstCheckboxParam + 5, true);
    instance().setPopup(qv::kLanguageParam, 3);
    instance().setColor(qv::kFirstColorParam + 6, PF_Pixel{255, 255, 0, 128});
    instance().setLayer(qv::kFirstLayerParam + 7, 4);
    EXPECT_EQ(instance().param(qv::kFirstSliderParam + 1).u.fs_d.value, 0.25);
    EXPECT_EQ(instance().param(qv::kFirstAngleParam + 2).u.ad.value, 90 << 16);
    EXPECT_EQ(instance().param(qv::kFirstPointParam + 3).u.td.y_value, -(3 << 15));
    EXPECT_EQ(instance().param(qv::kFirstPoint3DParam + 4).u.point3d_d.z_value, 1e6);
    EXPECT_EQ(instance().param(qv::kFirstCheckboxParam + 5).u.bd.value, 1);
    EXPECT_EQ(instance().param(qv::kLanguageParam).u.pd.value, 3);
    EXPECT_EQ(instance().param(qv::kFirstColorParam + 6).u.cd.value.blue, 128);
    EXPECT_EQ(instance().layer(qv::kFirstLayerParam + 7), 4);
}

TEST_F(InstanceValuesTest, ASetterOfTheWrongTypeThrows)
{
    EXPECT_THROW(instance().setFloat(qv::kFirstAngleParam, 1.0), std::logic_error);
    EXPECT_THROW(instance().setCheckbox(qv::kLanguageParam, true), std::logic_error);
    EXPECT_THROW(instance().setLayer(qv::kFirstLoadLayerParam, 1), std::logic_error);
    EXPECT_THROW(instance().setFloat(500, 1.0), std::out_of_range);
}

// Every kind of value as numbers in host units (what projects and the stream
// suite carry) and back, each into its own fields.
TEST_F(InstanceValuesTest, NumbersInHostUnitsComeBackForEveryKind)
{
    const std::pair<PF_ParamIndex, std::vector<double>> cases[] = {
        {qv::kFirstSliderParam, {0.25}},
        {qv::kFirstAngleParam, {-90 * 65536.0}},
        {qv::kFirstPointParam, {3 * 65536.0, -32768}},
        {qv::kFirstPoint3DParam, {1.5, -2, 1e6}},
        {qv::kFirstCheckboxParam, {1}},
        {qv::kFirstColorParam, {255, 1, 2, 3}},
        {qv::kLanguageParam, {3}},
        {qv::kFirstLayerParam + 2, {7}},
    };
    for (const auto &c : cases) {
        instance().setNumbers(c.first, c.second);
        EXPECT_EQ(instance().numbers(c.first), c.second) << c.first;
    }
    EXPECT_EQ(instance().param(qv::kFirstPointParam).u.td.y_value, -32768);
    EXPECT_EQ(instance().param(qv::kFirstColorParam).u.cd.value.blue, 3);
    EXPECT_EQ(instance().layer(qv::kFirstLayerParam + 2), 7);
    EXPECT_THROW(instance().setNumbers(qv::kFirstPointParam, {1}), std::logic_error);
    EXPECT_THROW(instance().setNumbers(qv::kCodeParam, {}), std::logic_error);
}

TEST_F(InstanceValuesTest, LayerParametersCountFromOneInDeclarationOrder)
{
    const qvh::DeclaredParams &params = instance().declared();
    EXPECT_EQ(params.layerNumber(qv::kFirstLayerParam), 1);
    EXPECT_EQ(params.layerNumber(qv::kFirstLayerParam + qv::kBankSize - 1), qv::kBankSize);
    for (PF_ParamIndex notLayer : {PF_ParamIndex(qv::kInputLayerParam), PF_ParamIndex(qv::kFirstLoadLayerParam), -1, params.count()})
        EXPECT_EQ(params.layerNumber(notLayer), 0) << notLayer;
}

// Checks parameters out through the callbacks a command's PF_InData carries.
TEST_F(InstanceValuesTest, CheckoutAnswersWithTheCurrentValueAtAnyTime)
{
    instance().setFloat(qv::kFirstSliderParam, 0.75);
    PF_InData in = instance().inData(48, 1, 24);
    in.effect_ref = instance().effectRef();
    in.inter.checkout_param = nullptr;
    qvh::CommandResult r = instance().command(PF_Cmd_DO_DIALOG, nullptr, in);  /* fills the callbacks */
    EXPECT_EQ(r.err, PF_Err_NONE);
    ASSERT_NE(in.inter.checkout_param, nullptr);
    EXPECT_EQ(in.current_time, 48);
    EXPECT_EQ(in.time_scale, 24u);
    EXPECT_EQ(in.num_params, 115);
    EXPECT_EQ(in.sequence_data, instance().sequenceData());
    PF_ParamDef def;
    EXPECT_EQ(in.inter.checkout_param(in.effect_ref, qv::kFirstSliderParam, 480, 10, 240, &def), PF_Err_NONE);
    EXPECT_EQ(def.u.fs_d.value, 0.75);
    EXPECT_EQ(instance().outstandingCheckouts(), 1);
    EXPECT_EQ(in.inter.checkin_param(in.effect_ref, &def), PF_Err_NONE);
    EXPECT_EQ(instance().outstandingCheckouts(), 0);
    EXPECT_EQ(in.inter.checkout_param(in.effect_ref, 115, 0, 1, 24, &def), PF_Err_INVALID_INDEX);
}

TEST_F(InstanceValuesTest, CheckinWithoutCheckoutIsMisuse)
{
    PF_ParamDef def{};
    EXPECT_EQ(instance().checkinParam(&def), PF_Err_BAD_CALLBACK_PARAM);
    ASSERT_EQ(qvh::host().misuse().size(), 1u);
    qvh::host().reset();  /* the misuse was the point */
}

TEST_F(InstanceValuesTest, SetCodeStoresTheExactBytesAndComparesFirst)
{
    const std::string text = std::string("it's \"quoted\" \\ \t tab\nline\n\xC3\xA9\xE2\x82\xAC") + '\0' + "after NUL";
    EXPECT_TRUE(instance().setArbitraryText(qv::kCodeParam, text));
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), text);
    PF_ArbitraryH before = instance().arbitraryHandle(qv::kCodeParam);
    EXPECT_FALSE(instance().setArbitraryText(qv::kCodeParam, text));  /* COMPARE: equal, the value stays */
    EXPECT_EQ(instance().arbitraryHandle(qv::kCodeParam), before);
}

TEST_F(InstanceValuesTest, CopyAndPasteAsTextCarryTheCode)
{
    instance().setArbitraryText(qv::kCodeParam, "float x = 1.0;\n");
    EXPECT_EQ(instance().copyArbitraryAsText(qv::kCodeParam), "float x = 1.0;\n");
    std::unique_ptr<qvh::Instance> other = instance().duplicate();
    EXPECT_TRUE(other->pasteArbitraryText(qv::kCodeParam, "pasted"));
    EXPECT_EQ(other->arbitraryText(qv::kCodeParam), "pasted");
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "float x = 1.0;\n");
}

TEST_F(InstanceValuesTest, ADuplicateHasAnIndependentCopyOfTheCode)
{
    instance().setArbitraryText(qv::kCodeParam, "original");
    instance().setFloat(qv::kFirstSliderParam + 9, -7.5);
    std::unique_ptr<qvh::Instance> copy = instance().duplicate();
    EXPECT_NE(copy->arbitraryHandle(qv::kCodeParam), instance().arbitraryHandle(qv::kCodeParam));
    EXPECT_EQ(copy->arbitraryText(qv::kCodeParam), "original");
    EXPECT_EQ(copy->param(qv::kFirstSliderParam + 9).u.fs_d.value, -7.5);
    copy->setArbitraryText(qv::kCodeParam, "changed in the copy");
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "original");
    instance().setArbitraryText(qv::kCodeParam, "changed in the original");
    EXPECT_EQ(copy->arbitraryText(qv::kCodeParam), "changed in the copy");
    instancePtr().reset();  /* the copy outlives its original */
    EXPECT_EQ(copy->arbitraryText(qv::kCodeParam), "changed in the copy");
}

TEST_F(InstanceValuesTest, InterpOfTwoInstancesCodeIsAStep)
{
    std::unique_ptr<qvh::Instance> other = instance().duplicate();
    other->setArbitraryText(qv::kCodeParam, "right");
    qvh::ArbitraryCalls calls = instance().arbitrary(qv::kCodeParam);
    PF_ArbitraryH mid = nullptr;
    ASSERT_EQ(calls.interp(instance().arbitraryHandle(qv::kCodeParam), other->arbitraryHandle(qv::kCodeParam), 0.5,
                           &mid).err, PF_Err_NONE);
    std::string bytes;
    EXPECT_EQ(calls.flattenAll(mid, &bytes).err, PF_Err_NONE);
    EXPECT_EQ(bytes, kDefault + '\0');
    EXPECT_EQ(calls.dispose(mid).err, PF_Err_NONE);
}

TEST_F(InstanceValuesTest, UserChangedParamIsSentWithTheIndex)
{
    qvh::CommandResult r = instance().userChangedParam(qv::kDebugParam);
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_EQ(instance().param(qv::kDebugParam).u.bd.value, 0);
}

TEST_F(InstanceValuesTest, UpdateParamUIOutsideUICommandsIsRefused)
{
    PF_ParamDef def = instance().param(qv::kFirstLayerParam);
    def.ui_flags = 0;
    EXPECT_EQ(instance().updateParamUI(qv::kFirstLayerParam, &def), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(instance().uiFlags(qv::kFirstLayerParam), PF_PUI_DISABLED);
    qvh::host().reset();  /* the misuse was the point */
}

TEST_F(InstanceValuesTest, CommandsMayRunOnSeveralThreadsAtOnce)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([this] {
            for (int i = 0; i < 50; ++i) {
                PF_InData in = instance().inData(i, 1, 24);
                instance().command(PF_Cmd_RENDER, nullptr, in);  /* answered without work */
                PF_ParamDef def;
                instance().checkoutParam(qv::kFirstSliderParam, &def);
                instance().checkinParam(&def);
            }
        });
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(instance().outstandingCheckouts(), 0);
}

TEST_F(InstanceValuesTest, FromEffectRefFindsOnlyLiveInstances)
{
    EXPECT_EQ(qvh::Instance::fromEffectRef(instance().effectRef()), &instance());
    PF_ProgPtr gone = instance().effectRef();
    instancePtr().reset();
    EXPECT_EQ(qvh::Instance::fromEffectRef(gone), nullptr);
}

} // namespace
