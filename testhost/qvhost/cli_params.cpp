// qvhost params: the parameter list as the host sees it after parameter setup.
#include "testhost/effect/arbitrary_calls.h"
#include "testhost/qvhost/cli.h"
#include "testhost/qvhost/cli_errors.h"
#include "testhost/qvhost/cli_support.h"
#include "testhost/os/terminal_text.h"

#include <cstdio>
#include <memory>

namespace qvh {
namespace {

// The default of an arbitrary parameter: its flattened bytes as text, less
// the NUL that ends them.
std::string arbitraryDefault(Effect &effect, const PF_ParamDef &def)
{
    if (!def.u.arb_d.dephault)
        return "none";
    std::string bytes;
    CommandResult r = ArbitraryCalls(effect, def).flattenAll(def.u.arb_d.dephault, &bytes);
    if (r.err)
        return "(FLATTEN failed with error " + std::to_string(r.err) + ")";
    std::size_t size = bytes.size();
    if (size && bytes.back() == '\0')
        bytes.pop_back();
    return QuoteText(bytes) + " (flat size " + std::to_string(size) + ")";
}

void printParam(CliSession &s, PF_ParamIndex index)
{
    const PF_ParamDef &def = s.params().def(index);
    std::string id = index == 0 ? "-" : std::to_string(def.uu.id);
    std::string name = index == 0 ? "(input layer)" : def.name;
    std::string dephault = def.param_type == PF_Param_ARBITRARY_DATA ? arbitraryDefault(s.effect(), def)
                           : index == 0                              ? "the layer the effect is applied to"
                                                                     : FormatDefault(def);
    std::printf("%5d %7s  %-14s 0x%08X 0x%08X  %-22s %s\n", index, id.c_str(), ParamTypeName(def.param_type).c_str(),
                static_cast<unsigned>(def.flags), static_cast<unsigned>(def.ui_flags), TerminalText(name).c_str(), TerminalText(dephault).c_str());
}

int runParams(const std::string &path)
{
    std::unique_ptr<CliSession> session = CliSession::open(path);
    std::printf("index disk ID  type           flags      UI flags    name                   default\n");
    for (PF_ParamIndex i = 0; i < session->params().count(); ++i)
        printParam(*session, i);
    std::printf("%d parameters; num_params %d\n", session->params().count(), session->params().numParams());
    return session->params().count() == session->params().numParams() ? kExitDone : kExitFailed;
}

} // namespace

void addParamsCommand(CLI::App &app, int &status)
{
    auto path = std::make_shared<std::string>(defaultPluginPath());
    CLI::App *cmd = app.add_subcommand("params", "List the parameters the plug-in declares");
    cmd->add_option("plugin", *path, "Path of the plug-in library");
    cmd->callback([path, &status] { status = runParams(*path); });
}

} // namespace qvh
