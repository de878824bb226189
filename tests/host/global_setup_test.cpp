#include "common/effect_flags.h"
#include "common/host_fixture.h"
#include "base/global_data.h"
#include "support/platform.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every test gets a fresh per-user data folder.
class GlobalSetupTest : public HostTest {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qv-userdata-XXXXXX";
        userData_ = mkdtemp(pattern);
        setenv("XDG_DATA_HOME", userData_.c_str(), 1);
        HostTest::SetUp();
    }
    void TearDown() override
    {
        HostTest::TearDown();
        std::system(("rm -rf '" + userData_ + "'").c_str());
    }
    std::string probePath() const { return userData_ + "/Tessmar/Quorvel/test"; }
    const qv::GlobalData &global() const
    {
        return *static_cast<const qv::GlobalData *>(*effect_ref().globalData());
    }
    const qvh::Effect &effect_ref() const { return const_cast<GlobalSetupTest *>(this)->effect(); }

    std::string userData_;
};

TEST_F(GlobalSetupTest, ReportsVersionFlagsAndFillsGlobalData)
{
    qvh::host().appPath = u"/opt/It's \"Host\"";
    qvh::CommandResult r = effect().globalSetup();
    ASSERT_EQ(r.err, PF_Err_NONE) << r.message();
    EXPECT_EQ(r.out.my_version, 0x00080001u);
    EXPECT_EQ(r.out.out_flags, kEffectOutFlags);
    EXPECT_EQ(r.out.out_flags2, kEffectOutFlags2);
    EXPECT_EQ(effect().piplMismatch(), "");
    EXPECT_EQ(qvh::host().registeredNames(), std::vector<std::string>{"Quorvel"});
    EXPECT_EQ(global().pluginId, 1u);
    EXPECT_STREQ(global().pluginFolder, "/opt/It\\'s \\\"Host\\\"/Plug-ins");
    EXPECT_EQ(global().debugWindowOpened.load(), 0);
    EXPECT_EQ(qvh::host().optionsButtonName, "Test only");
    EXPECT_EQ(qvh::hostHandles().size(effect().globalData()), qv::kGlobalDataHandleSize);

    struct stat st;
    ASSERT_EQ(stat(probePath().c_str(), &st), 0) << "probe file missing";
    EXPECT_EQ(st.st_size, 0);
}

TEST_F(GlobalSetupTest, ProbeTruncatesAnExistingFileAndSucceedsAgain)
{
    ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
    effect().globalSetdown();
    std::ofstream(probePath()) << "leftover";
    ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
    struct stat st;
    ASSERT_EQ(stat(probePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
}

TEST_F(GlobalSetupTest, FailsWith514WhenTheProbeFileIsAFolder)
{
    std::system(("mkdir -p '" + probePath() + "'").c_str());
    qvh::CommandResult r = effect().globalSetup();
    EXPECT_EQ(r.err, 514);
    EXPECT_EQ(r.out.global_data, nullptr);
    EXPECT_EQ(qvh::host().optionsButtonName, "");  // no step after the failure
}

TEST_F(GlobalSetupTest, FailsWithOutOfMemoryWhenNoHandle)
{
    qvh::host().faults.failHandleAllocations(1);
    qvh::CommandResult r = effect().globalSetup();
    EXPECT_EQ(r.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(r.out.global_data, nullptr);
    EXPECT_TRUE(qvh::host().registeredNames().empty());
}

TEST_F(GlobalSetupTest, MissingEffectUISuiteGives516WithMessageAndFlag)
{
    qvh::host().faults.removeSuite(kPFEffectUISuite);
    qvh::CommandResult r = effect().globalSetup();
    EXPECT_EQ(r.err, 516);
    EXPECT_STREQ(r.out.return_msg, "Not able to acquire AEFX Suite.");
    EXPECT_TRUE(r.out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
}

TEST_F(GlobalSetupTest, HostErrorsOfThePathLookupAreTheResult)
{
    struct Case { const char *function; int err; };
    for (Case c : {Case{"AEGP_GetPluginPaths", 7}, Case{"AEGP_LockMemHandle", 3}}) {
        qvh::host().faults.clear();
        qvh::host().faults.failFunction(c.function, c.err);
        qvh::CommandResult r = effect().globalSetup();
        EXPECT_EQ(r.err, c.err) << c.function;
        EXPECT_EQ(r.out.global_data, nullptr) << c.function;
    }
}

TEST_F(GlobalSetupTest, MissingUtilitySuiteIsThrown516AsErrorId)
{
    qvh::host().faults.removeSuite(kAEGPUtilitySuite);
    qvh::CommandResult r = effect().globalSetup();
    EXPECT_EQ(r.err, 516);
    EXPECT_STREQ(r.out.return_msg, "Error Id : 516");
}

TEST_F(GlobalSetupTest, PremiereGetsUnfilledGlobalDataAndNoRegistration)
{
    qvh::host().applId = 0x50724D72;  // 'PrMr'
    qvh::CommandResult r = effect().globalSetup();
    ASSERT_EQ(r.err, PF_Err_NONE);
    ASSERT_NE(r.out.global_data, nullptr);
    EXPECT_TRUE(qvh::host().registeredNames().empty());
    EXPECT_EQ(qvh::host().optionsButtonName, "");
    EXPECT_EQ(global().pluginId, 0u);
    EXPECT_STREQ(global().pluginFolder, "");
}

TEST_F(GlobalSetupTest, OverlongFolderIsCutAtAWholeEscape)
{
    // 4045 units of "'" escape to 8090 bytes: the text must be cut to an
    // even number of bytes (whole "\'" pairs) that fits the field.
    qvh::host().appPath = std::u16string(5000, u'\'');
    ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
    std::string folder = global().pluginFolder;
    EXPECT_EQ(folder.size(), 4094u);
    EXPECT_EQ(folder.substr(0, 4), "\\'\\'");
    EXPECT_EQ(folder.back(), '\'');
}

TEST_F(GlobalSetupTest, AppPathIsCutAt4045UnitsBeforeTheFolderName)
{
    qvh::host().appPath = std::u16string(5000, u'a');
    ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
    EXPECT_EQ(std::string(global().pluginFolder), std::string(4045, 'a') + "/Plug-ins");
}

TEST_F(GlobalSetupTest, SetdownDisposesGlobalDataAndIgnoresAMissingOne)
{
    ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
    EXPECT_EQ(effect().globalSetdown().err, PF_Err_NONE);
    EXPECT_EQ(effect().command(PF_Cmd_GLOBAL_SETDOWN).err, PF_Err_NONE);  // none left: no-op
}

} // namespace

namespace {

TEST_F(GlobalSetupTest, FailsWith514WhenNoRoamingFolderCanBeHad)
{
    std::string blocker = userData_ + "/file";
    std::ofstream(blocker) << "x";
    setenv("XDG_DATA_HOME", (blocker + "/data").c_str(), 1);  // below a plain file
    qvh::CommandResult r = effect().globalSetup();
    EXPECT_EQ(r.err, 514);
    EXPECT_EQ(r.out.global_data, nullptr);
}

TEST_F(GlobalSetupTest, ForeignExceptionsBecomeAnInternalErrorAndLeakNothing)
{
    qvh::host().faults.throwFrom("AEGP_RegisterWithAEGP");
    qvh::CommandResult r = effect().globalSetup();
    EXPECT_EQ(r.err, PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(r.message(), "QUORVEL::INNER_ERROR: injected fault in AEGP_RegisterWithAEGP");
    EXPECT_EQ(r.out.global_data, nullptr);
}

} // namespace
