// What an effect type declares at PF_Cmd_PARAMS_SETUP, as the host keeps it:
// one record per index, index 0 the input layer the host supplies, each
// record's label texts copied so the plug-in's buffers may go. The host owns
// the arbitrary-data defaults the plug-in hands over and disposes of them
// (the effect's DISPOSE) when the declaration goes.
#pragma once

#include "sdk/ae_sdk.h"
#include "testhost/effect/effect.h"
#include "testhost/host/param_values.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace qvh {

class DeclaredParams {
public:
    // `effect` has run its global setup and outlives this object.
    explicit DeclaredParams(Effect &effect);
    ~DeclaredParams();
    DeclaredParams(const DeclaredParams &) = delete;
    DeclaredParams &operator=(const DeclaredParams &) = delete;

    // Runs PF_Cmd_PARAMS_SETUP. Records added before a failure are kept. A
    // num_params that differs from the records added is reported as misuse.
    CommandResult setup();

    int count() const { return static_cast<int>(defs_.size()); }
    // The declared record; its `uu.id` is the disk ID (none for index 0).
    const PF_ParamDef &def(PF_ParamIndex index) const { return defs_.at(index); }
    // The index declared with disk ID `id`, or -1.
    PF_ParamIndex indexOfDiskId(A_long id) const;
    // Which of the effect's own layer parameters `index` is, counting from 1
    // in the order declared (the input, index 0, not counted); 0 when it is
    // not a layer parameter.
    int layerNumber(PF_ParamIndex index) const;
    A_long numParams() const { return numParams_; }

    // Fault: add_param returns `err` (and adds nothing) for the record that
    // would land at `index`.
    void failAddParamAt(PF_ParamIndex index, PF_Err err) { addFaults_[index] = err; }

    Effect &effect() const { return effect_; }

    // The object behind an effect reference handed out during setup, or null.
    static DeclaredParams *fromEffectRef(PF_ProgPtr ref);
    PF_Err addParam(PF_ParamIndex index, const PF_ParamDef *def);

private:
    void keepLabels(PF_ParamDef &def);
    void disposeDefaults();

    Effect &effect_;
    std::vector<PF_ParamDef> defs_;
    std::deque<std::string> labels_;  /* stable storage for label pointers */
    std::map<PF_ParamIndex, PF_Err> addFaults_;
    A_long numParams_ = 0;
};

} // namespace qvh
