// What qvhost's parameter and project commands share: a plug-in opened as far
// as its parameters, and the ways values are shown.
#pragma once

#include "sdk/ae_sdk.h"
#include "testhost/effect/declared_params.h"
#include "testhost/effect/effect.h"
#include "testhost/effect/instance.h"
#include "testhost/host/plugin.h"

#include <memory>
#include <string>
#include <vector>

namespace qvh {

// The plug-in at `path`, a bare name being the working folder's file as for
// every other file named on the command line; an InputError naming `path`
// when it cannot be loaded.
std::unique_ptr<Plugin> LoadPlugin(const std::string &path);

// A plug-in loaded, globally set up and its parameters declared; closed in
// the reverse order.
class CliSession {
public:
    // An InputError when a step fails: the plug-in cannot be used.
    static std::unique_ptr<CliSession> open(const std::string &pluginPath);
    ~CliSession();

    Effect &effect() { return *effect_; }
    DeclaredParams &params() { return *params_; }

    // The instance saved in `file`; an InputError naming the file when it
    // cannot be read, does not fit the plug-in or the plug-in refuses it.
    std::unique_ptr<Instance> loadProject(const std::string &file);

private:
    std::unique_ptr<Plugin> plugin_;
    std::unique_ptr<Effect> effect_;
    std::unique_ptr<DeclaredParams> params_;
};

// Saves `instance` in `file`; a RunError naming the file when it cannot be
// written.
void SaveProject(const std::string &file, Instance &instance);

// `text` between double quotes with C escapes for quotes, backslashes,
// control bytes and NULs.
std::string QuoteText(const std::string &text);

// A value of `def` (its current value, or its default) as a person reads it:
// "0.25", "on", "2 (shadertoy.com)", "(12.5, 3)", "ARGB (255, 0, 0, 0)", ...
std::string FormatValue(const PF_ParamDef &def, A_long layer);
std::string FormatDefault(const PF_ParamDef &def);

// qvhost's names for the items of the effect's code popups, by code
// (base/language.h, engine/sampler_modes.h), and such names as "a|b|c".
extern const std::vector<std::string> kLanguageNames;
extern const std::vector<std::string> kWrapNames;
extern const std::vector<std::string> kFilterNames;
std::string NameList(const std::vector<std::string> &names);
// The popup value of the item named `text` among `names`; a name not among
// them is a UsageError naming `option`.
A_long PopupChoice(const std::string &text, const char *option, const std::vector<std::string> &names);

// Picks the "Language" entry named `language` as the user does: a new value,
// then PF_Cmd_USER_CHANGED_PARAM, on which the plug-in converts the stored
// code when the new language is the Shadertoy dialect. Picking the entry
// already chosen changes nothing, as in the host. A change the plug-in fails
// is a RunError.
void ChooseLanguage(Instance &instance, const std::string &language);

} // namespace qvh
