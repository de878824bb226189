// PF_Cmd_UPDATE_PARAMS_UI: each "Layer" is enabled only while its "Load
// layer" checkbox is on. The host's records are read, never written: the
// flags go back through "PF Param Utils Suite".
#include "host/params_ui.h"

#include "base/param_indices.h"
#include "base/render_context.h"
#include "base/suite_access.h"

namespace qv {

PF_Err OnUpdateParamsUI(const CommandArgs &a)
{
    if (!a.params)
        return PF_Err_BAD_CALLBACK_PARAM;
    PF_Err err = PF_Err_NONE;
    for (int i = 0; i < kBankSize; ++i) {
        PF_ParamDef layer = *a.params[kFirstLayerParam + i];  /* a scratch copy */
        if (a.params[kFirstLoadLayerParam + i]->u.bd.value)
            layer.ui_flags &= ~PF_PUI_DISABLED;
        else
            layer.ui_flags |= PF_PUI_DISABLED;
        if (!err)  /* every copy is edited; the host hears until one update fails */
            err = paramUtilsSuite(a.suites)->PF_UpdateParamUI(a.in_data->effect_ref, kFirstLayerParam + i, &layer);
    }
    return err;
}

} // namespace qv
