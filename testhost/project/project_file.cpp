#include "testhost/project/project_file.h"

#include "testhost/project/base64.h"
#include "testhost/host/param_values.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>

namespace qvh {
namespace {

using nlohmann::json;

const char kFormat[] = "qvhost project";
constexpr double kFixedOne = 65536.0;

[[noreturn]] void refuse(const std::string &where, const std::string &problem)
{
    throw ProjectError(where.empty() ? problem : where + ": " + problem);
}

std::string kindOf(const json &j)
{
    if (j.is_number())
        return "a number";
    if (j.is_string())
        return "a string";
    if (j.is_boolean())
        return "true or false";
    if (j.is_array())
        return "a list";
    if (j.is_object())
        return "an object";
    return "null";
}

// ---- writing ----

json fixedNumber(double fixed) { return fixed / kFixedOne; }  /* exact: a 16.16 value fits a double */

// One number of a value as a project writes it: degrees and pixels for
// fixed point, true or false for a checkbox.
json numberToJson(ValueUnit unit, double n)
{
    switch (unit) {
    case ValueUnit::Real: return n;
    case ValueUnit::Flag: return n != 0;
    case ValueUnit::Fixed: return fixedNumber(n);
    case ValueUnit::Integer: case ValueUnit::Channel: return long(n);
    }
    return long(n);
}

json valueToJson(const SavedValue &v)
{
    ValueUnit unit = ValueUnitOf(v.type);
    if (v.numbers.size() == 1)
        return numberToJson(unit, v.numbers[0]);
    json list = json::array();
    for (double n : v.numbers)
        list.push_back(numberToJson(unit, n));
    return list;
}

json entryToJson(const SavedValue &v)
{
    json entry = {{"id", v.diskId}, {"type", ParamTypeName(v.type)}};
    if (v.type == PF_Param_ARBITRARY_DATA)
        entry["flat"] = Base64Encode(v.bytes);
    else
        entry["value"] = valueToJson(v);
    return entry;
}

// ---- reading ----

const json &member(const json &object, const char *name, const std::string &where)
{
    auto it = object.find(name);
    if (it == object.end())
        refuse(where, std::string("has no \"") + name + "\"");
    return *it;
}

double number(const json &j, const std::string &where)
{
    if (!j.is_number())
        refuse(where, "must be a number, not " + kindOf(j));
    return j.get<double>();
}

double integer(const json &j, const std::string &where)
{
    if (!j.is_number_integer())
        refuse(where, "must be a whole number, not " + (j.is_number() ? j.dump() : kindOf(j)));
    double v = j.get<double>();
    if (v < std::numeric_limits<A_long>::min() || v > std::numeric_limits<A_long>::max())
        refuse(where, j.dump() + " does not fit 32 bits");
    return v;
}

// A number in degrees or pixels, back to its 16.16 integer.
double fixed(const json &j, const std::string &where)
{
    double scaled = number(j, where) * kFixedOne;
    if (std::nearbyint(scaled) != scaled || scaled < std::numeric_limits<A_long>::min() ||
        scaled > std::numeric_limits<A_long>::max())
        refuse(where, j.dump() + " is not a 16.16 fixed-point value");
    return scaled;
}

const json &list(const json &j, std::size_t size, const std::string &where)
{
    if (!j.is_array() || j.size() != size)
        refuse(where, "must be a list of " + std::to_string(size) + " numbers");
    return j;
}

double numberFromJson(ValueUnit unit, const json &j, const std::string &where)
{
    switch (unit) {
    case ValueUnit::Real: return number(j, where);
    case ValueUnit::Fixed: return fixed(j, where);
    case ValueUnit::Flag:
        if (!j.is_boolean())
            refuse(where, "must be true or false, not " + kindOf(j));
        return j.get<bool>() ? 1.0 : 0.0;
    case ValueUnit::Integer: case ValueUnit::Channel: break;
    }
    return integer(j, where);
}

// A value of ValueArity(type) numbers: one alone, more as a list.
std::vector<double> valueFromJson(PF_ParamType type, const json &j, const std::string &where)
{
    ValueUnit unit = ValueUnitOf(type);
    std::size_t arity = ValueArity(type);
    if (arity == 1)
        return {numberFromJson(unit, j, where)};
    std::vector<double> numbers;
    for (const json &n : list(j, arity, where))
        numbers.push_back(numberFromJson(unit, n, where));
    return numbers;
}

PF_ParamType typeFromName(const json &j, const std::string &where)
{
    if (!j.is_string())
        refuse(where, "\"type\" must be a string, not " + kindOf(j));
    for (PF_ParamType type = PF_Param_LAYER; type <= PF_Param_POINT_3D; ++type)
        if (ParamHoldsValue(type) && ParamTypeName(type) == j.get<std::string>())
            return type;
    refuse(where, "unknown type \"" + j.get<std::string>() + "\"");
}

std::string bytesFromBase64(const json &j, const std::string &where)
{
    if (!j.is_string())
        refuse(where, "must be base64 text, not " + kindOf(j));
    std::string bytes;
    std::size_t bad = 0;
    if (!Base64Decode(j.get<std::string>(), &bytes, &bad))
        refuse(where, "is not valid base64 (at character " + std::to_string(bad) + ")");
    return bytes;
}

SavedValue entryFromJson(const json &entry, std::size_t position)
{
    std::string where = "params[" + std::to_string(position) + "]";
    if (!entry.is_object())
        refuse(where, "must be an object, not " + kindOf(entry));
    SavedValue v;
    v.diskId = A_long(integer(member(entry, "id", where), where + " \"id\""));
    where = "disk ID " + std::to_string(v.diskId);
    v.type = typeFromName(member(entry, "type", where), where);
    if (v.type == PF_Param_ARBITRARY_DATA)
        v.bytes = bytesFromBase64(member(entry, "flat", where), where + " \"flat\"");
    else
        v.numbers = valueFromJson(v.type, member(entry, "value", where), where + " \"value\"");
    return v;
}

void readHeader(const json &doc, Project &project)
{
    if (!doc.is_object())
        refuse("", "not a project: the file holds " + kindOf(doc) + ", not an object");
    auto format = doc.find("format");
    if (format == doc.end() || *format != kFormat)
        refuse("", std::string("not a project: \"format\" is not \"") + kFormat + "\"");
    project.version = int(integer(member(doc, "version", "project"), "\"version\""));
    if (project.version < 1)
        refuse("", "format version " + std::to_string(project.version) + " does not exist: versions count from 1");
    if (project.version > kProjectFormatVersion)
        refuse("", "format version " + std::to_string(project.version) + " is newer than this qvhost reads (" +
                       std::to_string(kProjectFormatVersion) + ")");
    const json &effect = member(doc, "effect", "project");
    if (!effect.is_string())
        refuse("\"effect\"", "must be a string, not " + kindOf(effect));
    project.effect = effect.get<std::string>();
}

void readParams(const json &doc, Project &project)
{
    const json &params = member(doc, "params", "project");
    if (!params.is_array())
        refuse("\"params\"", "must be a list, not " + kindOf(params));
    std::set<A_long> seen;
    for (std::size_t i = 0; i < params.size(); ++i) {
        SavedValue v = entryFromJson(params[i], i);
        if (!seen.insert(v.diskId).second)
            refuse("disk ID " + std::to_string(v.diskId), "appears twice");
        project.values.push_back(v);
    }
}

json parse(const std::string &text)
{
    try {
        return json::parse(text);
    } catch (const json::exception &e) {  /* a parse error, or a number out of range ("1e600") */
        std::string what = e.what();
        std::string::size_type cut = what.find("] ");  /* drop the library's "[json.exception...]" tag */
        refuse("", "not valid JSON: " + (cut == std::string::npos ? what : what.substr(cut + 2)));
    }
}

} // namespace

std::string ProjectToJson(const Project &project)
{
    json doc = {{"format", kFormat}, {"version", project.version}, {"effect", project.effect}};
    json params = json::array();
    for (const SavedValue &v : project.values)
        params.push_back(entryToJson(v));
    doc["params"] = params;
    if (project.hasSequenceData)
        doc["sequence_data"] = Base64Encode(project.sequenceData);
    return doc.dump(2) + "\n";
}

Project ProjectFromJson(const std::string &text)
{
    json doc = parse(text);
    Project project;
    readHeader(doc, project);
    readParams(doc, project);
    auto sequence = doc.find("sequence_data");
    project.hasSequenceData = sequence != doc.end();
    if (project.hasSequenceData)
        project.sequenceData = bytesFromBase64(*sequence, "\"sequence_data\"");
    return project;
}

void SaveProjectFile(const std::string &path, const Project &project)
{
    std::string text = ProjectToJson(project);
    std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            refuse(path, std::string("cannot write: ") + std::strerror(errno));
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::string reason = std::strerror(errno);
        std::remove(partial.c_str());
        refuse(path, "cannot write: " + reason);
    }
}

Project LoadProjectFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        refuse(path, std::string("cannot read: ") + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return ProjectFromJson(text.str());
    } catch (const ProjectError &e) {
        refuse(path, e.what());
    }
}

} // namespace qvh
