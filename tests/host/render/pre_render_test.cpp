// The smart pre-render's failure rows and the request's one release point:
// the host's disposal, whether the render comes or not.
#include "common/render_fixture.h"

#include "host/pre_render.h"

#include <ostream>

namespace {

class PreRenderTest : public RenderTest {
protected:
    qvh::FrameResult preRender(bool withRender = false)
    {
        qvh::Composition comp;
        comp.width = 8, comp.height = 8;
        qvh::SmartFx fx(comp, runner());
        qvh::FrameTime t = qvh::secondsTime(0.5, comp.fps);
        return withRender ? fx.renderFrame(t) : fx.preRenderOnly(t);
    }
};

TEST_F(PreRenderTest, RequestIsHandedOverWithItsDisposalAndFreedByTheHost)
{
    qvh::FrameResult r = preRender();
    EXPECT_EQ(r.preRenderErr, PF_Err_NONE);
    EXPECT_NE(r.preRenderOutput.pre_render_data, nullptr);
    EXPECT_TRUE(r.preRenderDataDisposed);
    EXPECT_FALSE(r.rendered);
    PF_LRect full = {0, 0, 8, 8};
    EXPECT_EQ(std::memcmp(&r.preRenderOutput.result_rect, &full, sizeof full), 0);
    EXPECT_EQ(std::memcmp(&r.preRenderOutput.max_result_rect, &full, sizeof full), 0);
    ASSERT_EQ(r.layerCheckouts.size(), 1u);  /* the input only */
    EXPECT_EQ(r.layerCheckouts[0].index, 0);
}

TEST_F(PreRenderTest, RenderedFrameIsFreedOnceByTheHost)
{
    qvh::FrameResult r = preRender(true);
    EXPECT_EQ(r.err(), PF_Err_NONE);
    EXPECT_TRUE(r.rendered);
    EXPECT_TRUE(r.preRenderDataDisposed);  /* a double free would stop the sanitizer run */
}

TEST_F(PreRenderTest, EveryParameterCheckedOutIsCheckedIn)
{
    preRender(true);
    EXPECT_EQ(instance().outstandingCheckouts(), 0);
}

struct FailureRow {
    const char *function;
    A_Err err;
    std::size_t layerCheckouts;  // checkout_layer calls still made
};

// Named by the failing function: gtest would otherwise print the row's raw bytes, padding included.
void PrintTo(const FailureRow &row, std::ostream *os)
{
    *os << row.function << " fails with " << row.err;
}

class PreRenderFailure : public PreRenderTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(PreRenderFailure, BecomesTheResultWithTheRequestStillAttachedAndFreed)
{
    const FailureRow &row = GetParam();
    setCheckbox(93 + 2, true);
    setCheckbox(93 + 7, true);
    qvh::host().faults.failFunction(row.function, row.err);
    qvh::FrameResult r = preRender(true);
    EXPECT_EQ(r.preRenderErr, row.err);
    EXPECT_FALSE(r.rendered);
    EXPECT_NE(r.preRenderOutput.pre_render_data, nullptr);
    EXPECT_TRUE(r.preRenderDataDisposed);
    EXPECT_EQ(r.layerCheckouts.size(), row.layerCheckouts);
    EXPECT_EQ(instance().outstandingCheckouts(), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, PreRenderFailure, ::testing::Values(
    FailureRow{"AEGP_LockMemHandle", A_Err_ALLOC, 0},
    FailureRow{"AEGP_UnlockMemHandle", A_Err_GENERIC, 0},
    FailureRow{"AEGP_GetEffectLayer", A_Err_GENERIC, 0},
    FailureRow{"AEGP_GetLayerParentComp", A_Err_PARAMETER, 0},
    FailureRow{"AEGP_GetCompFramerate", A_Err_STRUCT, 0},
    FailureRow{"checkout_layer 0", PF_Err_OUT_OF_MEMORY, 1},
    FailureRow{"checkout_layer 105", PF_Err_INTERNAL_STRUCT_DAMAGED, 2},
    FailureRow{"checkout_layer 110", PF_Err_BAD_CALLBACK_PARAM, 3}));

TEST_F(PreRenderTest, MissingSuiteIsErrorIdWithTheRequestStillFreed)
{
    qvh::host().faults.removeSuite(kAEGPCompSuite);
    qvh::FrameResult r = preRender(true);
    EXPECT_EQ(r.preRenderErr, 516);
    EXPECT_EQ(r.message, "Error Id : 516");
    EXPECT_TRUE(r.preRenderDataDisposed);
}

TEST_F(PreRenderTest, RenderCheckoutFailuresAreTheResultAndTheOutputIsCleared)
{
    const struct { const char *function; std::size_t pixelCheckouts; bool output; } rows[] = {
        {"checkout_layer_pixels 0", 1, false},
        {"checkout_layer_pixels 104", 2, false},
        {"checkout_output", 2, false},
    };
    setCheckbox(93 + 1, true);
    for (auto row : rows) {
        qvh::host().faults.clear();
        qvh::host().faults.failFunction(row.function, PF_Err_OUT_OF_MEMORY);
        qvh::FrameResult r = preRender(true);
        EXPECT_EQ(r.renderErr, PF_Err_OUT_OF_MEMORY) << row.function;
        EXPECT_EQ(r.pixelCheckouts.size(), row.pixelCheckouts) << row.function;
        EXPECT_EQ(static_cast<bool>(r.output), row.output) << row.function;
        EXPECT_TRUE(r.preRenderDataDisposed);
    }
}

// The snapshot builder on its own, against the instance's values; a host may
// hand a ticked checkbox as any non-zero value.
TEST_F(PreRenderTest, SnapshotConvertsEveryKind)
{
    instance().setFloat(qv::kFirstSliderParam + 2, -2.5);
    instance().setAngle(qv::kFirstAngleParam + 1, 90 * 65536);
    instance().setPoint(qv::kFirstPointParam + 9, 3 * 65536 + 32768, -65536);
    instance().setPoint3D(qv::kFirstPoint3DParam + 4, 0, 0, 7.25);
    instance().setColor(qv::kFirstColorParam + 6, PF_Pixel{255, 255, 0, 128});
    PF_InData in = instance().inData();
    in.effect_ref = instance().effectRef();
    in.inter.checkin_param = [](PF_ProgPtr ref, PF_ParamDef *def) {
        return qvh::Instance::fromEffectRef(ref)->checkinParam(def);
    };
    in.inter.checkout_param = [](PF_ProgPtr ref, PF_ParamIndex i, A_long, A_long, A_u_long, PF_ParamDef *def) {
        PF_Err err = qvh::Instance::fromEffectRef(ref)->checkoutParam(i, def);
        if (i == qv::kFirstCheckboxParam + 5)
            def->u.bd.value = 3;
        return err;
    };
    qv::ParamSnapshot s;
    EXPECT_EQ(qv::BuildParamSnapshot(&in, &s), PF_Err_NONE);
    EXPECT_EQ(s.sliders[2], -2.5);
    EXPECT_EQ(s.angles[1], 90.0);
    EXPECT_EQ(s.points[9][0], 3.5);
    EXPECT_EQ(s.points[9][1], -1.0);
    EXPECT_EQ(s.points3d[4][2], 7.25);
    EXPECT_EQ(s.checkboxes[5], 1.0);
    EXPECT_EQ(s.checkboxes[4], 0.0);
    EXPECT_EQ(s.colors[6][0], 1.0);
    EXPECT_EQ(s.colors[6][1], 0.0);
    EXPECT_EQ(s.colors[6][2], 128 / 255.0);
    EXPECT_EQ(s.colors[6][3], 1.0);
    EXPECT_EQ(instance().outstandingCheckouts(), 0);
}

} // namespace
