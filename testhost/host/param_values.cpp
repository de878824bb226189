#include "testhost/host/param_values.h"

namespace qvh {

std::string ParamTypeName(PF_ParamType type)
{
    switch (type) {
    case PF_Param_LAYER: return "layer";
    case PF_Param_SLIDER: return "slider";
    case PF_Param_FIX_SLIDER: return "fixed slider";
    case PF_Param_ANGLE: return "angle";
    case PF_Param_CHECKBOX: return "checkbox";
    case PF_Param_COLOR: return "color";
    case PF_Param_POINT: return "point";
    case PF_Param_POPUP: return "popup";
    case PF_Param_NO_DATA: return "no data";
    case PF_Param_FLOAT_SLIDER: return "float slider";
    case PF_Param_ARBITRARY_DATA: return "arbitrary data";
    case PF_Param_GROUP_START: return "group start";
    case PF_Param_GROUP_END: return "group end";
    case PF_Param_BUTTON: return "button";
    case PF_Param_POINT_3D: return "3D point";
    default: return "type " + std::to_string(type);
    }
}

bool ParamHoldsValue(PF_ParamType type)
{
    switch (type) {
    case PF_Param_LAYER: case PF_Param_SLIDER: case PF_Param_FIX_SLIDER: case PF_Param_ANGLE:
    case PF_Param_CHECKBOX: case PF_Param_COLOR: case PF_Param_POINT: case PF_Param_POPUP:
    case PF_Param_FLOAT_SLIDER: case PF_Param_ARBITRARY_DATA: case PF_Param_POINT_3D:
        return true;
    default:
        return false;
    }
}

void SetToDefault(PF_ParamDef &def)
{
    PF_ParamDefUnion &u = def.u;
    switch (def.param_type) {
    case PF_Param_SLIDER: u.sd.value = u.sd.dephault; break;
    case PF_Param_FIX_SLIDER: u.fd.value = u.fd.dephault; break;
    case PF_Param_FLOAT_SLIDER: u.fs_d.value = u.fs_d.dephault; break;
    case PF_Param_ANGLE: u.ad.value = u.ad.dephault; break;
    case PF_Param_CHECKBOX: u.bd.value = u.bd.dephault; break;
    case PF_Param_POPUP: u.pd.value = u.pd.dephault; break;
    case PF_Param_POINT: u.td.x_value = u.td.x_dephault; u.td.y_value = u.td.y_dephault; break;
    case PF_Param_POINT_3D:
        u.point3d_d.x_value = u.point3d_d.x_dephault;
        u.point3d_d.y_value = u.point3d_d.y_dephault;
        u.point3d_d.z_value = u.point3d_d.z_dephault;
        break;
    case PF_Param_COLOR: u.cd.value = u.cd.dephault; break;
    case PF_Param_ARBITRARY_DATA: u.arb_d.value = nullptr; break;  /* an instance's is made by NEW */
    default: break;
    }
}

} // namespace qvh
