// qvhost project: make, show and edit saved projects.
#include "base/param_indices.h"
#include "testhost/qvhost/cli.h"
#include "testhost/qvhost/cli_errors.h"
#include "testhost/qvhost/cli_support.h"
#include "testhost/effect/instance.h"
#include "testhost/os/terminal_text.h"

#include <cstdio>
#include <functional>
#include <memory>

namespace qvh {
namespace {

struct ProjectOptions {
    std::string plugin = defaultPluginPath();
    std::string file;
    std::string codeFile;
    std::string language;
};

// Runs `body` on an open session.
int withSession(const ProjectOptions &o, const std::function<void(CliSession &)> &body)
{
    std::unique_ptr<CliSession> session = CliSession::open(o.plugin);
    body(*session);
    return kExitDone;
}

void showValues(Instance &instance)
{
    for (PF_ParamIndex i = 1; i < instance.count(); ++i) {
        PF_ParamDef def = instance.param(i);
        if (!ParamHoldsValue(def.param_type) || def.param_type == PF_Param_ARBITRARY_DATA)
            continue;
        std::string value = FormatValue(def, instance.layer(i));
        if (value != FormatValue(instance.declared().def(i), 0) || instance.layer(i))
            std::printf("  %-22s %s\n", TerminalText(def.name).c_str(), TerminalText(value).c_str());
    }
}

int runShow(const ProjectOptions &o)
{
    return withSession(o, [&](CliSession &s) {
        std::unique_ptr<Instance> instance = s.loadProject(o.file);
        std::string code = instance->arbitraryText(qv::kCodeParam);
        std::printf("%s\nvalues other than their defaults:\n", TerminalText(o.file).c_str());
        showValues(*instance);
        std::printf("sequence data: %zu bytes\ncode (%zu bytes):\n%s\n", instance->flattenedSequenceData().size(),
                    code.size(), TerminalText(code).c_str());
    });
}

int runNew(const ProjectOptions &o)
{
    return withSession(o, [&](CliSession &s) {
        std::unique_ptr<Instance> instance = Instance::create(s.params());
        if (!o.codeFile.empty())
            instance->setArbitraryText(qv::kCodeParam, readFile(o.codeFile));
        if (!o.language.empty())
            ChooseLanguage(*instance, o.language);
        SaveProject(o.file, *instance);
    });
}

int runSetCode(const ProjectOptions &o)
{
    return withSession(o, [&](CliSession &s) {
        std::unique_ptr<Instance> instance = s.loadProject(o.file);
        instance->setArbitraryText(qv::kCodeParam, readFile(o.codeFile));
        SaveProject(o.file, *instance);
    });
}

CLI::App *addAction(CLI::App *project, const char *name, const char *what, std::shared_ptr<ProjectOptions> o)
{
    CLI::App *cmd = project->add_subcommand(name, what);
    cmd->add_option("file", o->file, "Project file")->required();
    cmd->add_option("--plugin", o->plugin, "Path of the plug-in library");
    return cmd;
}

} // namespace

void addProjectCommand(CLI::App &app, int &status)
{
    auto o = std::make_shared<ProjectOptions>();
    CLI::App *project = app.add_subcommand("project", "Make, show and edit saved projects");
    project->require_subcommand(1);
    CLI::App *make = addAction(project, "new", "Save a new instance (with the code of --code)", o);
    make->add_option("--code", o->codeFile, "File holding the code to store");
    make->add_option("--language", o->language, NameList(kLanguageNames) + ", picked as the user does after the code is set");
    make->callback([o, &status] { status = runNew(*o); });
    CLI::App *show = addAction(project, "show", "Load a project and show its values and code", o);
    show->callback([o, &status] { status = runShow(*o); });
    CLI::App *setCode = addAction(project, "set-code", "Replace a project's code with a file's bytes", o);
    setCode->add_option("code", o->codeFile, "File holding the code to store")->required();
    setCode->callback([o, &status] { status = runSetCode(*o); });
}

} // namespace qvh
