// The host's side of one arbitrary-data parameter: each operation is one
// PF_Cmd_ARBITRARY_CALLBACK carrying the parameter's id and reference
// constant. Handles the effect hands out belong to the caller, who gives them
// back with dispose().
#pragma once

#include "sdk/ae_sdk.h"
#include "testhost/effect/effect.h"

#include <string>

namespace qvh {

class ArbitraryCalls {
public:
    // `def` is the declared PF_Param_ARBITRARY_DATA record.
    ArbitraryCalls(Effect &effect, const PF_ParamDef &def);

    CommandResult newValue(PF_ArbitraryH *out);
    // Reports misuse when the effect leaves the handle argument set.
    CommandResult dispose(PF_ArbitraryH handle);
    CommandResult copy(PF_ArbitraryH source, PF_ArbitraryH *out);
    CommandResult flatSize(PF_ArbitraryH handle, A_u_long *size);
    CommandResult flatten(PF_ArbitraryH handle, A_u_long bufferSize, void *buffer);
    CommandResult unflatten(const void *bytes, A_u_long size, PF_ArbitraryH *out);
    CommandResult interp(PF_ArbitraryH left, PF_ArbitraryH right, double t, PF_ArbitraryH *out);
    CommandResult compare(PF_ArbitraryH a, PF_ArbitraryH b, PF_ArbCompareResult *result);
    CommandResult printSize(PF_ArbitraryH handle, A_u_long *size);
    CommandResult print(PF_ArbitraryH handle, A_u_long bufferSize, A_char *buffer);
    CommandResult scan(const A_char *text, A_u_long size, PF_ArbitraryH *out);

    // FLAT_SIZE then FLATTEN into a buffer of that size: the flattened bytes.
    CommandResult flattenAll(PF_ArbitraryH handle, std::string *bytes);
    // PRINT_SIZE then PRINT: the value as text, as copy and paste carries it.
    CommandResult printAll(PF_ArbitraryH handle, std::string *text);
    CommandResult unflatten(const std::string &bytes, PF_ArbitraryH *out);
    CommandResult scan(const std::string &text, PF_ArbitraryH *out);

    // Sends `extra` as it is, with the selector's arguments already filled.
    CommandResult send(PF_ArbParamsExtra &extra);

private:
    PF_ArbParamsExtra start(PF_FunctionSelector which) const;

    Effect &effect_;
    A_short id_;
    void *refcon_;
};

} // namespace qvh
