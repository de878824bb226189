#include "testhost/effect/arbitrary_calls.h"

#include "testhost/host/host.h"

#include <cstring>

namespace qvh {

ArbitraryCalls::ArbitraryCalls(Effect &effect, const PF_ParamDef &def)
    : effect_(effect), id_(def.u.arb_d.id), refcon_(def.u.arb_d.refconPV)
{
}

PF_ArbParamsExtra ArbitraryCalls::start(PF_FunctionSelector which) const
{
    PF_ArbParamsExtra extra;
    std::memset(&extra, 0, sizeof extra);
    extra.which_function = which;
    extra.id = id_;
    extra.u.new_func_params.refconPV = refcon_;  /* the first member of every selector's arguments */
    return extra;
}

CommandResult ArbitraryCalls::send(PF_ArbParamsExtra &extra)
{
    return effect_.command(PF_Cmd_ARBITRARY_CALLBACK, &extra);
}

CommandResult ArbitraryCalls::newValue(PF_ArbitraryH *out)
{
    PF_ArbParamsExtra x = start(PF_Arbitrary_NEW_FUNC);
    x.u.new_func_params.arbPH = out;
    return send(x);
}

CommandResult ArbitraryCalls::dispose(PF_ArbitraryH handle)
{
    PF_ArbParamsExtra x = start(PF_Arbitrary_DISPOSE_FUNC);
    x.u.dispose_func_params.arbH = handle;
    CommandResult r = send(x);
    if (r.err == PF_Err_NONE && x.u.dispose_func_params.arbH)
        host().reportMisuse("DISPOSE left the handle argument set");
    return r;
}

CommandResult ArbitraryCalls::copy(PF_ArbitraryH source, PF_ArbitraryH *out)
{
    PF_ArbParamsExtra x = start(PF_Arbitrary_COPY_FUNC);
    x.u.copy_func_params.src_arbH = source;
    x.u.copy_func_params.dst_arbPH = out;
    return send(x);
}

CommandResult ArbitraryCalls::flatSize(PF_ArbitraryH handle, A_u_long *size)
{
    PF_ArbParamsExtra x = start(PF_Arbitrary_FLAT_SIZE_FUNC);
    x.u.flat_size_func_params.arbH = handle;
    x.u.flat_size_func_params.flat_data_sizePLu = size;
    return send(x);
}

CommandResult ArbitraryCalls::flatten(PF_ArbitraryH handle, A_u_long bufferSize, void *buffer)
{
    PF_ArbParamsExtra x = start(PF_Arbitrary_FLATTEN_FUNC);
    x.u.flatten_func_params.arbH = handle;
    x.u.flatten_func_params.buf_sizeLu = bufferSize;
    x.u.flatten_func_params.flat_dataPV = buffer;
    return send(x);
}

CommandResult ArbitraryCalls::unflatten(const void *bytes, A_u_long size, PF_ArbitraryH *out)
{
    PF_ArbParamsExtra x = start(PF_Arbitrary_UNFLATTEN_FUNC);
    x.u.unflatten_func_params.buf_sizeLu = size;
    x.u.unflatten_func_params.flat_dataPV = bytes;
    x.u.unflatten_func_params.arbPH = out;
    return send(x);
}

CommandResult ArbitraryCalls::interp(PF_ArbitraryH left, PF_ArbitraryH right, double t, PF_ArbitraryH *out)
{
    PF_ArbParamsExtra x = start(PF_Arbitrary_INTERP_FUNC);
    x.u.interp_func_params.left_arbH = left;
    x.u.interp_func_params.right_arbH = right;
    x.u.interp_func_params.tF = t;
    x.u.interp_func_params.interpPH = out;
    return send(x);
}

CommandResult ArbitraryCalls::compare(PF_ArbitraryH a, PF_ArbitraryH b, PF_ArbCompareResult *result)
{
    PF_ArbParamsExtra x = start(PF_Arbitrary_COMPARE_FUNC);
    x.u.compare_func_params.a_arbH = a;
    x.u.compare_func_params.b_arbH = b;
    x.u.compare_func_params.compareP = result;
    return send(x);
}

CommandResult ArbitraryCalls::printSize(PF_ArbitraryH handle, A_u_long *size)
{
    PF_ArbParamsExtra x = start(PF_Arbitrary_PRINT_SIZE_FUNC);
    x.u.print_size_func_params.arbH = handle;
    x.u.print_size_func_params.print_sizePLu = size;
    return send(x);
}

CommandResult ArbitraryCalls::print(PF_ArbitraryH handle, A_u_long bufferSize, A_char *buffer)
{
    PF_ArbParamsExtra x = start(PF_Arbitrary_PRINT_FUNC);
    x.u.print_func_params.print_flags = PF_ArbPrint_NONE;
    x.u.print_func_params.arbH = handle;
    x.u.print_func_params.print_sizeLu = bufferSize;
    x.u.print_func_params.print_bufferPC = buffer;
    return send(x);
}

CommandResult ArbitraryCalls::scan(const A_char *text, A_u_long size, PF_ArbitraryH *out)
{
    PF_ArbParamsExtra x = start(PF_Arbitrary_SCAN_FUNC);
    x.u.scan_func_params.bufPC = text;
    x.u.scan_func_params.bytes_to_scanLu = size;
    x.u.scan_func_params.arbPH = out;
    return send(x);
}

CommandResult ArbitraryCalls::flattenAll(PF_ArbitraryH handle, std::string *bytes)
{
    A_u_long size = 0;
    CommandResult r = flatSize(handle, &size);
    if (r.err)
        return r;
    bytes->assign(size, '\0');
    return flatten(handle, size, &(*bytes)[0]);
}

CommandResult ArbitraryCalls::printAll(PF_ArbitraryH handle, std::string *text)
{
    A_u_long size = 0;
    CommandResult r = printSize(handle, &size);
    if (r.err)
        return r;
    text->assign(size, '\0');
    return print(handle, size, &(*text)[0]);
}

CommandResult ArbitraryCalls::unflatten(const std::string &bytes, PF_ArbitraryH *out)
{
    return unflatten(bytes.data(), static_cast<A_u_long>(bytes.size()), out);
}

CommandResult ArbitraryCalls::scan(const std::string &text, PF_ArbitraryH *out)
{
    return scan(text.data(), static_cast<A_u_long>(text.size()), out);
}

} // namespace qvh
