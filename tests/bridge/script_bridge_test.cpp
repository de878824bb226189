#include "common/host_fixture.h"
#include "base/suite_access.h"
#include "testhost/scripting/script_engine.h"
#include "bridge/script_bridge.h"

#include <string>

namespace {

class ScriptBridgeTest : public HostTest {
protected:
    // Answers every script with `result` / `error` and code `err`.
    void answer(A_Err err, const std::string &result, const std::string &error)
    {
        qvh::host().scriptRunner = [=](const std::string &, std::string &r, std::string &e) {
            r = result;
            e = error;
            return err;
        };
    }
    qv::SuiteAccess &suites() { return *suites_; }
    void TearDown() override
    {
        suites_.reset();  /* releases the suites before the fixture counts them */
        HostTest::TearDown();
    }

private:
    std::unique_ptr<qv::SuiteAccess> suites_{new qv::SuiteAccess(qvh::host().suites.basicSuite())};
};

TEST_F(ScriptBridgeTest, RunScriptSendsTheTextAndReturnsTheHostCode)
{
    answer(A_Err_GENERIC, "ignored", "SyntaxError");
    EXPECT_EQ(qv::RunScript(suites(), "alert(\"\xC3\xA9\");"), A_Err_GENERIC);
    EXPECT_EQ(qvh::host().scripts(), std::vector<std::string>{"alert(\"\xC3\xA9\");"});
}

TEST_F(ScriptBridgeTest, ResultAndErrorTextsComeBackAndTheirHandlesAreFreed)
{
    answer(A_Err_NONE, "r\xE2\x82\xAC", "");
    qv::ScriptResult r = qv::RunScriptWithResult(suites(), "1+1");
    EXPECT_EQ(r.err, A_Err_NONE);
    EXPECT_TRUE(r.hasResult);
    EXPECT_EQ(r.result, "r\xE2\x82\xAC");
    EXPECT_EQ(r.error, "");
}

TEST_F(ScriptBridgeTest, AFailedRunKeepsTheHostsErrorText)
{
    answer(A_Err_GENERIC, "", "ReferenceError: x is not defined");
    qv::ScriptResult r = qv::RunScriptWithResult(suites(), "x");
    EXPECT_EQ(r.err, A_Err_GENERIC);
    EXPECT_EQ(r.error, "ReferenceError: x is not defined");
}

TEST_F(ScriptBridgeTest, NoHandlesFromTheHostGiveEmptyTexts)
{
    qvh::host().faults.failFunction("AEGP_ExecuteScript", A_Err_PARAMETER);
    qv::ScriptResult r = qv::RunScriptWithResult(suites(), "x");
    EXPECT_EQ(r.err, A_Err_PARAMETER);
    EXPECT_FALSE(r.hasResult);
    EXPECT_EQ(r.result, "");
    EXPECT_EQ(r.error, "");
}

TEST_F(ScriptBridgeTest, AWithheldResultIsToldFromAnEmptyOne)
{
    answer(A_Err_NONE, "", "");
    EXPECT_TRUE(qv::RunScriptWithResult(suites(), "''").hasResult);
    qvh::host().faults.failFunction(qvh::kWithholdScriptResult, 1);
    EXPECT_FALSE(qv::RunScriptWithResult(suites(), "''").hasResult);
}

TEST_F(ScriptBridgeTest, TheSimulatorsEngineAnswersWithItsResultsAndErrors)
{
    qvh::installScriptEngine();
    qv::ScriptResult ok = qv::RunScriptWithResult(suites(), "var s = '\\xE9\\u00e9'; s + '\xF0\x9F\x8C\xBD'");
    EXPECT_EQ(ok.result, "\xC3\xA9\xC3\xA9\xF0\x9F\x8C\xBD") << ok.error;
    qv::ScriptResult bad = qv::RunScriptWithResult(suites(), "undefinedHook('x');");
    EXPECT_EQ(bad.err, A_Err_GENERIC);
    EXPECT_NE(bad.error.find("ReferenceError"), std::string::npos) << bad.error;
}

TEST_F(ScriptBridgeTest, TheUtilitySuiteIsAcquiredOncePerCommand)
{
    qv::RunScript(suites(), "a");
    qv::RunScriptWithResult(suites(), "b");
    EXPECT_EQ(qvh::host().suites.acquisitions(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion6), 1);
}

TEST_F(ScriptBridgeTest, MissingSuitesThrow516BeforeAnyScriptRuns)
{
    qvh::host().faults.removeSuite(kAEGPMemorySuite);
    EXPECT_THROW(qv::RunScriptWithResult(suites(), "x"), PF_Err);
    qvh::host().faults.removeSuite(kAEGPUtilitySuite);
    EXPECT_THROW(qv::RunScript(suites(), "x"), PF_Err);
    EXPECT_TRUE(qvh::host().scripts().empty());
}

} // namespace
