// Saved projects: one effect instance as a versioned JSON document.
//
//     { "format": "qvhost project", "version": 1, "effect": "Tessmar Quorvel",
//       "params": [ { "id": 2, "type": "arbitrary data", "flat": "<base64>" },
//                   { "id": 15, "type": "float slider", "value": 0.25 }, ... ],
//       "sequence_data": "<base64>" }
//
// Values by type: float slider a number; slider, popup (from 1) and layer (0
// none) integers; checkbox true or false; angle in degrees and point in
// pixels, numbers that 16.16 fixed point holds exactly; 3D point [x, y, z];
// color [alpha, red, green, blue], each 0 to 255; arbitrary data the
// effect's flattened bytes. A later format version may add members; this
// reader refuses versions newer than its own.
#pragma once

#include "sdk/ae_sdk.h"
#include "testhost/host/param_values.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvh {

constexpr int kProjectFormatVersion = 1;

// A project that cannot be read or does not fit the effect; the message names
// the problem.
class ProjectError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One saved value. `numbers` hold the value in the host's own units (16.16
// values as their integers), `bytes` an arbitrary value's flattened bytes.
struct SavedValue {
    A_long diskId = 0;
    PF_ParamType type = PF_Param_RESERVED;
    std::vector<double> numbers;
    std::string bytes;
};

struct Project {
    int version = kProjectFormatVersion;
    std::string effect;  // the effect's match name
    std::vector<SavedValue> values;
    bool hasSequenceData = false;
    std::string sequenceData;
};

std::string ProjectToJson(const Project &project);
// Throws ProjectError naming the first problem found.
Project ProjectFromJson(const std::string &text);

// Write and read files; both throw ProjectError. A file is written whole or
// not at all.
void SaveProjectFile(const std::string &path, const Project &project);
Project LoadProjectFile(const std::string &path);

} // namespace qvh
