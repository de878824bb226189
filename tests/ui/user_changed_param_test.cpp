// PF_Cmd_USER_CHANGED_PARAM through the simulator: the editor, the language
// switch, the debug window, the layer switches and the reset buttons, with
// the host's script engine and a scripted user.
#include "common/host_fixture.h"
#include "base/global_data.h"
#include "base/language.h"
#include "base/param_indices.h"
#include "testhost/host/aegp_refs.h"
#include "testhost/scripting/script_engine.h"
#include "ui/script_access.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

// The scripts run besides the reading of the scripting preference, which
// every user-interface command does.
std::vector<std::string> scriptsBesidesThePreference()
{
    std::vector<std::string> others;
    for (const std::string &s : qvh::host().scripts())
        if (s != qv::kScriptAccessPrefScript)
            others.push_back(s);
    return others;
}

const char kOk[] = "function (d, u) { u.click(u.find('button', 'Ok')); }";
const char kCancel[] = "function (d, u) { u.type(u.find('edittext'), 'not kept'); u.click(u.find('button', 'Cancel')); }";
std::string typing(const std::string &jsLiteral)
{
    return "function (d, u) { u.type(u.find('edittext'), " + jsLiteral + "); u.click(u.find('button', 'Ok')); }";
}

class UserChangedParamTest : public InstanceTest {
protected:
    void prepareHost() override
    {
        char pattern[] = "/tmp/qv-ui-XXXXXX";
        app_ = mkdtemp(pattern);
        mkdir((app_ + "/Plug-ins").c_str(), 0755);
        mkdir((app_ + "/Plug-ins/Tessmar").c_str(), 0755);
        qvh::host().appPath = std::u16string(app_.begin(), app_.end());
        qvh::installScriptEngine();
    }
    void TearDown() override
    {
        InstanceTest::TearDown();
        EXPECT_EQ(qvh::aegpRefs().liveEffects(), 0u) << "effect references left over";
        EXPECT_EQ(qvh::aegpRefs().liveStreams(), 0u) << "streams left over";
        std::system(("rm -rf '" + app_ + "'").c_str());
    }

    qvh::CommandResult edit(const std::string &user)
    {
        qvh::scriptEngine().setUser(user);
        return instance().userChangedParam(qv::kEditButtonParam);
    }
    static bool rerenders(const qvh::CommandResult &r) { return r.out.out_flags & PF_OutFlag_FORCE_RERENDER; }
    const qv::GlobalData &global() { return *static_cast<const qv::GlobalData *>(*effect().globalData()); }

    std::string app_;
};

TEST_F(UserChangedParamTest, OkStoresTheTypedCodeAndRendersAgain)
{
    qvh::CommandResult r = edit(typing("'void main(){ outColor = vec4(1.0); }'"));
    EXPECT_EQ(r.err, PF_Err_NONE) << r.message();
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "void main(){ outColor = vec4(1.0); }");
    EXPECT_TRUE(rerenders(r));
}

TEST_F(UserChangedParamTest, CancelAndAnUnchangedOkStoreNothing)
{
    std::string code = "a = 'b';\n\tc = \"d\\n\" \\ e; // \xC3\xA9t\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x8C\xB2";
    instance().setArbitraryText(qv::kCodeParam, code);
    for (const char *user : {kCancel, kOk}) {
        qvh::CommandResult r = edit(user);
        EXPECT_EQ(r.err, PF_Err_NONE) << r.message();
        EXPECT_FALSE(rerenders(r));
        EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), code);
    }
}

TEST_F(UserChangedParamTest, EmptyCodeIsStoredEvenWhenItWasEmpty)
{
    instance().setArbitraryText(qv::kCodeParam, "");
    qvh::CommandResult r = edit(kOk);
    EXPECT_TRUE(rerenders(r));
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "");
}

TEST_F(UserChangedParamTest, OkWithoutAnEditKeepsEveryStoredByte)
{
    const std::string codes[] = {
        std::string("ab\0cd", 5), std::string("\0tail", 5), "caf\xE9 \xFF\xC3", "\xF4\x8F\xB9\x80 \xED\xA0\x80",
        std::string("x\0\0\xE9\n'\"\\", 9),
    };
    for (const std::string &code : codes) {
        instance().setArbitraryText(qv::kCodeParam, code);
        qvh::CommandResult r = edit(kOk);
        EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), code);
        EXPECT_FALSE(rerenders(r));
    }
}

TEST_F(UserChangedParamTest, AnEditKeepsTheBytesTheUserLeftAlone)
{
    const char kAppend[] =
        "function (d, u) { var e = u.find('edittext'); u.type(e, e.text + 'X\u00e9'); u.click(u.find('button', 'Ok')); }";
    instance().setArbitraryText(qv::kCodeParam, std::string("ab\0cd \xE9\xFF", 8));
    edit(kAppend);
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), std::string("ab\0cd \xE9\xFFX\xC3\xA9", 11));
    // What the editor shows in place of a NUL or a stray byte can be deleted like any character.
    edit("function (d, u) { var e = u.find('edittext'); u.type(e, e.text.replace(/[\\udbff][\\ude00-\\udeff]/g, '')); "
         "u.click(u.find('button', 'Ok')); }");
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "abcd X\xC3\xA9");
}

TEST_F(UserChangedParamTest, ShadertoyCodeIsConvertedOnlyWhenTheEditorChangedIt)
{
    instance().setPopup(qv::kLanguageParam, qv::PopupValueOf(qv::Language::Shadertoy));
    instance().setArbitraryText(qv::kCodeParam, "float time;");
    edit(kOk);
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "float time;");
    edit(typing("'float time = iChannelTime[0];'"));
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "float qv_user_time = time;");
}

TEST_F(UserChangedParamTest, SwitchingToShadertoyRewritesTheStoredCode)
{
    instance().setArbitraryText(qv::kCodeParam, " vec4 c = texture(iChannel0, uv);");
    instance().setPopup(qv::kLanguageParam, qv::PopupValueOf(qv::Language::Lua));
    qvh::CommandResult r = instance().userChangedParam(qv::kLanguageParam);
    EXPECT_FALSE(rerenders(r));
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), " vec4 c = texture(iChannel0, uv);");
    instance().setPopup(qv::kLanguageParam, qv::PopupValueOf(qv::Language::Shadertoy));
    r = instance().userChangedParam(qv::kLanguageParam);
    EXPECT_TRUE(rerenders(r));
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), " vec4 c = texture(layer[0], qv_user_uv);");
    instance().userChangedParam(qv::kLanguageParam);
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), " vec4 c = texture(layer[0], qv_user_uv);");
}

TEST_F(UserChangedParamTest, SwitchingToShadertoyKeepsTheBytesAfterANul)
{
    instance().setArbitraryText(qv::kCodeParam, std::string("float a;\0 vec4 c = texture(iChannel0, uv);\0\xE9", 44));
    instance().setPopup(qv::kLanguageParam, qv::PopupValueOf(qv::Language::Shadertoy));
    qvh::CommandResult r = instance().userChangedParam(qv::kLanguageParam);
    EXPECT_EQ(r.err, PF_Err_NONE) << r.message();
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), std::string("float a;\0 vec4 c = texture(layer[0], qv_user_uv);\0\xE9", 51));
}

TEST_F(UserChangedParamTest, AFailedEditorKeepsTheCodeAndSaysWhy)
{
    instance().setArbitraryText(qv::kCodeParam, "keep me");
    std::ofstream(app_ + "/Plug-ins/Tessmar/broken.qvp") << "{not json";
    qvh::CommandResult r = edit(kOk);
    EXPECT_NE(r.err, PF_Err_NONE);
    EXPECT_EQ(r.message().rfind("The code editor failed and the code is unchanged: ", 0), 0u) << r.message();
    EXPECT_NE(r.message().find("SyntaxError"), std::string::npos) << r.message();
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "keep me");
    EXPECT_FALSE(rerenders(r));
}

TEST_F(UserChangedParamTest, AHostThatGivesNoResultOrFailsKeepsTheCode)
{
    instance().setArbitraryText(qv::kCodeParam, "keep me");
    qvh::host().faults.failFunction(qvh::kWithholdScriptResult, 1);
    qvh::CommandResult r = edit(typing("''"));
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_NE(r.message().find("the host returned no text"), std::string::npos) << r.message();
    qvh::host().faults.failFunction("AEGP_ExecuteScript", A_Err_GENERIC);
    EXPECT_EQ(edit(typing("''")).err, A_Err_GENERIC);
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "keep me");
}

TEST_F(UserChangedParamTest, PremiereGetsOnlyAMessage)
{
    qvh::host().applId = qv::kPremiereApplId;
    qvh::CommandResult r = edit(kOk);
    EXPECT_EQ(r.message(), "Premiere Pro is not supported yet.");
    EXPECT_TRUE(scriptsBesidesThePreference().empty());
}

TEST_F(UserChangedParamTest, TickingDebugOpensANewLogWindow)
{
    instance().setCheckbox(qv::kDebugParam, false);
    EXPECT_FALSE(rerenders(instance().userChangedParam(qv::kDebugParam)));
    EXPECT_EQ(global().debugWindowOpened.load(), 0);
    instance().setCheckbox(qv::kDebugParam, true);
    qvh::CommandResult r = instance().userChangedParam(qv::kDebugParam);
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_TRUE(rerenders(r));
    EXPECT_EQ(global().debugWindowOpened.load(), 1);
    EXPECT_EQ(qvh::scriptEngine().evaluate("__QUORVEL_DEBUG.window.visible"), "true");
    qvh::host().faults.failFunction("AEGP_ExecuteScript", A_Err_GENERIC);
    EXPECT_EQ(instance().userChangedParam(qv::kDebugParam).err, A_Err_GENERIC);
}

TEST_F(UserChangedParamTest, LoadLayerSwitchesOnlyAskForARender)
{
    for (PF_ParamIndex i = qv::kFirstLoadLayerParam; i < qv::kFirstLayerParam; ++i)
        EXPECT_TRUE(rerenders(instance().userChangedParam(i))) << i;
    for (PF_ParamIndex i : {0, 2, 5, 6, 15, 103, 114})
        EXPECT_EQ(instance().userChangedParam(i).out.out_flags, 0) << i;
    EXPECT_TRUE(scriptsBesidesThePreference().empty());
}

} // namespace
