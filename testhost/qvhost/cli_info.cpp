// qvhost info: the PiPL, global setup's report, the Options message.
#include "testhost/qvhost/cli.h"
#include "testhost/qvhost/cli_errors.h"
#include "testhost/qvhost/cli_support.h"
#include "testhost/effect/effect.h"
#include "testhost/host/host.h"
#include "testhost/host/plugin.h"
#include "testhost/os/terminal_text.h"

#include <cstdio>
#include <memory>

namespace qvh {
namespace {

void printPipl(const Pipl &pipl)
{
    std::printf("PiPL (%zu properties)\n", pipl.properties.size());
    for (const PiplProperty &p : pipl.properties) {
        std::printf("  %s %s  ", p.vendor.c_str(), p.key.c_str());
        if (p.key == "name" || p.key == "catg" || p.key == "eMNA")
            std::printf("\"%s\"\n", TerminalText(pipl.pascalString(p.key)).c_str());
        else if (p.key == "8664")
            std::printf("\"%s\"\n", TerminalText(pipl.cString(p.key)).c_str());
        else if (p.key == "kind")
            std::printf("'%s'\n", TerminalText(pipl.fourcc(p.key)).c_str());
        else if (p.key == "ePVR" || p.key == "eSVR")
            std::printf("%u.%u\n", pipl.u16(p.key, 0), pipl.u16(p.key, 1));
        else if (p.key == "eINF")
            std::printf("0x%04X\n", pipl.u16(p.key));
        else
            std::printf("0x%08X\n", pipl.u32(p.key));
    }
}

std::string failure(const char *what, const CommandResult &r)
{
    return std::string(what) + " failed with error " + std::to_string(r.err) + ": " + r.message();
}

int runInfo(const std::string &path)
{
    std::unique_ptr<Plugin> plugin = LoadPlugin(path);
    printPipl(plugin->pipl());
    Effect effect(*plugin);
    CommandResult setup = effect.globalSetup();
    std::printf("global setup: %d\n", setup.err);
    if (setup.err)
        throw InputError(failure("global setup", setup));  /* a plug-in that cannot be used */
    std::printf("  my_version 0x%08X\n  out_flags  0x%08X\n  out_flags2 0x%08X\n",
                setup.out.my_version, setup.out.out_flags, setup.out.out_flags2);
    if (!effect.piplMismatch().empty())
        std::printf("  PiPL mismatch: %s\n", TerminalText(effect.piplMismatch()).c_str());
    if (setup.out.global_data) {
        const char *global = static_cast<const char *>(*setup.out.global_data);
        uint32_t id = *reinterpret_cast<const uint32_t *>(global);
        std::printf("  plug-in ID %u\n  plug-ins folder \"%s\"\n", id, TerminalText(global + 4).c_str());
    }
    CommandResult dialog = effect.command(PF_Cmd_DO_DIALOG);
    std::printf("options message:\n%s\n", TerminalText(dialog.message()).c_str());
    CommandResult setdown = effect.globalSetdown();
    if (setdown.err)
        throw RunError(failure("global setdown", setdown));
    return effect.piplMismatch().empty() ? kExitDone : kExitFailed;
}

} // namespace

void addInfoCommand(CLI::App &app, int &status)
{
    auto path = std::make_shared<std::string>(defaultPluginPath());
    CLI::App *cmd = app.add_subcommand("info", "Describe the plug-in and run its global setup");
    cmd->add_option("plugin", *path, "Path of the plug-in library");
    cmd->callback([path, &status] { status = runInfo(*path); });
}

} // namespace qvh
