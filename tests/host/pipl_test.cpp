#include "common/effect_flags.h"
#include "testhost/host/pipl_reader.h"
#include "testhost/host/plugin.h"

#include <gtest/gtest.h>

namespace {

TEST(Pipl, BuiltResourceHoldsTheTwelveProperties)
{
    qvh::Pipl pipl = qvh::readPiplFile(qvh::piplPathFor(QV_PLUGIN_PATH));
    const char *keys[] = {"kind", "name", "catg", "8664", "ePVR", "eSVR",
                          "eVER", "eINF", "eGLO", "eGL2", "eMNA", "aeFL"};
    ASSERT_EQ(pipl.properties.size(), 12u);
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(pipl.properties[i].key, keys[i]);
        EXPECT_EQ(pipl.properties[i].vendor, "8BIM");
    }
    EXPECT_EQ(pipl.fourcc("kind"), "eFKT");
    EXPECT_EQ(pipl.pascalString("name"), "Quorvel");
    EXPECT_EQ(pipl.pascalString("catg"), "Tessmar");
    EXPECT_EQ(pipl.cString("8664"), "EntryPointFunc");
    EXPECT_EQ(pipl.u16("ePVR", 0), 2);
    EXPECT_EQ(pipl.u16("ePVR", 1), 0);
    EXPECT_EQ(pipl.u16("eSVR", 0), 13);
    EXPECT_EQ(pipl.u16("eSVR", 1), 15);
    EXPECT_EQ(pipl.u32("eVER"), 0x00080001u);
    EXPECT_EQ(pipl.find("eINF")->length, 2u);
    EXPECT_EQ(pipl.u32("eGLO"), uint32_t(kEffectOutFlags));
    EXPECT_EQ(pipl.u32("eGL2"), uint32_t(kEffectOutFlags2));
    EXPECT_EQ(pipl.pascalString("eMNA"), "Tessmar Quorvel");
    EXPECT_EQ(pipl.u32("aeFL"), 0u);
}

TEST(Pipl, MalformedResourcesAreRefusedWithAReason)
{
    struct Case { std::vector<uint8_t> bytes; const char *reason; };
    const Case cases[] = {
        {{}, "not a Windows PiPL"},
        {{1, 0, 0, 0, 0, 0, 1, 0, 0, 0}, "truncated"},
        {{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'M', 'I', 'B', '8', 'd', 'n', 'i', 'k', 0, 0, 0, 0, 64, 0, 0, 0},
         "overruns"},
    };
    for (const Case &c : cases) {
        try {
            qvh::parsePipl(c.bytes);
            ADD_FAILURE() << "accepted: " << c.reason;
        } catch (const std::runtime_error &e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

} // namespace
