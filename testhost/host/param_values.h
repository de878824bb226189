// What the host knows of each parameter type's value, in one table: its name
// in projects and listings, how many numbers it is, what those numbers are,
// where a PF_ParamDef keeps them and its default.
#pragma once

#include "sdk/ae_sdk.h"

#include <cstddef>
#include <string>
#include <vector>

namespace qvh {

// What each number of a value is, in the host's own units.
enum class ValueUnit {
    Real,     // a double as it is: float sliders, 3D points
    Integer,  // a whole number: sliders, popups (from 1), layer numbers
    Fixed,    // 16.16 fixed point, degrees or pixels times 65536: angles, fixed sliders, points
    Flag,     // 0 or 1: checkboxes
    Channel,  // an 8-bit colour channel, 0 to 255, alpha red green blue
};

// One parameter type's value. `read` and `write` are null where the record
// keeps no number: arbitrary data (a handle) and layers (the host keeps the
// layer number beside the record).
struct ParamValueType {
    PF_ParamType type;
    const char *name;       // "float slider", "3D point", ...
    bool holdsValue;        // an instance keeps it and a project saves it
    std::size_t arity;      // numbers in the value, 0 for none and for arbitrary data
    ValueUnit unit;
    void (*read)(const PF_ParamDefUnion &u, double *numbers);
    void (*write)(PF_ParamDefUnion &u, const double *numbers);
    void (*reset)(PF_ParamDefUnion &u);
};

// The table's entry for `type`, or null for a type it does not know.
const ParamValueType *ParamValueTypeOf(PF_ParamType type);

// "float slider", "3D point", "arbitrary data", ...; "type N" for others.
std::string ParamTypeName(PF_ParamType type);
// True for the types that hold a value an instance keeps and a project saves.
bool ParamHoldsValue(PF_ParamType type);
// How many numbers a value of `type` holds (0 for arbitrary data and for
// types without a value).
std::size_t ValueArity(PF_ParamType type);
// The unit of a value's numbers (Integer for types without numbers).
ValueUnit ValueUnitOf(PF_ParamType type);

// Sets the value fields of a declared record to its defaults (an arbitrary
// value to none).
void SetToDefault(PF_ParamDef &def);
// The value of `def` as ValueArity numbers in host units; `layer` is the
// layer number kept beside a layer parameter's record.
std::vector<double> ValueNumbers(const PF_ParamDef &def, A_long layer = 0);
// Stores ValueArity numbers in host units into `def`, a layer's into `layer`.
void SetValueNumbers(PF_ParamDef &def, A_long &layer, const std::vector<double> &numbers);
// The value fields of `from` into `to`, both of one type; neither a layer
// number nor an arbitrary handle, which their owners hand over themselves.
void CopyValue(PF_ParamDef &to, const PF_ParamDef &from);

} // namespace qvh
