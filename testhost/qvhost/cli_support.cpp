#include "testhost/qvhost/cli_support.h"

#include "base/param_indices.h"
#include "base/popup_codes.h"
#include "testhost/host/param_values.h"
#include "testhost/os/os.h"
#include "testhost/os/terminal_text.h"
#include "testhost/project/project_file.h"
#include "testhost/qvhost/cli_errors.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace qvh {
namespace {

std::string number(double v)
{
    std::ostringstream text;
    text.precision(10);
    text << v;
    return text.str();
}

std::string fixedNumber(PF_Fixed v) { return number(v / 65536.0); }

// Item `choice` (from 1) of a popup's "a|b|c" list.
std::string popupItem(const PF_PopupDef &p, A_long choice)
{
    std::string items = p.u.namesptr ? p.u.namesptr : "";
    std::size_t start = 0;
    for (A_long i = 1; i < choice && start != std::string::npos; ++i) {
        start = items.find('|', start);
        start = start == std::string::npos ? start : start + 1;
    }
    if (choice < 1 || start == std::string::npos)
        return "?";
    return items.substr(start, items.find('|', start) - start);
}

// One number of a value as the panel shows it.
std::string shownNumber(ValueUnit unit, double n)
{
    switch (unit) {
    case ValueUnit::Real: return number(n);
    case ValueUnit::Fixed: return fixedNumber(static_cast<PF_Fixed>(n));
    case ValueUnit::Flag: return n != 0 ? "on" : "off";
    case ValueUnit::Integer: case ValueUnit::Channel: break;
    }
    return std::to_string(static_cast<A_long>(n));
}

// A value's numbers as the panel shows them: one alone, more as "(a, b)".
std::string shownNumbers(PF_ParamType type, const std::vector<double> &numbers)
{
    std::string text;
    for (double n : numbers)
        text += (text.empty() ? "" : ", ") + shownNumber(ValueUnitOf(type), n);
    return numbers.size() == 1 ? text : "(" + text + ")";
}

// The system's loader would search its library path for a bare name.
std::string explicitPath(const std::string &path)
{
    for (char c : path)
        if (os::isPathSeparator(c))
            return path;
    bool drive = os::isPathSeparator('\\') && path.size() > 1 && path[1] == ':';  /* "C:x.aex" on Windows */
    return drive ? path : "./" + path;
}

// Fails, as the plug-in cannot be used, when a setup command failed.
void checkSetup(const char *what, const CommandResult &r)
{
    if (r.err)
        throw InputError(std::string(what) + " failed with error " + std::to_string(r.err) + ": " + r.message());
}

} // namespace

std::unique_ptr<Plugin> LoadPlugin(const std::string &path)
{
    if (!os::isReadable(path))
        throw InputError(path + ": cannot open the plug-in");
    try {
        return std::unique_ptr<Plugin>(new Plugin(explicitPath(path)));
    } catch (const std::runtime_error &e) {
        throw InputError(path + ": " + e.what());
    }
}

std::unique_ptr<CliSession> CliSession::open(const std::string &pluginPath)
{
    std::unique_ptr<CliSession> s(new CliSession);
    s->plugin_ = LoadPlugin(pluginPath);
    s->effect_.reset(new Effect(*s->plugin_));
    checkSetup("global setup", s->effect_->globalSetup());
    s->params_.reset(new DeclaredParams(*s->effect_));
    checkSetup("parameter setup", s->params_->setup());
    return s;
}

std::unique_ptr<Instance> CliSession::loadProject(const std::string &file)
{
    std::string text = readFile(file, "project");
    try {
        return Instance::fromProject(params(), ProjectFromJson(text));
    } catch (const std::runtime_error &e) {  /* ProjectError, or the plug-in refusing a value */
        throw InputError(file + ": " + e.what());
    }
}

void SaveProject(const std::string &file, Instance &instance)
{
    try {
        SaveProjectFile(file, instance.toProject());
    } catch (const ProjectError &e) {  /* its message names the file */
        throw RunError(e.what());
    }
}

CliSession::~CliSession()
{
    params_.reset();  /* disposes the arbitrary defaults while the effect is set up */
    if (effect_ && effect_->globalData())
        effect_->globalSetdown();
}

std::string QuoteText(const std::string &text)
{
    std::string quoted = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\t': quoted += "\\t"; break;
        case '\r': quoted += "\\r"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\x%02X", c);
                quoted += escape;
            } else {
                quoted += char(c);
            }
        }
    }
    return quoted + "\"";
}

std::string FormatValue(const PF_ParamDef &def, A_long layer)
{
    const PF_ParamDefUnion &u = def.u;
    std::vector<double> numbers = ValueNumbers(def, layer);
    switch (def.param_type) {
    case PF_Param_ANGLE: return shownNumbers(def.param_type, numbers) + " degrees";
    case PF_Param_POPUP: return std::to_string(u.pd.value) + " (" + popupItem(u.pd, u.pd.value) + ")";
    case PF_Param_COLOR: return "ARGB " + shownNumbers(def.param_type, numbers);
    case PF_Param_LAYER: return layer ? "layer " + std::to_string(layer) : "none";
    case PF_Param_BUTTON: return std::string("label ") + QuoteText(u.button_d.u.namesptr ? u.button_d.u.namesptr : "");
    default: return numbers.empty() ? "-" : shownNumbers(def.param_type, numbers);
    }
}

const std::vector<std::string> kLanguageNames = {"glsl", "shadertoy", "lua"};
const std::vector<std::string> kWrapNames = {"repeat", "mirror", "clamp"};
const std::vector<std::string> kFilterNames = {"linear", "nearest"};

std::string NameList(const std::vector<std::string> &names)
{
    std::string list;
    for (const std::string &n : names)
        list += (list.empty() ? "" : "|") + n;
    return list;
}

A_long PopupChoice(const std::string &text, const char *option, const std::vector<std::string> &names)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (text == names[i])
            return qv::PopupValueOfCode(static_cast<int32_t>(i));
    throw UsageError(std::string(option) + ": '" + text + "' is not one of " + NameList(names));
}

void ChooseLanguage(Instance &instance, const std::string &language)
{
    A_long value = PopupChoice(language, "--language", kLanguageNames);
    if (instance.param(qv::kLanguageParam).u.pd.value == value)
        return;
    instance.setPopup(qv::kLanguageParam, value);
    CommandResult r = instance.userChangedParam(qv::kLanguageParam);
    if (r.err)
        throw RunError("choosing the language failed with error " + std::to_string(r.err) + ": " + r.message());
}

std::string FormatDefault(const PF_ParamDef &def)
{
    PF_ParamDef dephault = def;
    SetToDefault(dephault);
    std::string text = FormatValue(dephault, 0);
    if (def.param_type == PF_Param_FLOAT_SLIDER) {
        const PF_FloatSliderDef &s = def.u.fs_d;
        text += " (valid " + number(s.valid_min) + " to " + number(s.valid_max) + ", slider " +
                number(s.slider_min) + " to " + number(s.slider_max) + ", precision " + std::to_string(s.precision) +
                ")";
    }
    if (def.param_type == PF_Param_POPUP)
        text += " of " + std::to_string(def.u.pd.num_choices);
    return text;
}

} // namespace qvh
