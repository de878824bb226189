#include "common/host_fixture.h"
#include "base/param_indices.h"
#include "testhost/project/base64.h"
#include "testhost/project/project_file.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

using nlohmann::json;

class ProjectFileTest : public InstanceTest {
protected:
    std::string path(const char *name) { return ::testing::TempDir() + "qv_" + name + ".json"; }

    // The instance's project as JSON, edited by `edit`, then loaded back.
    void loadEdited(const std::function<void(json &)> &edit)
    {
        json doc = json::parse(qvh::ProjectToJson(instance().toProject()));
        edit(doc);
        instance().loadProject(qvh::ProjectFromJson(doc.dump()));
    }

    // Finds the entry of disk ID `id` in a project document.
    static json &entry(json &doc, A_long id)
    {
        for (json &e : doc["params"])
            if (e["id"] == id)
                return e;
        throw std::logic_error("no entry for disk ID " + std::to_string(id));
    }
};

const std::string kAwkwardCode =
    std::string("// it's \"quoted\", back\\slashed,\ttabbed\r\n") + "vec3 caf\xC3\xA9 = vec3(0.0); // \xE2\x82\xAC \xF0\x9F\x8E\xA8\n" +
    '\0' + "after the NUL\n";

TEST(Base64, RoundTripsEveryLength)
{
    std::string bytes;
    for (int n = 0; n < 40; ++n) {
        std::string text = qvh::Base64Encode(bytes);
        std::string back;
        std::size_t where = 0;
        EXPECT_TRUE(qvh::Base64Decode(text, &back, &where)) << text;
        EXPECT_EQ(back, bytes);
        bytes += char(n * 37 + 200);
    }
    EXPECT_EQ(qvh::Base64Encode(std::string("abc\0", 4)), "YWJjAA==");
}

TEST(Base64, RefusesAnythingButCanonicalText)
{
    for (const char *bad : {"YWJjAA=", "YWJj AA==", "YW=jAA==", "YWJjA===", "YWJjAB==", "YWJ*", "====", "\"x\""}) {
        std::string bytes;
        std::size_t where = 99;
        EXPECT_FALSE(qvh::Base64Decode(bad, &bytes, &where)) << bad;
        EXPECT_LE(where, std::string(bad).size()) << bad;
    }
}

TEST_F(ProjectFileTest, CodeWithEveryAwkwardByteLoadsBackTheSame)
{
    instance().setArbitraryText(qv::kCodeParam, kAwkwardCode);
    qvh::SaveProjectFile(path("awkward"), instance().toProject());
    std::unique_ptr<qvh::Instance> loaded = qvh::Instance::fromProject(params(), qvh::LoadProjectFile(path("awkward")));
    EXPECT_EQ(loaded->arbitraryText(qv::kCodeParam), kAwkwardCode);
    std::remove(path("awkward").c_str());
}

TEST_F(ProjectFileTest, EveryValueRoundTripsByDiskId)
{
    instance().setFloat(qv::kFirstSliderParam + 2, 0.1);
    instance().setFloat(qv::kFirstSliderParam + 3, -999999999.5);
    instance().setAngle(qv::kFirstAngleParam, -(45 << 16) - 1);
    instance().setPoint(qv::kFirstPointParam + 9, 0x7FFFFFFF, -0x7FFFFFFF - 1);
    instance().setPoint3D(qv::kFirstPoint3DParam + 1, 0.1, 1e300, -0.0);
    instance().setCheckbox(qv::kDebugParam, true);
    instance().setPopup(qv::kWrapVParam, 3);
    instance().setColor(qv::kFirstColorParam + 5, PF_Pixel{0, 1, 2, 255});
    instance().setCheckbox(qv::kFirstLoadLayerParam + 8, true);
    instance().setLayer(qv::kFirstLayerParam + 8, 3);
    qvh::Project saved = qvh::ProjectFromJson(qvh::ProjectToJson(instance().toProject()));
    std::unique_ptr<qvh::Instance> loaded = qvh::Instance::fromProject(params(), saved);
    for (PF_ParamIndex i = 1; i < instance().count(); ++i) {
        PF_ParamDef a = instance().param(i), b = loaded->param(i);
        if (a.param_type == PF_Param_ARBITRARY_DATA)
            continue;
        EXPECT_EQ(std::memcmp(&a.u, &b.u, sizeof a.u), 0) << "index " << i;
        EXPECT_EQ(instance().layer(i), loaded->layer(i)) << "index " << i;
    }
    EXPECT_EQ(loaded->arbitraryText(qv::kCodeParam), instance().arbitraryText(qv::kCodeParam));
    EXPECT_EQ(loaded->flattenedSequenceData(), std::string(11, '\0'));
}

TEST_F(ProjectFileTest, TheFileCarriesVersionEffectAndDiskIds)
{
    json doc = json::parse(qvh::ProjectToJson(instance().toProject()));
    EXPECT_EQ(doc["format"], "qvhost project");
    EXPECT_EQ(doc["version"], 1);
    EXPECT_EQ(doc["effect"], "Tessmar Quorvel");
    EXPECT_EQ(doc["params"].size(), 3u + 4u + 60u + 20u);  /* code, Debug, Language; samplers; banks; layers */
    EXPECT_EQ(entry(doc, 2)["type"], "arbitrary data");
    EXPECT_EQ(entry(doc, 2)["flat"], qvh::Base64Encode(std::string("void main(){\noutColor = getColor(uv);\n}") + '\0'));
    EXPECT_EQ(entry(doc, 28)["value"], 0.0);
    EXPECT_EQ(doc["sequence_data"], qvh::Base64Encode(std::string(11, '\0')));
}

TEST_F(ProjectFileTest, AProjectFromTheFirstFormatStillLoads)
{
    std::unique_ptr<qvh::Instance> loaded =
        qvh::Instance::fromProject(params(), qvh::LoadProjectFile(QV_TEST_DATA_DIR "/projects/version1.json"));
    EXPECT_EQ(loaded->arbitraryText(qv::kCodeParam), "void main(){\n  outColor = vec4(getColor(uv).rgb * slider[0], 1.0); // it's \"1\"\n}");
    EXPECT_EQ(loaded->param(qv::kFirstSliderParam).u.fs_d.value, 0.5);
    EXPECT_EQ(loaded->param(qv::kFirstAngleParam + 1).u.ad.value, 90 << 16);
    EXPECT_EQ(loaded->param(qv::kFirstPointParam).u.td.x_value, 0x18000);
    EXPECT_EQ(loaded->param(qv::kLanguageParam).u.pd.value, 3);
    EXPECT_EQ(loaded->param(qv::kFirstColorParam).u.cd.value.red, 200);
    EXPECT_EQ(loaded->layer(qv::kFirstLayerParam + 2), 2);
    EXPECT_EQ(loaded->param(qv::kFirstSliderParam + 1).u.fs_d.value, 0.0);  /* not in the file: default */
}

TEST_F(ProjectFileTest, MissingCodeAndSequenceDataTakeFreshOnes)
{
    loadEdited([](json &doc) {
        json kept = json::array();
        for (json &e : doc["params"])
            if (e["id"] != 2)
                kept.push_back(e);
        doc["params"] = kept;
        doc.erase("sequence_data");
    });
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "void main(){\noutColor = getColor(uv);\n}");
    EXPECT_EQ(instance().flattenedSequenceData(), std::string(11, '\0'));
}

struct Damage {
    const char *what;
    std::function<void(json &)> edit;
    const char *message;  // what the refusal must say
};

TEST_F(ProjectFileTest, DamagedProjectsAreRefusedNamingTheProblemAndChangeNothing)
{
    const Damage damages[] = {
        {"unknown disk ID", [](json &d) { d["params"].push_back({{"id", 999}, {"type", "checkbox"}, {"value", true}}); },
         "unknown disk ID 999"},
        {"wrong value type", [](json &d) { entry(d, 15)["value"] = "half"; },
         "disk ID 15 \"value\": must be a number, not a string"},
        {"wrong parameter type", [](json &d) { entry(d, 15)["type"] = "checkbox"; entry(d, 15)["value"] = true; },
         "disk ID 15 (\"Slider 0\"): is a float slider but the project holds a checkbox"},
        {"unknown type", [](json &d) { entry(d, 15)["type"] = "knob"; }, "disk ID 15: unknown type \"knob\""},
        {"code not base64", [](json &d) { entry(d, 2)["flat"] = "not*base64"; },
         "disk ID 2 \"flat\": is not valid base64"},
        {"code not text", [](json &d) { entry(d, 2)["flat"] = 42; },
         "disk ID 2 \"flat\": must be base64 text, not a number"},
        {"code missing", [](json &d) { entry(d, 2).erase("flat"); }, "disk ID 2: has no \"flat\""},
        {"sequence not base64", [](json &d) { d["sequence_data"] = "A"; }, "\"sequence_data\": is not valid base64"},
        {"newer version", [](json &d) { d["version"] = 2; }, "format version 2 is newer than this qvhost reads (1)"},
        {"version 0", [](json &d) { d["version"] = 0; }, "format version 0 does not exist: versions count from 1"},
        {"no version", [](json &d) { d.erase("version"); }, "has no \"version\""},
        {"not a project", [](json &d) { d["format"] = "something else"; }, "not a project"},
        {"other effect", [](json &d) { d["effect"] = "Other Effect"; },
         "the project is for the effect \"Other Effect\", not \"Tessmar Quorvel\""},
        {"duplicate", [](json &d) { d["params"].push_back(entry(d, 3)); }, "disk ID 3: appears twice"},
        {"popup above range", [](json &d) { entry(d, 4)["value"] = 4; }, "choice 4 is not between 1 and 3"},
        {"popup below range", [](json &d) { entry(d, 4)["value"] = 0; }, "choice 0 is not between 1 and 3"},
        {"layer above range", [](json &d) { entry(d, 103)["value"] = 11; }, "layer 11 is not between 0 (none) and 10"},
        {"layer below range", [](json &d) { entry(d, 103)["value"] = -1; }, "layer -1 is not between 0 (none) and 10"},
        {"angle not 16.16", [](json &d) { entry(d, 28)["value"] = 0.1; }, "0.1 is not a 16.16 fixed-point value"},
        {"short point", [](json &d) { entry(d, 41)["value"] = json::array({1}); }, "must be a list of 2 numbers"},
        {"color channel above range", [](json &d) { entry(d, 80)["value"] = json::array({255, 0, 0, 256}); },
         "has a channel outside 0 to 255"},
        {"color channel below range", [](json &d) { entry(d, 80)["value"] = json::array({-1, 0, 0, 0}); },
         "has a channel outside 0 to 255"},
        {"slider above range", [](json &d) { entry(d, 16)["value"] = 1000000000.5; }, "is outside the valid range"},
        {"slider below range", [](json &d) { entry(d, 16)["value"] = -1000000000.5; }, "is outside the valid range"},
        {"no value", [](json &d) { d["params"].push_back({{"id", 1}, {"type", "checkbox"}, {"value", true}}); },
         "is a button and holds no value"},
        {"params not a list", [](json &d) { d["params"] = 5; }, "\"params\": must be a list, not a number"},
    };
    instance().setArbitraryText(qv::kCodeParam, "kept code");
    instance().setFloat(qv::kFirstSliderParam, 0.5);
    PF_ArbitraryH code = instance().arbitraryHandle(qv::kCodeParam);
    PF_Handle sequence = instance().sequenceData();
    for (const Damage &d : damages) {
        try {
            loadEdited(d.edit);
            ADD_FAILURE() << d.what << ": loaded";
        } catch (const qvh::ProjectError &e) {
            EXPECT_NE(std::string(e.what()).find(d.message), std::string::npos) << d.what << ": " << e.what();
        }
        EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "kept code") << d.what;
        EXPECT_EQ(instance().arbitraryHandle(qv::kCodeParam), code) << d.what;
        EXPECT_EQ(instance().sequenceData(), sequence) << d.what;
        EXPECT_EQ(instance().param(qv::kFirstSliderParam).u.fs_d.value, 0.5) << d.what;
    }
}

// The other side of each range the damage table crosses: its ends load.
TEST_F(ProjectFileTest, TheEndsOfEveryRangeLoad)
{
    loadEdited([](json &d) {
        entry(d, 4)["value"] = 1;
        entry(d, 6)["value"] = 3;
        entry(d, 103)["value"] = 10;
        entry(d, 104)["value"] = 0;
        entry(d, 80)["value"] = json::array({0, 255, 0, 255});
        entry(d, 15)["value"] = -1000000000.0;
        entry(d, 16)["value"] = 1000000000.0;
    });
    EXPECT_EQ(instance().param(qv::kLanguageParam).u.pd.value, 1);
    EXPECT_EQ(instance().param(qv::kWrapUParam).u.pd.value, 3);
    EXPECT_EQ(instance().layer(qv::kFirstLayerParam), 10);
    EXPECT_EQ(instance().layer(qv::kFirstLayerParam + 1), 0);
    PF_Pixel c = instance().param(qv::kFirstColorParam).u.cd.value;
    EXPECT_EQ((std::vector<int>{c.alpha, c.red, c.green, c.blue}), (std::vector<int>{0, 255, 0, 255}));
    EXPECT_EQ(instance().param(qv::kFirstSliderParam).u.fs_d.value, -1000000000.0);
    EXPECT_EQ(instance().param(qv::kFirstSliderParam + 1).u.fs_d.value, 1000000000.0);
}

TEST_F(ProjectFileTest, TruncatedOrBrokenFilesAreRefused)
{
    std::string text = qvh::ProjectToJson(instance().toProject());
    for (std::size_t cut : {std::size_t(0), std::size_t(1), text.size() / 2, text.size() - 3}) {
        try {
            qvh::ProjectFromJson(text.substr(0, cut));
            ADD_FAILURE() << "cut at " << cut;
        } catch (const qvh::ProjectError &e) {
            EXPECT_EQ(std::string(e.what()).find("not valid JSON"), 0u) << e.what();
        }
    }
    EXPECT_THROW(qvh::ProjectFromJson("[1, 2]"), qvh::ProjectError);
    EXPECT_THROW(qvh::LoadProjectFile(path("does_not_exist")), qvh::ProjectError);
}

// Files the fuzzer wrote: each is refused as a project error with a message,
// never with another exception.
TEST_F(ProjectFileTest, HostileFilesAreRefusedAsProjectErrors)
{
    struct Hostile { const char *text, *message; };
    const Hostile files[] = {
        {"{\"format\":\"qvhost project\",\"version\":1,\"effect\":\"Tessmar Quorvel\",\"params\":"
         "[{\"id\":55,\"type\":\"3D point\",\"value\":[1e600,-2.5,0]}]}",
         "not valid JSON: number overflow parsing '1e600'"},
    };
    for (const Hostile &f : files) {
        try {
            instance().loadProject(qvh::ProjectFromJson(f.text));
            ADD_FAILURE() << f.text;
        } catch (const qvh::ProjectError &e) {
            EXPECT_NE(std::string(e.what()).find(f.message), std::string::npos) << e.what();
        }
    }
}

TEST_F(ProjectFileTest, AFileErrorNamesTheFile)
{
    std::string file = path("broken");
    std::ofstream(file) << "{\"format\": \"qvhost project\", ";
    try {
        qvh::LoadProjectFile(file);
        ADD_FAILURE();
    } catch (const qvh::ProjectError &e) {
        EXPECT_EQ(std::string(e.what()).find(file + ": not valid JSON"), 0u) << e.what();
    }
    std::remove(file.c_str());
}

TEST_F(ProjectFileTest, AProjectTheEffectRefusesChangesNothing)
{
    instance().setArbitraryText(qv::kCodeParam, "kept code");
    qvh::Project project = instance().toProject();
    qvh::host().faults.failMemoryAllocations(1);  /* UNFLATTEN cannot make its block */
    EXPECT_THROW(instance().loadProject(project), qvh::HostCommandError);
    qvh::host().faults.clear();
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "kept code");
}

TEST_F(ProjectFileTest, LoadingReplacesTheWholeState)
{
    std::unique_ptr<qvh::Instance> other = instance().duplicate();
    other->setArbitraryText(qv::kCodeParam, "other code");
    other->setCheckbox(qv::kFirstCheckboxParam, true);
    instance().setFloat(qv::kFirstSliderParam, 0.5);
    instance().loadProject(other->toProject());
    EXPECT_EQ(instance().arbitraryText(qv::kCodeParam), "other code");
    EXPECT_EQ(instance().param(qv::kFirstCheckboxParam).u.bd.value, 1);
    EXPECT_EQ(instance().param(qv::kFirstSliderParam).u.fs_d.value, 0.0);
}

} // namespace
