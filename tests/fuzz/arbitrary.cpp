// The code value as a hostile host drives it: a random sequence of the
// arbitrary-data operations through the entry point, over flat buffers,
// buffer sizes, interpolation factors and host failures taken from the input.
// A model of each live value's text checks every answer: what is flattened
// reads back the same, COMPARE agrees with the texts, a failed operation
// hands out no handle, and when the input ends every handle is gone.
#include "storage/expression_data.h"
#include "testhost/effect/arbitrary_calls.h"
#include "testhost/effect/effect.h"
#include "testhost/host/handles.h"
#include "testhost/host/host.h"
#include "testhost/host/plugin.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

struct Value {
    PF_ArbitraryH handle;
    std::string text;  // what the value must hold
};

const std::string kDefault(qv::kDefaultExpressionText, qv::kDefaultExpressionLength);

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "arbitrary fuzz: %s\n", what);
    std::abort();
}

void expect(bool ok, const char *what)
{
    if (!ok)
        fail(what);
}

qvh::Effect &effect()
{
    static qvh::Plugin *plugin = new qvh::Plugin(QV_PLUGIN_PATH);
    static qvh::Effect *e = new qvh::Effect(*plugin);
    return *e;
}

qvh::ArbitraryCalls calls()
{
    PF_ParamDef def;
    std::memset(&def, 0, sizeof def);
    def.param_type = PF_Param_ARBITRARY_DATA;
    def.u.arb_d.id = qv::kExpressionArbId;
    def.u.arb_d.refconPV = reinterpret_cast<void *>(qv::kExpressionRefcon);
    return qvh::ArbitraryCalls(effect(), def);
}

std::string flatText(const std::string &bytes)
{
    return bytes.substr(0, qv::FlatTextLength(bytes.data(), bytes.size()));
}

std::string cText(const std::string &text) { return text.substr(0, text.find('\0')); }

class Session {
public:
    explicit Session(FuzzedDataProvider &in) : in_(in) {}

    void step();
    void finish();

private:
    // One live value picked by the input, or none (a null handle).
    Value *pick(bool allowNone = true)
    {
        std::size_t n = values_.size() + (allowNone ? 1 : 0);
        if (n == 0)
            return nullptr;
        std::size_t i = in_.ConsumeIntegralInRange<std::size_t>(0, n - 1);
        return i < values_.size() ? &values_[i] : nullptr;
    }

    // Keeps a handed-out value, or checks that a failure handed out none.
    void made(PF_Err err, PF_ArbitraryH handle, const std::string &text)
    {
        if (err) {
            expect(!handle, "a failed operation handed out a handle");
            return;
        }
        expect(handle != nullptr, "a successful operation handed out no handle");
        values_.push_back({handle, text});
        if (values_.size() > 16)
            dispose(0);  /* keeps the value table, and the input's reach, small */
    }

    void makeNew();
    void unflatten(bool scan);
    void copy();
    void interp();
    void flatten(bool print);
    void flatSize(bool print);
    void compare();
    void dispose(std::size_t index);
    void foreign();
    void injectFault();
    void readBack(const Value &v);

    FuzzedDataProvider &in_;
    std::vector<Value> values_;
    bool faulty_ = false;  // a host fault is armed: answers may be errors
};

void Session::makeNew()
{
    PF_ArbitraryH h = nullptr;
    PF_Err err = calls().newValue(&h).err;
    expect(faulty_ || !err, "NEW failed");
    made(err, h, kDefault);
}

void Session::unflatten(bool scan)
{
    std::string bytes = in_.ConsumeRandomLengthString(256);
    bool useNull = bytes.empty() && in_.ConsumeBool();
    const char *data = useNull ? nullptr : bytes.data();
    PF_ArbitraryH h = nullptr;
    auto size = static_cast<A_u_long>(bytes.size());
    PF_Err err = scan ? calls().scan(data, size, &h).err : calls().unflatten(data, size, &h).err;
    expect(faulty_ || !err, "UNFLATTEN failed");
    made(err, h, flatText(bytes));
}

void Session::copy()
{
    Value *source = pick();
    std::string text = source ? source->text : kDefault;
    PF_ArbitraryH h = nullptr;
    PF_Err err = calls().copy(source ? source->handle : nullptr, &h).err;
    expect(faulty_ || !err, "COPY failed");
    made(err, h, text);
}

double factor(FuzzedDataProvider &in)
{
    const double special[] = {0.0, 0.999, 1.0, -1.0, 2.0, std::nan(""),
                              std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    std::size_t i = in.ConsumeIntegralInRange<std::size_t>(0, sizeof special / sizeof *special);
    return i < sizeof special / sizeof *special ? special[i] : in.ConsumeFloatingPoint<double>();
}

void Session::interp()
{
    Value *left = pick();
    Value *right = pick();
    double t = factor(in_);
    Value *source = 1.0 > t ? left : right;  /* never blends; NaN takes the right value */
    std::string text = source ? source->text : kDefault;
    PF_ArbitraryH h = nullptr;
    PF_Err err = calls().interp(left ? left->handle : nullptr, right ? right->handle : nullptr, t, &h).err;
    expect(faulty_ || !err, "INTERP failed");
    made(err, h, text);
}

// FLATTEN or PRINT into a buffer a little smaller or larger than needed:
// exactly the text and its NUL, or 518 and the buffer untouched.
void Session::flatten(bool print)
{
    Value *v = pick();
    std::size_t needed = v ? v->text.size() + 1 : 1;
    std::size_t size = needed + in_.ConsumeIntegralInRange<int>(-2, 2);
    if (size > needed + 2)
        size = 0;  /* needed - 2 went below zero */
    std::string buffer(size + 8, '\xA5');
    A_u_long length = static_cast<A_u_long>(size);
    PF_ArbitraryH h = v ? v->handle : nullptr;
    PF_Err err = print ? calls().print(h, length, &buffer[0]).err : calls().flatten(h, length, &buffer[0]).err;
    if (!v) {
        expect(err == PF_Err_UNRECOGNIZED_PARAM_TYPE, "FLATTEN of no value was not refused with 514");
        return;
    }
    if (size < needed)
        expect(err == PF_Err_CANNOT_PARSE_KEYFRAME_TEXT || (faulty_ && err), "FLATTEN into a small buffer did not give 518");
    else
        expect(faulty_ || !err, "FLATTEN failed");
    if (err == PF_Err_CANNOT_PARSE_KEYFRAME_TEXT || (err && size < needed)) {
        expect(buffer == std::string(size + 8, '\xA5'), "FLATTEN wrote into a buffer too small for it");
        return;
    }
    if (err)
        return;  /* a host fault after the copy (a failed unlock) may leave the bytes written */
    expect(buffer.compare(0, needed, v->text + '\0') == 0, "FLATTEN wrote other bytes than the text and a NUL");
    expect(buffer.find_first_not_of('\xA5', needed) == std::string::npos, "FLATTEN wrote past the text's NUL");
}

void Session::flatSize(bool print)
{
    Value *v = pick();
    A_u_long size = 0;
    PF_Err err = print ? calls().printSize(v ? v->handle : nullptr, &size).err
                       : calls().flatSize(v ? v->handle : nullptr, &size).err;
    if (!v)
        expect(err == PF_Err_UNRECOGNIZED_PARAM_TYPE, "FLAT_SIZE of no value was not refused with 514");
    else if (!err)
        expect(size == v->text.size() + 1, "FLAT_SIZE is not the text's length and one");
    else
        expect(faulty_, "FLAT_SIZE failed");
}

// COMPARE reads the texts up to their first NUL: equal or not equal, nothing else.
void Session::compare()
{
    Value *a = pick();
    Value *b = pick();
    PF_ArbCompareResult result = PF_ArbCompare_MORE;
    PF_Err err = calls().compare(a ? a->handle : nullptr, b ? b->handle : nullptr, &result).err;
    if (!a || !b) {
        expect(err == PF_Err_UNRECOGNIZED_PARAM_TYPE, "COMPARE with no value was not refused with 514");
        return;
    }
    expect(faulty_ || !err, "COMPARE failed");
    if (err)
        return;
    bool equal = cText(a->text) == cText(b->text);
    expect(result == (equal ? PF_ArbCompare_EQUAL : PF_ArbCompare_NOT_EQUAL), "COMPARE disagrees with the texts");
}

void Session::dispose(std::size_t index)
{
    PF_Err err = calls().dispose(values_[index].handle).err;
    if (err) {
        expect(faulty_, "DISPOSE failed");
        return;  /* left whole, so the end of the input disposes of it again */
    }
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(index));
}

// A call with another parameter's reference constant or an unknown selector:
// answered with 0, nothing touched.
void Session::foreign()
{
    PF_ArbParamsExtra extra;
    std::memset(&extra, 0, sizeof extra);
    bool unknownSelector = in_.ConsumeBool();
    extra.which_function = unknownSelector ? in_.ConsumeIntegralInRange<int>(11, 1000)
                                           : in_.ConsumeIntegralInRange<int>(0, 10);
    uintptr_t refcon = unknownSelector ? qv::kExpressionRefcon : in_.ConsumeIntegral<uintptr_t>();
    if (refcon == qv::kExpressionRefcon && !unknownSelector)
        refcon ^= 1;
    extra.u.new_func_params.refconPV = reinterpret_cast<void *>(refcon);
    PF_ArbParamsExtra before = extra;
    expect(calls().send(extra).err == PF_Err_NONE, "a call that is not ours gave an error");
    expect(std::memcmp(&before, &extra, sizeof extra) == 0, "a call that is not ours changed its arguments");
}

// Arms one host failure for what follows: an allocation, a lock, a memory
// suite call.
void Session::injectFault()
{
    static const char *const functions[] = {"host_lock_handle", "AEGP_NewMemHandle", "AEGP_LockMemHandle",
                                            "AEGP_UnlockMemHandle"};
    qvh::Faults &faults = qvh::host().faults;
    faults.clear();
    switch (in_.ConsumeIntegralInRange<int>(0, 4)) {
    case 0: faults.failHandleAllocations(1); break;
    case 1: faults.failMemoryAllocations(1); break;
    case 2: faults.clear(); break;
    default:
        faults.failFunction(functions[in_.ConsumeIntegralInRange<int>(0, 3)], in_.ConsumeIntegralInRange<int>(1, 600));
    }
    faulty_ = true;
}

// FLATTEN, then UNFLATTEN of those bytes: the same text, and COMPARE says equal.
void Session::readBack(const Value &v)
{
    std::string bytes;
    expect(calls().flattenAll(v.handle, &bytes).err == PF_Err_NONE, "FLATTEN failed");
    expect(bytes == v.text + '\0', "the value does not hold its text");
    PF_ArbitraryH back = nullptr;
    expect(calls().unflatten(bytes, &back).err == PF_Err_NONE, "UNFLATTEN failed");
    std::string again;
    expect(calls().flattenAll(back, &again).err == PF_Err_NONE, "FLATTEN failed");
    expect(again == bytes, "flattened bytes did not read back the same");
    PF_ArbCompareResult result = PF_ArbCompare_NOT_EQUAL;
    expect(calls().compare(v.handle, back, &result).err == PF_Err_NONE, "COMPARE failed");
    expect(result == PF_ArbCompare_EQUAL, "a value and its read-back compare unequal");
    expect(calls().dispose(back).err == PF_Err_NONE, "DISPOSE failed");
}

void Session::step()
{
    switch (in_.ConsumeIntegralInRange<int>(0, 12)) {
    case 0: makeNew(); break;
    case 1: unflatten(false); break;
    case 2: unflatten(true); break;
    case 3: copy(); break;
    case 4: interp(); break;
    case 5: flatten(false); break;
    case 6: flatten(true); break;
    case 7: flatSize(in_.ConsumeBool()); break;
    case 8: compare(); break;
    case 9:
        if (!values_.empty())
            dispose(in_.ConsumeIntegralInRange<std::size_t>(0, values_.size() - 1));
        else
            expect(calls().dispose(nullptr).err == PF_Err_UNRECOGNIZED_PARAM_TYPE, "DISPOSE of null was not 514");
        break;
    case 10: foreign(); break;
    case 11: injectFault(); break;
    default:
        if (Value *v = pick(false); v && !faulty_)
            readBack(*v);
    }
}

void Session::finish()
{
    qvh::host().faults.clear();
    faulty_ = false;
    for (const Value &v : values_)
        readBack(v);
    while (!values_.empty())
        dispose(values_.size() - 1);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    effect();  /* loads the plug-in before the first input */
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::size_t handles = qvh::hostHandles().live(), memory = qvh::memoryHandles().live();
    FuzzedDataProvider in(data, size);
    Session session(in);
    while (in.remaining_bytes() > 0)
        session.step();
    session.finish();
    expect(qvh::hostHandles().live() == handles, "host handles leaked");
    expect(qvh::memoryHandles().live() == memory, "memory handles leaked");
    expect(qvh::hostHandles().locked() == 0 && qvh::memoryHandles().locked() == 0, "handles left locked");
    expect(qvh::host().misuse().empty(), "the effect misused a host service");
    return 0;
}
