// qvhost press: the reset buttons pressed on a saved project, end to end.
#include "common/filled_instance.h"
#include "common/host_fixture.h"
#include "common/run_command.h"
#include "base/param_indices.h"
#include "testhost/project/project_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <sys/wait.h>

namespace {

using nlohmann::json;

struct Button {
    const char *name;  // as qvhost is told it: a name or an index
    PF_ParamIndex first;
    int count;
};

const Button kGroupButtons[] = {
    {"'Reset all sliders'", qv::kFirstSliderParam, 10},
    {"'Reset all angles'", qv::kFirstAngleParam, 10},
    {"'Reset all points'", qv::kFirstPointParam, 10},
    {"53", qv::kFirstPoint3DParam, 10},
    {"'Reset all checkboxes'", qv::kFirstCheckboxParam, 10},
    {"'Reset all colors'", qv::kFirstColorParam, 10},
    {"92", qv::kFirstLoadLayerParam, 20},  // "Load layer" switches, then the layers
};

class QvhostPressTest : public InstanceTest {
protected:
    void SetUp() override
    {
        InstanceTest::SetUp();
        char pattern[] = "/tmp/qv-press-XXXXXX";
        dir_ = mkdtemp(pattern);
        project_ = dir_ + "/p.json";
    }
    void TearDown() override
    {
        std::system(("rm -rf '" + dir_ + "'").c_str());
        InstanceTest::TearDown();
    }

    // Saves the instance with every bank member, and every setting no button
    // resets, away from zero.
    void saveChangedProject()
    {
        fillEveryBankMemberAndSetting(instance(), "kept code");
        qvh::SaveProjectFile(project_, instance().toProject());
    }

    // Runs qvhost press on the project; its standard output and error.
    std::string press(const std::string &buttons, int *status)
    {
        CommandRun run = runCommand(std::string(QV_QVHOST_PATH) + " press '" + project_ + "' " + buttons + " 2>&1");
        *status = run.status;
        return run.output;
    }

    json saved()
    {
        std::ifstream in(project_);
        return json::parse(in);
    }

    // The saved value of disk ID `id` (the parameter index).
    static const json &value(const json &doc, A_long id)
    {
        for (const json &e : doc["params"])
            if (e["id"] == id)
                return e["value"];
        throw std::logic_error("no value for disk ID " + std::to_string(id));
    }

    static bool isZero(const json &v)
    {
        if (v.is_array()) {
            for (const json &c : v)
                if (c != 0)
                    return false;
            return true;
        }
        return v.is_boolean() ? !v.get<bool>() : v == 0;
    }

    // Whether exactly the parameters of `pressed` are zero in the saved project.
    void expectOnlyZeroed(const json &doc, const std::vector<const Button *> &pressed)
    {
        for (const Button &g : kGroupButtons) {
            bool reset = std::find(pressed.begin(), pressed.end(), &g) != pressed.end();
            for (int i = 0; i < g.count; ++i)
                EXPECT_EQ(isZero(value(doc, g.first + i)), reset) << g.name << " param " << g.first + i;
        }
    }

    void expectSettingsKept()
    {
        std::unique_ptr<qvh::Instance> loaded = qvh::Instance::fromProject(params(), qvh::LoadProjectFile(project_));
        EXPECT_EQ(loaded->arbitraryText(qv::kCodeParam), "kept code");
        EXPECT_EQ(loaded->param(qv::kLanguageParam).u.pd.value, 3);
        EXPECT_EQ(loaded->param(qv::kWrapUParam).u.pd.value, 2);
        EXPECT_EQ(loaded->param(qv::kDebugParam).u.bd.value, 1);
    }

    static int count(const std::string &text, const std::string &what)
    {
        int n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }

    std::string dir_, project_;
};

const char kUndoStep[] = "undo step \"Reset parameters of Quorvel\\n\"";

TEST_F(QvhostPressTest, EachResetButtonZeroesItsGroupInOneUndoStep)
{
    for (const Button &b : kGroupButtons) {
        saveChangedProject();
        int status = -1;
        std::string out = press(b.name, &status);
        ASSERT_EQ(status, 0) << b.name << ": " << out;
        EXPECT_EQ(count(out, kUndoStep), 1) << out;
        EXPECT_EQ(count(out, " -> "), b.count) << out;  // one line per changed value
        expectOnlyZeroed(saved(), {&b});
        expectSettingsKept();
    }
}

TEST_F(QvhostPressTest, ResettingColorsMakesThemTransparentBlack)
{
    saveChangedProject();
    int status = -1;
    std::string out = press("'Reset all colors'", &status);
    ASSERT_EQ(status, 0) << out;
    json doc = saved();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(value(doc, qv::kFirstColorParam + i), json::array({0, 0, 0, 0}));  // alpha too, not opaque
    EXPECT_NE(out.find("ARGB (255, 10, 20, 30) -> ARGB (0, 0, 0, 0)"), std::string::npos) << out;
}

TEST_F(QvhostPressTest, ResetAllZeroesEightyParametersInOneUndoStep)
{
    saveChangedProject();
    int status = -1;
    std::string out = press("'Reset all parameters'", &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(count(out, kUndoStep), 1) << out;
    EXPECT_EQ(count(out, " -> "), 80) << out;
    std::vector<const Button *> all;
    for (const Button &b : kGroupButtons)
        all.push_back(&b);
    expectOnlyZeroed(saved(), all);
    expectSettingsKept();
}

TEST_F(QvhostPressTest, ButtonsArePressedInTurnEachItsOwnUndoStep)
{
    saveChangedProject();
    int status = -1;
    std::string out = press("'Reset all sliders' 79", &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(count(out, kUndoStep), 2) << out;
    EXPECT_LT(out.find("pressed 14 \"Reset all sliders\""), out.find("pressed 79 \"Reset all colors\"")) << out;
    expectOnlyZeroed(saved(), {&kGroupButtons[0], &kGroupButtons[5]});
}

TEST_F(QvhostPressTest, WhatIsNoButtonIsRefusedAndTheProjectKept)
{
    const char *const mistakes[] = {"'Slider 0'", "15", "'Reset everything'", "999", "'Reset all sliders' 2"};
    saveChangedProject();
    std::ifstream in(project_);
    std::stringstream before;
    before << in.rdbuf();
    for (const char *mistake : mistakes) {
        int status = -1;
        std::string out = press(mistake, &status);
        EXPECT_EQ(status, 2) << mistake << ": " << out;
        EXPECT_EQ(out.rfind("qvhost: ", 0), 0u) << mistake << ": " << out;
        std::ifstream after(project_);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(after), {}), before.str()) << mistake;
    }
}

} // namespace
