// qvhost press: presses button parameters of a saved project as the user
// does (PF_Cmd_USER_CHANGED_PARAM), shows what each press changed and saves
// the project with the new values.
#include "testhost/qvhost/cli.h"
#include "testhost/qvhost/cli_errors.h"
#include "testhost/qvhost/cli_support.h"
#include "testhost/host/host.h"
#include "testhost/effect/instance.h"
#include "testhost/scripting/script_engine.h"
#include "testhost/os/terminal_text.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace qvh {
namespace {

struct PressOptions {
    std::string plugin = defaultPluginPath();
    std::string project;
    std::vector<std::string> buttons;
};

// The button named `button`: its index, or its name as the panel shows it.
PF_ParamIndex findButton(const Instance &instance, const std::string &button)
{
    for (PF_ParamIndex i = 1; i < instance.count(); ++i) {
        PF_ParamDef def = instance.param(i);
        if (button == def.name || button == std::to_string(i)) {
            if (def.param_type != PF_Param_BUTTON)
                throw UsageError("parameter " + std::to_string(i) + " (\"" + def.name + "\") is no button");
            return i;
        }
    }
    throw UsageError("no button \"" + button + "\"");
}

// Every value as the panel shows it, the code's text last.
std::vector<std::string> panelValues(Instance &instance)
{
    std::vector<std::string> values;
    for (PF_ParamIndex i = 1; i < instance.count(); ++i) {
        PF_ParamDef def = instance.param(i);
        bool code = def.param_type == PF_Param_ARBITRARY_DATA;
        values.push_back(code ? QuoteText(instance.arbitraryText(i)) : FormatValue(def, instance.layer(i)));
    }
    return values;
}

// One press: the undo steps it made and each value it changed.
void press(Instance &instance, PF_ParamIndex button)
{
    std::vector<std::string> before = panelValues(instance);
    host().undoGroups.clear();
    CommandResult r = instance.userChangedParam(button);
    std::printf("pressed %d \"%s\"\n", button, TerminalText(instance.param(button).name).c_str());
    for (const std::string &group : host().undoGroups)
        std::printf("  undo step %s\n", QuoteText(group).c_str());
    std::vector<std::string> after = panelValues(instance);
    for (std::size_t i = 0; i < after.size(); ++i)
        if (after[i] != before[i])
            std::printf("  %-22s %s -> %s\n", TerminalText(instance.param(PF_ParamIndex(i + 1)).name).c_str(),
                        TerminalText(before[i]).c_str(), TerminalText(after[i]).c_str());
    if (r.err || !r.message().empty())
        throw RunError("the press ended with error " + std::to_string(r.err) + ": " + r.message());
}

void pressAll(const PressOptions &o, CliSession &session)
{
    std::unique_ptr<Instance> instance = session.loadProject(o.project);
    std::vector<PF_ParamIndex> buttons;
    for (const std::string &name : o.buttons)
        buttons.push_back(findButton(*instance, name));
    for (PF_ParamIndex button : buttons)
        press(*instance, button);
    SaveProject(o.project, *instance);
    std::printf("saved %s\n", o.project.c_str());
}

int runPress(const PressOptions &o)
{
    installScriptEngine();  /* the "Edit" button opens its editor there */
    std::unique_ptr<CliSession> session = CliSession::open(o.plugin);
    pressAll(o, *session);
    return kExitDone;
}

} // namespace

void addPressCommand(CLI::App &app, int &status)
{
    auto o = std::make_shared<PressOptions>();
    CLI::App *cmd = app.add_subcommand("press", "Press button parameters of a saved project, then save it");
    cmd->add_option("project", o->project, "Project file (saved again after the presses)")->required();
    cmd->add_option("buttons", o->buttons, "Buttons, by index or by name, pressed in this order")->required();
    cmd->add_option("--plugin", o->plugin, "Path of the plug-in library");
    cmd->callback([o, &status] { status = runPress(*o); });
}

} // namespace qvh
