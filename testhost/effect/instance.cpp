#include "testhost/effect/instance.h"

#include "testhost/host/handles.h"
#include "testhost/host/host.h"

#include <cstring>
#include <set>

namespace qvh {
namespace {

std::mutex registryMutex;
std::set<const Instance *> registry;

std::string failure(const std::string &what, const CommandResult &r)
{
    std::string text = what + " failed with error " + std::to_string(r.err);
    return r.message().empty() ? text : text + ": " + r.message();
}

[[noreturn]] void fail(const std::string &what, PF_Cmd cmd, const CommandResult &r)
{
    throw HostCommandError(failure(what, r), cmd, r);
}

PF_Err checkoutCallback(PF_ProgPtr ref, PF_ParamIndex index, A_long, A_long, A_u_long, PF_ParamDef *param)
{
    Instance *instance = Instance::fromEffectRef(ref);
    if (!instance) {
        host().reportMisuse("checkout_param with an unknown effect reference");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    return instance->checkoutParam(index, param);  /* values never vary with time */
}

PF_Err checkinCallback(PF_ProgPtr ref, PF_ParamDef *param)
{
    Instance *instance = Instance::fromEffectRef(ref);
    if (!instance) {
        host().reportMisuse("checkin_param with an unknown effect reference");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    return instance->checkinParam(param);
}

PF_Err addParamOutsideSetup(PF_ProgPtr, PF_ParamIndex, PF_ParamDefPtr)
{
    host().reportMisuse("add_param outside parameter setup");
    return PF_Err_BAD_CALLBACK_PARAM;
}

// The host disposes of a handle it handed over unless the plug-in already did.
void disposeIfAlive(PF_Handle handle)
{
    if (handle && hostHandles().contains(handle))
        hostDisposeHandle(handle);
}

// Flattened or printed text bytes less the NUL that ends them.
std::string withoutTrailingNul(std::string bytes)
{
    if (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    return bytes;
}

bool isSmartFx(PF_Cmd cmd) { return cmd == PF_Cmd_SMART_PRE_RENDER || cmd == PF_Cmd_SMART_RENDER; }
bool mayUpdateUI(PF_Cmd cmd) { return cmd == PF_Cmd_USER_CHANGED_PARAM || cmd == PF_Cmd_UPDATE_PARAMS_UI; }

// The bits of a PF_ParamDef that PF_UpdateParamUI may change.
constexpr PF_ParamUIFlags kUpdatableUIFlags = PF_PUI_ECW_SEPARATOR | PF_PUI_DISABLED;

} // namespace

HostCommandError::HostCommandError(const std::string &what, PF_Cmd c, const CommandResult &r)
    : std::runtime_error(what), cmd(c), result(r)
{
}

// ---- life ----

Instance::Instance(DeclaredParams &params)
    : params_(params), layers_(params.count(), 0)
{
    for (PF_ParamIndex i = 0; i < params.count(); ++i) {
        values_.push_back(params.def(i));
        SetToDefault(values_.back());
    }
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.insert(this);
}

std::unique_ptr<Instance> Instance::create(DeclaredParams &params)
{
    std::unique_ptr<Instance> instance(new Instance(params));
    instance->makeArbitraryValues([](ArbitraryCalls &calls, PF_ParamIndex, PF_ArbitraryH *out) {
        return calls.newValue(out);
    });
    instance->setupSequence();
    return instance;
}

std::unique_ptr<Instance> Instance::duplicate()
{
    std::unique_ptr<Instance> copy(new Instance(params_));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (PF_ParamIndex i = 0; i < count(); ++i) {
            CopyValue(copy->values_[i], values_[i]);
            copy->values_[i].ui_flags = values_[i].ui_flags;
        }
        copy->layers_ = layers_;
    }
    copy->makeArbitraryValues([this](ArbitraryCalls &calls, PF_ParamIndex i, PF_ArbitraryH *out) {
        return calls.copy(arbitraryHandle(i), out);
    });
    copy->sequence_ = copy->resetupFrom(flatSequenceCopy(), "SEQUENCE_RESETUP of a duplicate");
    return copy;
}

Instance::~Instance()
{
    release();
    if (checkouts_ != 0)
        host().reportMisuse(std::to_string(checkouts_) + " parameter checkouts never checked in");
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.erase(this);
}

// SETDOWN and DISPOSE of what the instance holds; used by the destructor.
void Instance::release()
{
    if (sequence_) {
        PF_InData in = inData();
        in.sequence_data = sequence_;
        CommandResult r = run(PF_Cmd_SEQUENCE_SETDOWN, nullptr, in, nullptr, nullptr);
        if (r.err && !host().faults.active())  /* passing on an injected fault is no misuse */
            host().reportMisuse(failure("SEQUENCE_SETDOWN", r));
        else if (hostHandles().contains(sequence_))
            host().reportMisuse("SEQUENCE_SETDOWN left the sequence data alive");
        sequence_ = nullptr;
    }
    for (PF_ParamIndex i = 0; i < count(); ++i) {
        PF_ArbitraryH &value = values_[i].u.arb_d.value;
        if (values_[i].param_type != PF_Param_ARBITRARY_DATA || !value)
            continue;
        CommandResult r = arbitrary(i).dispose(value);
        if (r.err && !host().faults.active())
            host().reportMisuse(failure("DISPOSE of parameter " + std::to_string(i), r));
        value = nullptr;
    }
}

// Makes every arbitrary value with `make` (NEW, COPY or UNFLATTEN).
void Instance::makeArbitraryValues(const ValueMaker &make)
{
    for (PF_ParamIndex i = 0; i < count(); ++i) {
        if (values_[i].param_type != PF_Param_ARBITRARY_DATA)
            continue;
        PF_ArbitraryH made = nullptr;
        ArbitraryCalls calls = arbitrary(i);
        CommandResult r = make(calls, i, &made);
        if (r.err)
            fail("making the value of parameter " + std::to_string(i), PF_Cmd_ARBITRARY_CALLBACK, r);
        values_[i].u.arb_d.value = made;
    }
}

void Instance::setupSequence()
{
    PF_InData in = inData();
    CommandResult r = run(PF_Cmd_SEQUENCE_SETUP, nullptr, in, nullptr, nullptr);
    if (r.err) {
        disposeIfAlive(r.out.sequence_data);
        fail("SEQUENCE_SETUP", PF_Cmd_SEQUENCE_SETUP, r);
    }
    sequence_ = r.out.sequence_data;
}

// GET_FLATTENED_SEQUENCE_DATA: a flat copy the caller owns (null for none).
PF_Handle Instance::flatSequenceCopy() const
{
    PF_InData in = inData();
    in.sequence_data = sequence_;
    CommandResult r = run(PF_Cmd_GET_FLATTENED_SEQUENCE_DATA, nullptr, in, nullptr, nullptr);
    if (r.err) {
        disposeIfAlive(r.out.sequence_data);
        fail("GET_FLATTENED_SEQUENCE_DATA", PF_Cmd_GET_FLATTENED_SEQUENCE_DATA, r);
    }
    return r.out.sequence_data;
}

// SEQUENCE_RESETUP of the flat handle `flat` (host-owned, disposed here):
// the live handle the plug-in returned.
PF_Handle Instance::resetupFrom(PF_Handle flat, const char *what)
{
    PF_InData in = inData();
    in.sequence_data = flat;
    CommandResult r = run(PF_Cmd_SEQUENCE_RESETUP, nullptr, in, nullptr, nullptr);
    if (r.out.sequence_data != flat)
        disposeIfAlive(flat);
    if (r.err) {
        disposeIfAlive(r.out.sequence_data);
        fail(what, PF_Cmd_SEQUENCE_RESETUP, r);
    }
    return r.out.sequence_data;
}

Instance *Instance::fromEffectRef(PF_ProgPtr ref)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    auto it = registry.find(reinterpret_cast<const Instance *>(ref));
    return it == registry.end() ? nullptr : const_cast<Instance *>(*it);
}

// ---- values ----

PF_ParamDef Instance::param(PF_ParamIndex index) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return values_.at(index);
}

PF_ParamUIFlags Instance::uiFlags(PF_ParamIndex index) const { return param(index).ui_flags; }

void Instance::setUIFlags(PF_ParamIndex index, PF_ParamUIFlags flags)
{
    std::lock_guard<std::mutex> lock(mutex_);
    values_.at(index).ui_flags = flags;
}

// The record of `index`, which must be of `type`; the caller holds mutex_.
PF_ParamDef &Instance::valueOf(PF_ParamIndex index, PF_ParamType type)
{
    PF_ParamDef &def = values_.at(index);
    if (def.param_type != type)
        throw std::logic_error("parameter " + std::to_string(index) + " is a " + ParamTypeName(def.param_type) +
                               ", not a " + ParamTypeName(type));
    return def;
}

void Instance::setFloat(PF_ParamIndex index, double value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    valueOf(index, PF_Param_FLOAT_SLIDER).u.fs_d.value = value;
}

void Instance::setSlider(PF_ParamIndex index, A_long value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    valueOf(index, PF_Param_SLIDER).u.sd.value = value;
}

void Instance::setAngle(PF_ParamIndex index, PF_Fixed degrees)
{
    std::lock_guard<std::mutex> lock(mutex_);
    valueOf(index, PF_Param_ANGLE).u.ad.value = degrees;
}

void Instance::setCheckbox(PF_ParamIndex index, bool on)
{
    std::lock_guard<std::mutex> lock(mutex_);
    valueOf(index, PF_Param_CHECKBOX).u.bd.value = on ? 1 : 0;
}

void Instance::setPopup(PF_ParamIndex index, A_long choice)
{
    std::lock_guard<std::mutex> lock(mutex_);
    valueOf(index, PF_Param_POPUP).u.pd.value = choice;
}

void Instance::setPoint(PF_ParamIndex index, PF_Fixed x, PF_Fixed y)
{
    std::lock_guard<std::mutex> lock(mutex_);
    PF_PointDef &p = valueOf(index, PF_Param_POINT).u.td;
    p.x_value = x;
    p.y_value = y;
}

void Instance::setPoint3D(PF_ParamIndex index, double x, double y, double z)
{
    std::lock_guard<std::mutex> lock(mutex_);
    PF_Point3DDef &p = valueOf(index, PF_Param_POINT_3D).u.point3d_d;
    p.x_value = x;
    p.y_value = y;
    p.z_value = z;
}

void Instance::setColor(PF_ParamIndex index, PF_Pixel argb)
{
    std::lock_guard<std::mutex> lock(mutex_);
    valueOf(index, PF_Param_COLOR).u.cd.value = argb;
}

void Instance::setLayer(PF_ParamIndex index, A_long layer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    valueOf(index, PF_Param_LAYER);
    layers_[index] = layer;
}

A_long Instance::layer(PF_ParamIndex index) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return layers_.at(index);
}

std::vector<double> Instance::numbers(PF_ParamIndex index) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return ValueNumbers(values_.at(index), layers_.at(index));
}

void Instance::setNumbers(PF_ParamIndex index, const std::vector<double> &numbers)
{
    std::lock_guard<std::mutex> lock(mutex_);
    PF_ParamDef &def = values_.at(index);
    std::size_t arity = ValueArity(def.param_type);
    if (arity == 0 || numbers.size() != arity)
        throw std::logic_error("parameter " + std::to_string(index) + " is a " + ParamTypeName(def.param_type) +
                               " and takes " + std::to_string(arity) + " numbers, not " +
                               std::to_string(numbers.size()));
    SetValueNumbers(def, layers_[index], numbers);
}

// ---- arbitrary values ----

PF_ArbitraryH Instance::arbitraryHandle(PF_ParamIndex index) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return values_.at(index).u.arb_d.value;
}

ArbitraryCalls Instance::arbitrary(PF_ParamIndex index) const
{
    return ArbitraryCalls(params_.effect(), params_.def(index));
}

std::string Instance::arbitraryBytes(PF_ParamIndex index)
{
    std::string bytes;
    CommandResult r = arbitrary(index).flattenAll(arbitraryHandle(index), &bytes);
    if (r.err)
        fail("FLATTEN of parameter " + std::to_string(index), PF_Cmd_ARBITRARY_CALLBACK, r);
    return bytes;
}

// A value the effect just made (by the call that gave `r`) replaces the
// current one unless COMPARE finds them equal; the one dropped is disposed.
bool Instance::offerArbitrary(PF_ParamIndex index, const char *what, const CommandResult &r, PF_ArbitraryH made)
{
    if (r.err)
        fail(std::string(what) + " of parameter " + std::to_string(index), PF_Cmd_ARBITRARY_CALLBACK, r);
    ArbitraryCalls calls = arbitrary(index);
    if (PF_ArbitraryH current = arbitraryHandle(index)) {
        PF_ArbCompareResult same = PF_ArbCompare_NOT_EQUAL;
        CommandResult c = calls.compare(current, made, &same);
        if (c.err) {
            calls.dispose(made);
            fail("COMPARE of parameter " + std::to_string(index), PF_Cmd_ARBITRARY_CALLBACK, c);
        }
        if (same == PF_ArbCompare_EQUAL) {
            calls.dispose(made);
            return false;
        }
    }
    adoptArbitrary(index, made);
    return true;
}

bool Instance::setArbitraryBytes(PF_ParamIndex index, const std::string &bytes)
{
    PF_ArbitraryH made = nullptr;
    CommandResult r = arbitrary(index).unflatten(bytes, &made);
    return offerArbitrary(index, "UNFLATTEN", r, made);
}

std::string Instance::arbitraryText(PF_ParamIndex index) { return withoutTrailingNul(arbitraryBytes(index)); }

bool Instance::setArbitraryText(PF_ParamIndex index, const std::string &text)
{
    return setArbitraryBytes(index, text + '\0');
}

std::string Instance::copyArbitraryAsText(PF_ParamIndex index)
{
    std::string text;
    CommandResult r = arbitrary(index).printAll(arbitraryHandle(index), &text);
    if (r.err)
        fail("PRINT of parameter " + std::to_string(index), PF_Cmd_ARBITRARY_CALLBACK, r);
    return withoutTrailingNul(text);
}

bool Instance::pasteArbitraryText(PF_ParamIndex index, const std::string &text)
{
    PF_ArbitraryH made = nullptr;
    CommandResult r = arbitrary(index).scan(text, &made);
    return offerArbitrary(index, "SCAN", r, made);
}

// ---- commands ----

PF_InData Instance::inData(A_long time, A_long step, A_u_long scale) const
{
    PF_InData in = makeInData();
    in.current_time = time;
    in.time_step = step;
    in.local_time_step = step;
    in.time_scale = scale;
    return in;
}

// Fresh copies of the values, change flags cleared.
std::vector<PF_ParamDef> Instance::paramArray() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<PF_ParamDef> array = values_;
    for (PF_ParamDef &def : array)
        def.uu.change_flags = PF_ChangeFlag_NONE;
    return array;
}

void Instance::takeBack(const std::vector<PF_ParamDef> &array)
{
    for (PF_ParamIndex i = 0; i < count(); ++i) {
        if (!(array[i].uu.change_flags & PF_ChangeFlag_CHANGED_VALUE))
            continue;
        if (array[i].param_type == PF_Param_ARBITRARY_DATA) {
            adoptArbitrary(i, array[i].u.arb_d.value);
            continue;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        CopyValue(values_[i], array[i]);
    }
}

// A value the plug-in put in place of ours; ours is disposed.
void Instance::adoptArbitrary(PF_ParamIndex index, PF_ArbitraryH value)
{
    PF_ArbitraryH old = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        old = values_[index].u.arb_d.value;
        if (old == value)
            return;  /* changed in place */
        values_[index].u.arb_d.value = value;
    }
    if (old)
        arbitrary(index).dispose(old);
}

// One command, with the instance's own fields in `in`; nothing taken back.
CommandResult Instance::run(PF_Cmd cmd, void *extra, PF_InData &in, PF_ParamDef **params,
                           PF_LayerDef *output) const
{
    in.effect_ref = effectRef();
    in.num_params = count();
    in.inter.checkout_param = checkoutCallback;
    in.inter.checkin_param = checkinCallback;
    in.inter.add_param = addParamOutsideSetup;
    if (mayUpdateUI(cmd))
        ++uiCommands_;
    CommandResult r = params_.effect().command(cmd, extra, params, output, &in);
    if (mayUpdateUI(cmd))
        --uiCommands_;
    return r;
}

CommandResult Instance::command(PF_Cmd cmd, void *extra, PF_InData &in, PF_LayerDef *output)
{
    in.sequence_data = sequence_;
    std::vector<PF_ParamDef> array = paramArray();
    std::vector<PF_ParamDef *> pointers;
    for (PF_ParamDef &def : array)
        pointers.push_back(&def);
    /* the SmartFX commands get no parameter array: values come by checkout */
    CommandResult r = run(cmd, extra, in, isSmartFx(cmd) ? nullptr : pointers.data(), output);
    takeBack(array);
    if (r.out.sequence_data && r.out.sequence_data != sequence_)
        sequence_ = r.out.sequence_data;
    return r;
}

CommandResult Instance::command(PF_Cmd cmd, void *extra)
{
    PF_InData in = inData();
    return command(cmd, extra, in);
}

CommandResult Instance::userChangedParam(PF_ParamIndex index)
{
    PF_UserChangedParamExtra extra{index};
    return command(PF_Cmd_USER_CHANGED_PARAM, &extra);
}

CommandResult Instance::updateParamsUI() { return command(PF_Cmd_UPDATE_PARAMS_UI); }

// ---- sequence data ----

std::string Instance::flattenedSequenceData()
{
    PF_Handle flat = flatSequenceCopy();
    std::string bytes;
    if (flat && hostHandles().contains(flat))
        bytes.assign(static_cast<const char *>(*flat), hostGetHandleSize(flat));
    disposeIfAlive(flat);
    return bytes;
}

CommandResult Instance::flattenSequence()
{
    PF_InData in = inData();
    in.sequence_data = sequence_;
    CommandResult r = run(PF_Cmd_SEQUENCE_FLATTEN, nullptr, in, nullptr, nullptr);
    if (r.err) {
        if (r.out.sequence_data != sequence_)
            disposeIfAlive(r.out.sequence_data);
        return r;
    }
    if (r.out.sequence_data != sequence_ && hostHandles().contains(sequence_))
        host().reportMisuse("SEQUENCE_FLATTEN left the unflattened handle alive");
    sequence_ = r.out.sequence_data;
    flattened_ = true;
    return r;
}

CommandResult Instance::resetupSequence()
{
    try {
        sequence_ = resetupFrom(sequence_, "SEQUENCE_RESETUP");
        flattened_ = false;
        return CommandResult{};
    } catch (const HostCommandError &e) {
        sequence_ = nullptr;  /* the flat data went with the failed re-setup */
        return e.result;
    }
}

// ---- host callbacks ----

PF_Err Instance::checkoutParam(PF_ParamIndex index, PF_ParamDef *param)
{
    if (!param)
        return PF_Err_BAD_CALLBACK_PARAM;
    if (index < 0 || index >= count())
        return PF_Err_INVALID_INDEX;
    PF_Err err = host().faults.check("checkout_param");  /* a throw checks nothing out */
    ++checkouts_;  /* checked in even when refused, as the plug-in must */
    if (err)
        return err;  /* the record stays as the plug-in gave it */
    *param = this->param(index);
    param->uu.change_flags = PF_ChangeFlag_NONE;
    return PF_Err_NONE;
}

PF_Err Instance::checkinParam(PF_ParamDef *param)
{
    if (!param)
        return PF_Err_BAD_CALLBACK_PARAM;
    if (checkouts_.fetch_sub(1) <= 0) {
        ++checkouts_;
        host().reportMisuse("checkin_param without a checkout");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    return PF_Err_NONE;
}

PF_Err Instance::updateParamUI(PF_ParamIndex index, const PF_ParamDef *def)
{
    if (uiCommands_ == 0) {
        host().reportMisuse("PF_UpdateParamUI outside USER_CHANGED_PARAM and UPDATE_PARAMS_UI");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (index <= 0 || index >= count())
        return PF_Err_INVALID_INDEX;
    std::lock_guard<std::mutex> lock(mutex_);
    PF_ParamDef &current = values_[index];
    if (!def || def->param_type != current.param_type)
        return PF_Err_BAD_CALLBACK_PARAM;
    current.ui_flags = (current.ui_flags & ~kUpdatableUIFlags) | (def->ui_flags & kUpdatableUIFlags);
    return PF_Err_NONE;
}

} // namespace qvh
