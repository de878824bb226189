// qvhost edit and qvhost about: the plug-in's windows, shown in the host's
// script engine and worked by a scripted user.
#include "base/param_indices.h"
#include "testhost/qvhost/cli.h"
#include "testhost/qvhost/cli_errors.h"
#include "testhost/qvhost/cli_support.h"
#include "testhost/host/host.h"
#include "testhost/effect/instance.h"
#include "testhost/scripting/script_engine.h"
#include "testhost/os/terminal_text.h"

#include <codecvt>
#include <cstdio>
#include <locale>
#include <memory>

namespace qvh {
namespace {

struct UiOptions {
    std::string plugin = defaultPluginPath();
    std::string project, user, app;
    bool legacy = false;
    bool allowScriptAccess = false;
};

std::u16string utf16(const std::string &utf8)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"  /* the standard's converter is enough here */
    return std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t>().from_bytes(utf8);
#pragma GCC diagnostic pop
}

// The host as the options describe it: its application folder (the plug-ins
// folder, with the catalogs and the logo, is its "Plug-ins") and its engine.
void prepareHost(const UiOptions &o)
{
    if (!o.app.empty())
        host().appPath = utf16(o.app);
    host().allowScriptAccess = o.allowScriptAccess;
    installScriptEngine({o.legacy, "Linux"});
}

// What the script engine showed besides windows.
void printMessages()
{
    for (const std::string &text : scriptEngine().prompts())
        std::fprintf(stderr, "prompt: %s\n", TerminalText(text).c_str());
    for (const std::string &text : scriptEngine().alerts())
        std::fprintf(stderr, "alert: %s\n", TerminalText(text).c_str());
    for (const std::string &text : scriptEngine().handlerErrors())
        std::fprintf(stderr, "error in the dialog: %s\n", TerminalText(text).c_str());
}

void editProject(const UiOptions &o, CliSession &session)
{
    std::unique_ptr<Instance> instance = session.loadProject(o.project);
    std::string before = instance->arbitraryText(qv::kCodeParam);
    scriptEngine().setUser(readFile(o.user, "user script"));
    CommandResult r = instance->userChangedParam(qv::kEditButtonParam);
    printMessages();
    if (r.err || !r.message().empty())
        throw RunError("the edit ended with error " + std::to_string(r.err) + ": " + r.message());
    if (instance->arbitraryText(qv::kCodeParam) == before) {
        std::printf("the code is unchanged\n");
        return;
    }
    SaveProject(o.project, *instance);
    std::printf("saved %s with the new code (%zu bytes)\n", o.project.c_str(), instance->arbitraryText(qv::kCodeParam).size());
}

int runEdit(const UiOptions &o)
{
    prepareHost(o);
    std::unique_ptr<CliSession> session = CliSession::open(o.plugin);
    editProject(o, *session);
    return kExitDone;
}

// The start window's text, or the alert that stands in for it.
int runAbout(const UiOptions &o)
{
    prepareHost(o);
    std::unique_ptr<CliSession> session = CliSession::open(o.plugin);
    CommandResult r = session->effect().command(PF_Cmd_ABOUT);
    if (scriptEngine().evaluate("typeof _Quorvel_window_ === 'object' && _Quorvel_window_ !== null") == "true") {
        std::printf("start window, logo %s:\n%s",
                    TerminalText(scriptEngine().evaluate("_Quorvel_window_.children[0].image")).c_str(),
                    TerminalText(scriptEngine().evaluate("_Quorvel_window_.children[1].text")).c_str());
    } else {
        for (const std::string &text : scriptEngine().alerts())
            std::printf("alert (no logo):\n%s", TerminalText(text).c_str());
    }
    return r.err ? kExitFailed : kExitDone;
}

} // namespace

void addUiCommands(CLI::App &app, int &status)
{
    auto o = std::make_shared<UiOptions>();
    CLI::App *edit = app.add_subcommand("edit", "Open the code editor on a saved project, worked by a scripted user");
    edit->add_option("project", o->project, "Project file (saved again when the code changed)")->required();
    edit->add_option("--user", o->user, "JavaScript file: function (dialog, user) { ... }")->required();
    CLI::App *about = app.add_subcommand("about", "Show the start window's text");
    for (CLI::App *cmd : {edit, about}) {
        cmd->add_option("--plugin", o->plugin, "Path of the plug-in library");
        cmd->add_option("--app", o->app, "The host's application folder; its Plug-ins folder holds catalogs and logo");
        cmd->add_flag("--legacy", o->legacy, "An older script engine: no JSON, no Array indexOf");
        cmd->add_flag("--allow-script-access", o->allowScriptAccess,
                      "Turn on the host's preference that lets scripts write files and access the network");
    }
    edit->callback([o, &status] { status = runEdit(*o); });
    about->callback([o, &status] { status = runAbout(*o); });
}

} // namespace qvh
