// Global setup and setdown, and the Options message.
#include "host/global_setup.h"

#include "base/global_data.h"

#include "engine/engine_lifecycle.h"
#include "generated/quorvel_pipl.h"
#include "base/handle_lock.h"
#include "base/handle_owner.h"
#include "base/suite_access.h"
#include "support/platform.h"
#include "support/text.h"
#include "support/user_folder.h"

#include <cstring>
#include <mutex>

namespace qv {

namespace {

constexpr std::size_t kMaxAppPathUnits = 4045;

const char kOptionsMessage[] =
    "This is a beta version.\nThe release version of Quorvel is not published. \n"
    "We plan to release Quorvel on one day of Nov. 2019.  ";

void registerWithHost(SuiteAccess &suites, GlobalData *global)
{
    AEGP_PluginID id = 0;
    utilitySuite7(suites)->AEGP_RegisterWithAEGP(nullptr, "Quorvel", &id);
    global->pluginId = static_cast<uint32_t>(id);
}

// Stores "<application folder><sep>Plug-ins", escaped, into pluginFolder.
PF_Err storePluginFolder(SuiteAccess &suites, GlobalData *global)
{
    const AEGP_MemorySuite1 *memory = memorySuite(suites);  /* before the handle exists */
    MemHandleOwner pathH(memory);
    PF_Err err = utilitySuite13(suites)->AEGP_GetPluginPaths(0, AEGP_GetPathTypes_APP, pathH.out());
    if (err)
        return err;
    MemLock path(memory, pathH.get());
    if (!path)
        return path.err();
    std::string text = PluginFolderText(reinterpret_cast<const A_UTF16Char *>(path.bytes()));
    std::memcpy(global->pluginFolder, text.c_str(), text.size() + 1);
    return PF_Err_NONE;
}

// Labels the Options button; the Effect UI suite is taken straight from the
// basic suite and released only when it was acquired.
PF_Err labelOptionsButton(PF_InData *in_data, PF_OutData *out_data)
{
    SPBasicSuite *basic = in_data->pica_basicP;
    const void *table = nullptr;
    if (basic->AcquireSuite(kPFEffectUISuite, kPFEffectUISuiteVersion1, &table) != kSPNoError || !table) {
        out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
        std::strcpy(out_data->return_msg, "Not able to acquire AEFX Suite.");
        return kMissingSuiteError;
    }
    ReleaseOnExit release([basic] { return basic->ReleaseSuite(kPFEffectUISuite, kPFEffectUISuiteVersion1); });
    const PF_EffectUISuite1 *ui = static_cast<const PF_EffectUISuite1 *>(table);
    return ui->PF_SetOptionsButtonName(in_data->effect_ref, "Test only");
}

// Steps 4 to 7 of the setup, on a locked, zeroed GlobalData.
PF_Err fillGlobalData(SuiteAccess &suites, PF_InData *in_data, PF_OutData *out_data, GlobalData *global)
{
    registerWithHost(suites, global);  /* the host's answer is not examined */
    PF_Err err = storePluginFolder(suites, global);
    if (ProbeUserFolder() == -1)
        err = PF_Err_UNRECOGNIZED_PARAM_TYPE;  /* 514: no writable user folder */
    if (!err)
        err = labelOptionsButton(in_data, out_data);
    return err;
}

} // namespace

std::string PluginFolderText(const A_UTF16Char *appPath)
{
    std::u16string path;
    for (std::size_t i = 0; i < kMaxAppPathUnits && appPath[i]; ++i)
        path += static_cast<char16_t>(appPath[i]);
    std::string text = Utf16ToUtf8(path) + platform::kPathSeparator + "Plug-ins";
    EscapeForScript(text);
    return FitEscapedText(text, kPluginFolderCapacity - 1);
}

PF_Err GlobalSetup(const CommandArgs &a)
{
    SuiteAccess &suites = a.suites;
    PF_InData *in_data = a.in_data;
    PF_OutData *out_data = a.out_data;
    out_data->my_version = QV_PIPL_EFFECT_VERSION;
    out_data->out_flags |= QV_PIPL_OUT_FLAGS;
    out_data->out_flags2 |= QV_PIPL_OUT_FLAGS2;

    PFHandleOwner handle(in_data->utils->host_dispose_handle, PF_NEW_HANDLE(kGlobalDataHandleSize));
    if (!handle)
        return PF_Err_OUT_OF_MEMORY;
    PF_Err err = PF_Err_NONE;
    {
        HandleLock lock(in_data, handle.get());
        void *bytes = lock.as<void>();
        if (!bytes)
            return PF_Err_OUT_OF_MEMORY;  /* the host may refuse the lock: fail rather than write through null */
        std::memset(bytes, 0, kGlobalDataHandleSize);
        GlobalData *global = static_cast<GlobalData *>(bytes);
        if (in_data->appl_id != kPremiereApplId)  /* Premiere gets the handle unfilled */
            err = fillGlobalData(suites, in_data, out_data, global);
    }
    if (err)
        return err;  /* a failed or thrown setup leaves nothing behind */
    out_data->global_data = handle.release();
    return PF_Err_NONE;
}

std::shared_mutex &globalDataMutex()
{
    static std::shared_mutex *mutex = new std::shared_mutex;  /* outlives thread-exit destructors */
    return *mutex;
}

PF_Err GlobalSetdown(const CommandArgs &a)
{
    PF_InData *in_data = a.in_data;
    std::unique_lock<std::shared_mutex> renders(globalDataMutex());  /* waits for running renders */
    if (!in_data->global_data)
        return PF_Err_NONE;
    ReleaseOnExit shutdown([] { globalShutdown(); });  /* even if disposing of the handle fails */
    PFHandleOwner global(in_data->utils->host_dispose_handle, in_data->global_data);  /* if the suite is missing */
    const PF_HandleSuite1 *handles = handleSuite(a.suites);
    handles->host_dispose_handle(global.release());
    return PF_Err_NONE;
}

PF_Err ShowOptionsMessage(const CommandArgs &a)
{
    ansiSuite(a.suites)->sprintf(a.out_data->return_msg, "%s", kOptionsMessage);
    return PF_Err_NONE;
}

} // namespace qv
