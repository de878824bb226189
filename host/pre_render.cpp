// OnSmartPreRender. The request goes to the host together with its disposal
// function as soon as it exists, so whatever happens next (a failed step, a
// thrown missing-suite error, a render that never comes) the host holds it
// and frees it: the disposal is the request's one release point, and the
// render only reads it.
#include "host/pre_render.h"

#include "base/param_indices.h"
#include "base/popup_codes.h"
#include "base/suite_access.h"
#include "storage/expression_data.h"

#include <cstring>
#include <string>

namespace qv {
namespace {

// One parameter at the frame's time, checked in again when the object goes;
// the results of both calls are not examined (a failed checkout reads as 0).
class ParamCheckout {
public:
    ParamCheckout(PF_InData *in_data, PF_ParamIndex index) : in_data_(in_data)
    {
        std::memset(&def_, 0, sizeof def_);
        PF_CHECKOUT_PARAM(in_data, index, in_data->current_time, in_data->time_step, in_data->time_scale, &def_);
    }
    ~ParamCheckout() { PF_CHECKIN_PARAM(in_data_, &def_); }
    ParamCheckout(const ParamCheckout &) = delete;
    ParamCheckout &operator=(const ParamCheckout &) = delete;

    const PF_ParamDefUnion &u() const { return def_.u; }

private:
    PF_InData *in_data_;
    PF_ParamDef def_;
};

double fixedToDouble(PF_Fixed v) { return v / 65536.0; }

PF_ParamValue checkboxValue(PF_InData *in_data, PF_ParamIndex index) { return ParamCheckout(in_data, index).u().bd.value; }

int32_t popupChoice(PF_InData *in_data, PF_ParamIndex index)
{
    return CodeOfPopup(ParamCheckout(in_data, index).u().pd.value);
}

// The code text; the read's error (the text is empty when the block could
// not be locked).
PF_Err readCode(SuiteAccess &suites, PF_InData *in_data, RenderRequest *request)
{
    ParamCheckout code(in_data, kCodeParam);
    return ReadExpressionText(suites, in_data, code.u().arb_d.value, &request->code);
}

void readSettings(PF_InData *in_data, RenderRequest *request)
{
    request->debug = checkboxValue(in_data, kDebugParam) != 0;
    request->language = LanguageOfPopup(ParamCheckout(in_data, kLanguageParam).u().pd.value);
    request->wrapU = popupChoice(in_data, kWrapUParam);
    request->wrapV = popupChoice(in_data, kWrapVParam);
    request->magFilter = popupChoice(in_data, kMagFilterParam);
    request->minFilter = popupChoice(in_data, kMinFilterParam);
    request->time = static_cast<double>(in_data->current_time) / static_cast<double>(in_data->time_scale);
}

// Effect layer, its composition, the composition's rate: the first failing
// call's error, the later calls skipped.
PF_Err readFrameRate(SuiteAccess &suites, PF_InData *in_data, double *fps)
{
    AEGP_LayerH layer = nullptr;
    AEGP_CompH comp = nullptr;
    A_Err err = pfInterfaceSuite(suites)->AEGP_GetEffectLayer(in_data->effect_ref, &layer);
    if (!err)
        err = layerSuite(suites)->AEGP_GetLayerParentComp(layer, &comp);
    if (!err)
        err = compSuite(suites)->AEGP_GetCompFramerate(comp, fps);
    return err;
}

PF_Err checkoutLayer(PF_InData *in_data, PF_PreRenderExtra *extra, PF_ParamIndex index,
                     const PF_RenderRequest &outputRequest, PF_CheckoutResult *result)
{
    return extra->cb->checkout_layer(in_data->effect_ref, index, index, &outputRequest, in_data->current_time,
                                     in_data->time_step, in_data->time_scale, result);
}

} // namespace

PF_Err BuildParamSnapshot(PF_InData *in_data, ParamSnapshot *s)
{
    for (int i = 0; i < kBankSize; ++i)
        s->sliders[i] = ParamCheckout(in_data, kFirstSliderParam + i).u().fs_d.value;
    for (int i = 0; i < kBankSize; ++i)
        s->angles[i] = fixedToDouble(ParamCheckout(in_data, kFirstAngleParam + i).u().ad.value);
    for (int i = 0; i < kBankSize; ++i) {
        ParamCheckout p(in_data, kFirstPointParam + i);
        s->points[i][0] = fixedToDouble(p.u().td.x_value);
        s->points[i][1] = fixedToDouble(p.u().td.y_value);
    }
    for (int i = 0; i < kBankSize; ++i) {
        ParamCheckout p(in_data, kFirstPoint3DParam + i);
        s->points3d[i][0] = p.u().point3d_d.x_value;
        s->points3d[i][1] = p.u().point3d_d.y_value;
        s->points3d[i][2] = p.u().point3d_d.z_value;
    }
    for (int i = 0; i < kBankSize; ++i)
        s->checkboxes[i] = checkboxValue(in_data, kFirstCheckboxParam + i) != 0 ? 1.0 : 0.0;
    for (int i = 0; i < kBankSize; ++i) {
        PF_Pixel c = ParamCheckout(in_data, kFirstColorParam + i).u().cd.value;
        s->colors[i][0] = c.red / double(PF_MAX_CHAN8);
        s->colors[i][1] = c.green / double(PF_MAX_CHAN8);
        s->colors[i][2] = c.blue / double(PF_MAX_CHAN8);
        s->colors[i][3] = c.alpha / double(PF_MAX_CHAN8);
    }
    return PF_Err_NONE;
}

PF_Err OnSmartPreRender(const CommandArgs &a)
{
    PF_InData *in_data = a.in_data;
    PF_PreRenderExtra *extra = static_cast<PF_PreRenderExtra *>(a.extra);
    PF_RenderRequest outputRequest = extra->input->output_request;
    RenderRequest *request = &HandRenderRequestToHost(extra);

    PF_Err err = readCode(a.suites, in_data, request);
    readSettings(in_data, request);
    if (!err)
        err = readFrameRate(a.suites, in_data, &request->fps);
    BuildParamSnapshot(in_data, &request->params);
    for (int i = 0; i < kBankSize; ++i)
        request->loadLayer[i] = checkboxValue(in_data, kFirstLoadLayerParam + i) != 0;
    outputRequest.preserve_rgb_of_zero_alpha = true;

    PF_CheckoutResult input;
    std::memset(&input, 0, sizeof input);
    if (!err)
        err = checkoutLayer(in_data, extra, kInputLayerParam, outputRequest, &input);
    extra->output->result_rect = input.result_rect;
    extra->output->max_result_rect = input.max_result_rect;
    for (int i = 0; i < kBankSize && !err; ++i) {
        if (request->loadLayer[i]) {
            PF_CheckoutResult layer;
            std::memset(&layer, 0, sizeof layer);
            err = checkoutLayer(in_data, extra, kFirstLayerParam + i, outputRequest, &layer);
        }
    }
    return err;
}

} // namespace qv
