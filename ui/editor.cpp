// The code editor's edit flow and the rewrite of the stored code when the
// language becomes the Shadertoy dialect.
#include "ui/editor.h"

#include "base/global_data.h"
#include "base/language.h"
#include "base/param_indices.h"
#include "base/suite_access.h"
#include "bridge/script_bridge.h"
#include "storage/expression_data.h"
#include "translate/identifier_rewrite.h"
#include "ui/editor_script.h"
#include "ui/editor_text.h"

#include <cstring>

namespace qv {
namespace {

// Copies `text` into the return message, cut at a character boundary.
void setReturnMessage(PF_OutData *out_data, const std::string &text)
{
    std::size_t size = text.size();
    if (size > PF_MAX_EFFECT_MSG_LEN) {
        size = PF_MAX_EFFECT_MSG_LEN;
        while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80)
            --size;
    }
    std::memcpy(out_data->return_msg, text.data(), size);
    out_data->return_msg[size] = '\0';
}

// The code parameter's value, locked while the command reads and rewrites it.
LockedExpression lockCode(const CommandArgs &a)
{
    return LockedExpression(a.suites, a.in_data, a.params[kCodeParam]->u.arb_d.value);
}

// Stores `text`, marks the code changed and asks for a new render.
PF_Err storeCode(const CommandArgs &a, LockedExpression &value, const std::string &text)
{
    PF_Err err = value.write(text);
    if (!err) {
        a.params[kCodeParam]->uu.change_flags |= PF_ChangeFlag_CHANGED_VALUE;
        a.out_data->out_flags |= PF_OutFlag_FORCE_RERENDER;
    }
    return err;
}

bool isShadertoy(const CommandArgs &a)
{
    return LanguageOfPopup(a.params[kLanguageParam]->u.pd.value) == Language::Shadertoy;
}

// Runs the editor on `prior`. False, with the reason in the return message,
// when the host could not give back an edited text.
bool runEditor(const CommandArgs &a, const GlobalData &global, const std::string &prior, ScriptResult &run)
{
    run = RunScriptWithResult(a.suites, ComposeEditorScript(prior, global.pluginFolder));
    if (!run.err && run.hasResult)
        return true;
    a.out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    setReturnMessage(a.out_data, "The code editor failed and the code is unchanged: " +
                                     (run.error.empty() ? std::string("the host returned no text.") : run.error));
    return false;
}

} // namespace

PF_Err EditCode(const CommandArgs &a, const GlobalData &global)
{
    if (a.in_data->appl_id == kPremiereApplId) {
        setReturnMessage(a.out_data, "Premiere Pro is not supported yet.");
        return PF_Err_NONE;
    }
    LockedExpression value = lockCode(a);
    std::string stored;
    ScriptResult run;
    if (PF_Err err = value.read(&stored))
        return err;
    const std::string shown = ToEditorText(stored);
    if (!runEditor(a, global, shown, run))
        return run.err;
    if (!run.result.empty() && run.result == shown)
        return PF_Err_NONE;  /* unchanged: the stored bytes stay as they are, no render */
    std::string code = FromEditorText(run.result);
    if (isShadertoy(a))
        ShadertoyTranslator(code);
    return storeCode(a, value, code);
}

PF_Err ConvertCodeOnLanguageSwitch(const CommandArgs &a)
{
    if (!isShadertoy(a))
        return PF_Err_NONE;
    LockedExpression value = lockCode(a);
    std::string code;
    if (PF_Err err = value.read(&code))
        return err;
    ShadertoyTranslator(code);  /* bytes after a NUL are code the user keeps, converted like the rest */
    return storeCode(a, value, code);  /* even when nothing changed */
}

} // namespace qv
