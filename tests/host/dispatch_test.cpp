#include "common/host_fixture.h"

#include <string>

namespace {

using DispatchTest = HostTest;

TEST_F(DispatchTest, OptionsDialogShowsTheBetaMessage)
{
    qvh::CommandResult r = effect().command(PF_Cmd_DO_DIALOG);
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_EQ(r.message(),
              "This is a beta version.\nThe release version of Quorvel is not published. \n"
              "We plan to release Quorvel on one day of Nov. 2019.  ");
    EXPECT_EQ(r.out.out_flags, 0);
}

TEST_F(DispatchTest, UnusedAndUnknownCommandsReturnZeroAndTouchNothing)
{
    for (PF_Cmd cmd : {2, 10, 11, 12, 15, 16, 17, 18, 19, 20, 21, 25, 26, 27, 29, 31, 34, 1000}) {
        qvh::CommandResult r = effect().command(cmd);
        EXPECT_EQ(r.err, PF_Err_NONE) << cmd;
        EXPECT_EQ(r.message(), "") << cmd;
        EXPECT_EQ(qvh::host().suites.acquisitions(kPFANSISuite, 1), 0) << cmd;
    }
}

TEST_F(DispatchTest, MissingBasicSuiteBecomesErrorId516)
{
    PF_InData in = qvh::makeInData();
    in.pica_basicP = nullptr;
    qvh::CommandResult r = effect().command(PF_Cmd_DO_DIALOG, nullptr, nullptr, nullptr, &in);
    EXPECT_EQ(r.err, 516);
    EXPECT_EQ(r.message(), "Error Id : 516");
}

TEST_F(DispatchTest, MissingAnsiSuiteInOptionsIsReportedAsErrorId)
{
    qvh::host().faults.removeSuite(kPFANSISuite);
    qvh::CommandResult r = effect().command(PF_Cmd_DO_DIALOG);
    EXPECT_EQ(r.err, 516);
    EXPECT_EQ(r.message(), "Error Id : 516");
}

} // namespace
