// qvhost params and qvhost project, run as a user runs them.
#include "common/run_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct ToolRun {
    int status;
    std::string out;
};

ToolRun qvhost(const std::string &args)
{
    CommandRun run = runCommand(std::string(QV_QVHOST_PATH) + " " + args + " 2>&1");
    return {run.status, run.output};
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        all.push_back(line);
    return all;
}

TEST(QvhostParams, Lists115ParametersWithTheirDiskIdsNamesAndFlags)
{
    ToolRun run = qvhost("params");
    ASSERT_EQ(run.status, 0) << run.out;
    std::vector<std::string> rows = lines(run.out);
    ASSERT_EQ(rows.size(), 117u) << run.out;  /* heading, 115 rows, summary */
    EXPECT_EQ(rows.back(), "115 parameters; num_params 115");
    EXPECT_NE(rows[3].find("    2       2  arbitrary data 0x00000002 0x00000208  Expression"), std::string::npos)
        << rows[3];
    EXPECT_NE(rows[3].find("\"void main(){\\noutColor = getColor(uv);\\n}\" (flat size 40)"), std::string::npos);
    EXPECT_NE(rows[11].find("   10      10  group end"), std::string::npos) << rows[11];
    EXPECT_NE(rows[16].find("   15      15  float slider   0x00000000 0x00000000  Slider 0 "), std::string::npos);
    EXPECT_NE(rows[113].find("  112     112  layer          0x00000000 0x00000020  Layer 9 "), std::string::npos);
    EXPECT_NE(rows[5].find("Language               1 (GLSL (GPU)) of 3"), std::string::npos) << rows[5];
}

TEST(QvhostParams, ABadPluginPathFailsWithAMessage)
{
    ToolRun run = qvhost("params /nonexistent/Quorvel.aex");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.out.find("qvhost: "), std::string::npos) << run.out;
}

TEST(QvhostProject, NewSetCodeAndShowRoundTripTheCode)
{
    std::string project = ::testing::TempDir() + "qv_cli_project.json";
    std::string codeFile = ::testing::TempDir() + "qv_cli_code.glsl";
    std::ofstream(codeFile) << "void main(){ outColor = vec4(1.0, 0.5, 0.0, 1.0); } // it's \"orange\"\n";
    ASSERT_EQ(qvhost("project new " + project).status, 0);
    ToolRun show = qvhost("project show " + project);
    EXPECT_EQ(show.status, 0) << show.out;
    EXPECT_NE(show.out.find("code (39 bytes):\nvoid main(){\noutColor = getColor(uv);\n}"), std::string::npos)
        << show.out;
    ASSERT_EQ(qvhost("project set-code " + project + " " + codeFile).status, 0);
    show = qvhost("project show " + project);
    EXPECT_NE(show.out.find("// it's \"orange\"\n"), std::string::npos) << show.out;
    std::ofstream(project) << "{ \"format\": \"qvhost project\", \"version\": 7 }";
    ToolRun bad = qvhost("project show " + project);
    EXPECT_NE(bad.status, 0);
    EXPECT_NE(bad.out.find("format version 7 is newer than this qvhost reads (1)"), std::string::npos) << bad.out;
    std::remove(project.c_str());
    std::remove(codeFile.c_str());
}

} // namespace
