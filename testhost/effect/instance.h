// One effect instance, as the host holds it: a value for every declared
// parameter, the PF_PUI flags of each, the sequence data, and the commands
// that carry them to the plug-in.
//
// Typical use (see tests/common/host_fixture.h, InstanceTest):
//
//     Effect effect(plugin);            effect.globalSetup();
//     DeclaredParams params(effect);    params.setup();
//     auto instance = Instance::create(params);
//     instance->setFloat(sliderIndex, 0.25);
//     instance->setArbitraryText(codeIndex, "void main(){ outColor = vec4(1.0); }");
//     PF_InData in = instance->inData(/*time*/ 48, /*step*/ 1, /*scale*/ 24);
//     CommandResult r = instance->command(PF_Cmd_SMART_PRE_RENDER, &extra, in);
//
// Values. Every value is kept in the host's own form and never varies with
// time (no keyframes): float sliders as doubles, angles and points in 16.16
// fixed point, 3D points as doubles, checkboxes and popups as integers
// (popups count from 1), colours as 8-bit ARGB, layers as a layer number the
// simulator's compositions give meaning to (0 = no layer). Each setter checks
// the declared type and throws std::logic_error for another one. Setters only
// store: no command is sent.
//
// Commands. command() gives the plug-in a PF_InData carrying the instance's
// effect reference (use fromEffectRef() to get back to the instance inside a
// host callback), sequence data, the effect's global data, num_params and the
// parameter callbacks (checkout_param / checkin_param answer with the current
// values at any time), and a parameter array of fresh copies of the values
// with change flags cleared (none for the SmartFX commands, which read values
// by checkout only). Afterwards every copy whose change flags carry
// PF_ChangeFlag_CHANGED_VALUE is taken back as the new value (an arbitrary
// value the plug-in replaced is taken and the old one disposed), and a
// sequence-data handle the plug-in returned in out_data is adopted. The
// instance may run commands on several threads at once.
//
// Arbitrary data lives as the host drives it: NEW at creation, COPY at
// duplication, COMPARE when a value is set, FLATTEN / UNFLATTEN for projects,
// PRINT / SCAN for copy and paste as text, DISPOSE when a value is dropped;
// arbitrary(index) sends any of them, INTERP included. Sequence data: SETUP at
// creation, GET_FLATTENED_SEQUENCE_DATA + RESETUP at duplication and for
// projects, FLATTEN + RESETUP through flattenSequence() / resetupSequence(),
// SETDOWN at destruction.
#pragma once

#include "sdk/ae_sdk.h"
#include "testhost/effect/arbitrary_calls.h"
#include "testhost/effect/declared_params.h"
#include "testhost/effect/effect.h"
#include "testhost/project/project_file.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvh {

// A command the host had to send failed; the instance was not made or changed.
class HostCommandError : public std::runtime_error {
public:
    HostCommandError(const std::string &what, PF_Cmd cmd, const CommandResult &result);
    PF_Cmd cmd;
    CommandResult result;
};

class Instance {
public:
    // A new instance: every value its default, each arbitrary value made by
    // NEW, sequence data by PF_Cmd_SEQUENCE_SETUP. Throws HostCommandError
    // (leaving nothing behind) when one of those fails. `params` has been set
    // up and outlives the instance.
    static std::unique_ptr<Instance> create(DeclaredParams &params);
    // An instance made from a saved project: values by disk ID (those the
    // project lacks take their defaults), arbitrary values by UNFLATTEN,
    // sequence data by PF_Cmd_SEQUENCE_RESETUP (SETUP when the project has
    // none). Throws ProjectError for a project that does not fit the
    // declaration, HostCommandError when the plug-in refuses it.
    static std::unique_ptr<Instance> fromProject(DeclaredParams &params, const Project &project);
    // Sends SEQUENCE_SETDOWN and DISPOSE; checkouts never checked in and
    // failures are reported as misuse.
    ~Instance();
    Instance(const Instance &) = delete;
    Instance &operator=(const Instance &) = delete;

    // The host's duplicate: values and UI flags copied, arbitrary values by
    // COPY, sequence data by GET_FLATTENED_SEQUENCE_DATA then RESETUP.
    std::unique_ptr<Instance> duplicate();

    // ---- values ----
    int count() const { return params_.count(); }
    const DeclaredParams &declared() const { return params_; }
    // The current record of `index`: the declaration with the value and UI flags.
    PF_ParamDef param(PF_ParamIndex index) const;
    PF_ParamUIFlags uiFlags(PF_ParamIndex index) const;
    // Sets the UI flags as an earlier update (of this effect or another tool)
    // left them; no command is sent.
    void setUIFlags(PF_ParamIndex index, PF_ParamUIFlags flags);

    void setFloat(PF_ParamIndex index, double value);              // float slider
    void setSlider(PF_ParamIndex index, A_long value);             // integer slider
    void setAngle(PF_ParamIndex index, PF_Fixed degrees);          // 16.16
    void setCheckbox(PF_ParamIndex index, bool on);
    void setPopup(PF_ParamIndex index, A_long choice);             // 1 = first item
    void setPoint(PF_ParamIndex index, PF_Fixed x, PF_Fixed y);    // 16.16
    void setPoint3D(PF_ParamIndex index, double x, double y, double z);
    void setColor(PF_ParamIndex index, PF_Pixel argb);
    void setLayer(PF_ParamIndex index, A_long layer);              // 0 = no layer
    A_long layer(PF_ParamIndex index) const;
    // Any value but arbitrary data as ValueArity numbers in host units (see
    // testhost/host/param_values.h), a layer's its layer number; and a new
    // value from such numbers, which throws std::logic_error for a count that
    // does not fit the type.
    std::vector<double> numbers(PF_ParamIndex index) const;
    void setNumbers(PF_ParamIndex index, const std::vector<double> &numbers);

    // The arbitrary value's handle (the host's; lock it, do not dispose it).
    PF_ArbitraryH arbitraryHandle(PF_ParamIndex index) const;
    // The operations on the arbitrary parameter at `index`.
    ArbitraryCalls arbitrary(PF_ParamIndex index) const;
    // Its flattened bytes (FLAT_SIZE, FLATTEN); throws HostCommandError.
    std::string arbitraryBytes(PF_ParamIndex index);
    // Sets it from flattened bytes: UNFLATTEN, then COMPARE with the current
    // value; an equal value is dropped and the current one kept. Returns
    // whether the value changed; throws HostCommandError.
    bool setArbitraryBytes(PF_ParamIndex index, const std::string &bytes);

    // An arbitrary value that holds text (a NUL-terminated flattened form):
    // the text as stored (the flattened bytes less their trailing NUL), and a
    // new text (stored exactly: the flattened form is the text and one NUL).
    std::string arbitraryText(PF_ParamIndex index);
    bool setArbitraryText(PF_ParamIndex index, const std::string &text);
    // Copy and paste of the value as text: PRINT_SIZE + PRINT, and SCAN +
    // COMPARE. Both throw HostCommandError.
    std::string copyArbitraryAsText(PF_ParamIndex index);
    bool pasteArbitraryText(PF_ParamIndex index, const std::string &text);

    // ---- commands ----
    // A PF_InData for a command at `time` (in `scale` units per second, frames
    // `step` apart), wired to this instance.
    PF_InData inData(A_long time = 0, A_long step = 1, A_u_long scale = 24) const;
    // Runs `cmd` with `in` (times as the caller wants them; the instance fills
    // its own fields) and the parameter array, then takes changed values and
    // returned sequence data back.
    CommandResult command(PF_Cmd cmd, void *extra, PF_InData &in, PF_LayerDef *output = nullptr);
    CommandResult command(PF_Cmd cmd, void *extra = nullptr);
    // The user changed parameter `index`: PF_Cmd_USER_CHANGED_PARAM.
    CommandResult userChangedParam(PF_ParamIndex index);
    // PF_Cmd_UPDATE_PARAMS_UI; PF_UpdateParamUI may answer during it.
    CommandResult updateParamsUI();

    // ---- sequence data ----
    PF_Handle sequenceData() const { return sequence_; }
    bool sequenceFlattened() const { return flattened_; }
    // GET_FLATTENED_SEQUENCE_DATA: a flat copy's bytes; the copy is disposed.
    std::string flattenedSequenceData();
    // SEQUENCE_FLATTEN: the instance's data becomes the flat copy. On failure
    // the current data stays and whatever came back is disposed.
    CommandResult flattenSequence();
    // SEQUENCE_RESETUP from the current (flat) data, which is then disposed.
    CommandResult resetupSequence();

    // ---- projects ----
    // Every value by disk ID, flattened arbitrary values, flattened sequence data.
    Project toProject();
    // Replaces this instance's state with the project's, or throws (as
    // fromProject) and leaves everything as it was.
    void loadProject(const Project &project);

    // ---- host callbacks ----
    static Instance *fromEffectRef(PF_ProgPtr ref);
    PF_ProgPtr effectRef() const { return reinterpret_cast<PF_ProgPtr>(const_cast<Instance *>(this)); }
    PF_Err checkoutParam(PF_ParamIndex index, PF_ParamDef *param);
    PF_Err checkinParam(PF_ParamDef *param);
    PF_Err updateParamUI(PF_ParamIndex index, const PF_ParamDef *def);
    int outstandingCheckouts() const { return checkouts_; }

private:
    explicit Instance(DeclaredParams &params);
    PF_ParamDef &valueOf(PF_ParamIndex index, PF_ParamType type);
    std::vector<PF_ParamDef> paramArray() const;
    void takeBack(const std::vector<PF_ParamDef> &array);
    void adoptArbitrary(PF_ParamIndex index, PF_ArbitraryH value);
    bool offerArbitrary(PF_ParamIndex index, const char *what, const CommandResult &r, PF_ArbitraryH made);
    CommandResult run(PF_Cmd cmd, void *extra, PF_InData &in, PF_ParamDef **params, PF_LayerDef *output) const;
    using ValueMaker = std::function<CommandResult(ArbitraryCalls &, PF_ParamIndex, PF_ArbitraryH *)>;
    void makeArbitraryValues(const ValueMaker &make);
    void setupSequence();
    PF_Handle flatSequenceCopy() const;
    PF_Handle resetupFrom(PF_Handle flat, const char *what);
    void applyProject(const Project &project);
    void swapState(Instance &other);
    void release();

    DeclaredParams &params_;
    mutable std::mutex mutex_;
    std::vector<PF_ParamDef> values_;
    std::vector<A_long> layers_;
    PF_Handle sequence_ = nullptr;
    bool flattened_ = false;
    std::atomic<int> checkouts_{0};
    mutable std::atomic<int> uiCommands_{0};  /* PF_UpdateParamUI is allowed only inside these */
};

} // namespace qvh
