// An instance to and from a saved project: values by disk ID, arbitrary
// values by FLATTEN and UNFLATTEN, sequence data by GET_FLATTENED_SEQUENCE_DATA
// and SEQUENCE_RESETUP.
#include "testhost/images/composition.h"
#include "testhost/host/handles.h"
#include "testhost/effect/instance.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <set>

namespace qvh {
namespace {

void require(bool ok, const std::string &where, const std::string &problem)
{
    if (!ok)
        throw ProjectError(where + ": " + problem);
}

bool isLong(double v)
{
    return std::nearbyint(v) == v && v >= std::numeric_limits<A_long>::min() &&
           v <= std::numeric_limits<A_long>::max();
}

// Checks `numbers` against the declaration `def`; `where` names the value.
void checkNumbers(const PF_ParamDef &def, const std::vector<double> &n, const std::string &where)
{
    require(n.size() == ValueArity(def.param_type), where,
            "needs " + std::to_string(ValueArity(def.param_type)) + " numbers");
    for (double v : n)
        require(std::isfinite(v), where, "is not a finite number");
    if (def.param_type == PF_Param_FLOAT_SLIDER) {
        const PF_FloatSliderDef &s = def.u.fs_d;
        require(n[0] >= s.valid_min && n[0] <= s.valid_max, where,
                "value " + std::to_string(n[0]) + " is outside the valid range");
        return;
    }
    if (def.param_type == PF_Param_POINT_3D)
        return;
    for (double v : n)
        require(isLong(v), where, "holds a number that is not a 32-bit integer");
    if (def.param_type == PF_Param_POPUP)
        require(n[0] >= 1 && n[0] <= def.u.pd.num_choices, where,
                "choice " + std::to_string(A_long(n[0])) + " is not between 1 and " +
                    std::to_string(def.u.pd.num_choices));
    if (def.param_type == PF_Param_CHECKBOX)
        require(n[0] == 0 || n[0] == 1, where, "is neither on nor off");
    if (def.param_type == PF_Param_COLOR)
        for (double v : n)
            require(v >= 0 && v <= 255, where, "has a channel outside 0 to 255");
    if (def.param_type == PF_Param_LAYER)  /* the composition's layers are 1 to kLayerCount */
        require(n[0] >= 0 && n[0] <= kLayerCount, where,
                "layer " + std::to_string(A_long(n[0])) + " is not between 0 (none) and " +
                    std::to_string(kLayerCount));
}

std::string describe(const PF_ParamDef &def, A_long diskId)
{
    std::string where = "disk ID " + std::to_string(diskId);
    return def.name[0] ? where + " (\"" + def.name + "\")" : where;
}

std::string matchName(const DeclaredParams &params)
{
    return params.effect().plugin().pipl().pascalString("eMNA");
}

const SavedValue *savedArbitrary(const Project &project, A_long diskId)
{
    for (const SavedValue &v : project.values)
        if (v.diskId == diskId)
            return &v;
    return nullptr;
}

} // namespace

Project Instance::toProject()
{
    Project project;
    project.effect = matchName(params_);
    for (PF_ParamIndex i = 1; i < count(); ++i) {
        PF_ParamDef def = param(i);
        if (!ParamHoldsValue(def.param_type))
            continue;
        SavedValue value;
        value.diskId = params_.def(i).uu.id;
        value.type = def.param_type;
        if (def.param_type == PF_Param_ARBITRARY_DATA)
            value.bytes = arbitraryBytes(i);
        else
            value.numbers = ValueNumbers(def, layer(i));
        project.values.push_back(value);
    }
    project.hasSequenceData = sequence_ != nullptr;
    if (sequence_)
        project.sequenceData = flattenedSequenceData();
    return project;
}

// Stores the project's plain values into a fresh instance, checking each
// against the declaration; arbitrary values come later.
void Instance::applyProject(const Project &project)
{
    std::set<A_long> seen;
    for (const SavedValue &v : project.values) {
        PF_ParamIndex i = params_.indexOfDiskId(v.diskId);
        if (i < 0)
            throw ProjectError("unknown disk ID " + std::to_string(v.diskId));
        const PF_ParamDef &def = params_.def(i);
        std::string where = describe(def, v.diskId);
        require(seen.insert(v.diskId).second, where, "appears twice");
        require(ParamHoldsValue(def.param_type), where, "is a " + ParamTypeName(def.param_type) + " and holds no value");
        require(def.param_type == v.type, where,
                "is a " + ParamTypeName(def.param_type) + " but the project holds a " + ParamTypeName(v.type));
        if (v.type == PF_Param_ARBITRARY_DATA)
            continue;
        checkNumbers(def, v.numbers, where);
        SetValueNumbers(values_[i], layers_[i], v.numbers);
    }
}

std::unique_ptr<Instance> Instance::fromProject(DeclaredParams &params, const Project &project)
{
    if (project.version < 1 || project.version > kProjectFormatVersion)
        throw ProjectError("format version " + std::to_string(project.version) + " is not one this qvhost reads");
    if (project.effect != matchName(params))
        throw ProjectError("the project is for the effect \"" + project.effect + "\", not \"" + matchName(params) + "\"");
    std::unique_ptr<Instance> instance(new Instance(params));
    instance->applyProject(project);
    instance->makeArbitraryValues([&](ArbitraryCalls &calls, PF_ParamIndex i, PF_ArbitraryH *out) {
        const SavedValue *saved = savedArbitrary(project, params.def(i).uu.id);
        return saved ? calls.unflatten(saved->bytes, out) : calls.newValue(out);
    });
    if (!project.hasSequenceData) {
        instance->setupSequence();
        return instance;
    }
    PF_Handle flat = hostNewHandle(project.sequenceData.size());
    if (!flat)
        throw ProjectError("the host could not allocate the saved sequence data");
    if (!project.sequenceData.empty())
        std::memcpy(*flat, project.sequenceData.data(), project.sequenceData.size());
    instance->sequence_ = instance->resetupFrom(flat, "SEQUENCE_RESETUP of the saved sequence data");
    return instance;
}

void Instance::loadProject(const Project &project)
{
    std::unique_ptr<Instance> loaded = fromProject(params_, project);
    swapState(*loaded);
}  /* `loaded` now holds the old state and releases it */

void Instance::swapState(Instance &other)
{
    std::scoped_lock lock(mutex_, other.mutex_);
    values_.swap(other.values_);
    layers_.swap(other.layers_);
    std::swap(sequence_, other.sequence_);
    std::swap(flattened_, other.flattened_);
}

} // namespace qvh
