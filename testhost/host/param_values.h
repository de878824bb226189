// What the host knows of each parameter type's value: its name in projects
// and listings, whether an instance keeps one, and its default.
#pragma once

#include "sdk/ae_sdk.h"

#include <string>

namespace qvh {

// "float slider", "3D point", "arbitrary data", ...; "type N" for others.
std::string ParamTypeName(PF_ParamType type);
// True for the types that hold a value an instance keeps and a project saves.
bool ParamHoldsValue(PF_ParamType type);
// Sets the value fields of a declared record to its defaults (an arbitrary
// value to none).
void SetToDefault(PF_ParamDef &def);

} // namespace qvh
