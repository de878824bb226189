// `ch`, `getColor`, `setColor` and `in2out`.
#include "common/lua_fixture.h"

#include <cmath>

namespace {

class PixelTest : public LuaTest {
protected:
    void SetUp() override
    {
        LuaTest::SetUp();
        for (int i = 0; i < 10; ++i) {
            params_.sliders[i] = 10 + i;
            params_.angles[i] = 20 + i;
            params_.checkboxes[i] = i % 2;
            params_.points[i][0] = 30 + i;
            params_.points[i][1] = 40 + i;
            params_.points3d[i][0] = 50 + i;
            params_.points3d[i][1] = 60 + i;
            params_.points3d[i][2] = 70 + i;
            params_.colors[i][0] = 0.25;
            params_.colors[i][1] = 0.5;
            params_.colors[i][2] = 0.75;
            params_.colors[i][3] = 1.0;
        }
    }
    // All results of `call`, joined by spaces.
    std::string values(const std::string &call)
    {
        auto m = run("return table.concat(table.pack(" + call + "), ' ')");
        return m ? *m : "<none>";
    }
};

struct ErrorCase {
    const char *script;
    const char *message;
};

const ErrorCase kErrorCases[] = {
    {"qv.ch('slider', 1.0)", "Wrong parameter type: An integer should be sent"},
    {"qv.ch('slider', '1')", "Wrong parameter type: An integer should be sent"},
    {"qv.ch('slider', 10)", "Index should be an integer in range 0~9."},
    {"qv.ch('slider', -1)", "Index should be an integer in range 0~9."},
    {"qv.ch('slider', math.mininteger)", "Index should be an integer in range 0~9."},
    {"qv.ch('point', 3, 2)", "Dimension should be an integer in range 0~1."},
    {"qv.ch('point', 3, -1)", "Dimension should be an integer in range 0~1."},
    {"qv.ch('point', 3, 1.0)", "Wrong parameter type: An integer should be sent"},
    {"qv.ch('3d', 3, 3)", "Dimension should be an integer in range 0~2."},
    {"qv.ch('3d', 3, -1)", "Dimension should be an integer in range 0~2."},
    {"qv.ch('color', 2, 3)", "Color channel should be an integer in range 0~2 (0:R, 1:G, 2:B)."},
    {"qv.ch('color', 2, -1)", "Color channel should be an integer in range 0~2 (0:R, 1:G, 2:B)."},
    {"qv.ch('c', 0)", "Wrong param name."},
    {"qv.ch('', 0)", "Wrong param name."},
    {"qv.ch('xyz', 0)", "Wrong param name."},
    {"qv.ch(nil, 0)", "Wrong parameter type: A string should be sent"},
    {"qv.ch({}, 0)", "Wrong parameter type: A string should be sent"},
    {"qv.ch('slider')",
     "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of a slider."},
    {"qv.ch('angle')",
     "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of an angle."},
    {"qv.ch('checkbox')",
     "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of a checkbox."},
    {"qv.ch('point')",
     "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of a point."},
    {"qv.ch('3')",
     "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of a 3D point."},
    {"qv.ch('color')",
     "Arguments were not enough, you should specify an index ( 0 ~ 9 ) when you want to use a value of a color."},
    {"qv.ch('layer', 0, 1)",
     "Arguments were not enough, you should specify an index of layer and the xy coordinate when you want to use a "
     "color of a layer."},
    {"qv.ch('layer', 10, 0, 0)", "Index should be an integer in range -2~9."},
    {"qv.ch('layer', -3, 0, 0)", "Index should be an integer in range -2~9."},
    {"qv.ch('layer', 0.0, 0, 0)", "Wrong parameter type: An integer should be sent"},
    {"qv.ch('layer', 0, 'x', 0)", "Wrong parameter type: A number should be sent"},
    {"qv.ch('layer', 0, 0, nil)", "Wrong parameter type: A number should be sent"},
    {"qv.getColor(0)",
     "Arguments were not enough, you should specify (an index of layer) and the xy coordinate when you want to use a "
     "color of a layer."},
    {"qv.getColor()",
     "Arguments were not enough, you should specify (an index of layer) and the xy coordinate when you want to use a "
     "color of a layer."},
    {"qv.getColor(0, {})", "Wrong parameter type: A number should be sent"},
    {"qv.getColor(1.5, 0, 0)", "Wrong parameter type: An integer should be sent"},
    {"qv.getColor(-3, 0, 0)", "Index should be an integer in range -2~9."},
    {"qv.getColor(10, 0, 0)", "Index should be an integer in range -2~9."},
    {"qv.getColor(0, 0, 'y')", "Wrong parameter type: A number should be sent"},
    {"qv.setColor('x', 0, 1, 1, 1, 1)", "Wrong parameter type: A number should be sent"},
    {"qv.setColor(0, true, 1, 1, 1, 1)", "Wrong parameter type: A number should be sent"},
    {"qv.setColor(1, 1, 'x', 0, 0, 0)", "Wrong parameter type: A number should be sent"},
    {"qv.setColor(1, 1, 0, 0, 0, nil)", "Wrong parameter type: A number should be sent"},
};

TEST_F(PixelTest, EveryArgumentErrorHasItsExactMessage)
{
    for (const ErrorCase &c : kErrorCases)
        EXPECT_EQ(error(c.script), c.message) << c.script;
}

TEST_F(PixelTest, ChReadsEveryKind)
{
    EXPECT_EQ(values("qv.ch('slider', 1)"), "11.0");
    EXPECT_EQ(values("qv.ch('Slider', 9)"), "19.0");
    EXPECT_EQ(values("qv.ch('s', 0, 'ignored')"), "10.0");
    EXPECT_EQ(values("qv.ch('angle', 2)"), "22.0");
    EXPECT_EQ(values("qv.ch('checkbox', 3)"), "1.0");
    EXPECT_EQ(values("qv.ch('CH', 2)"), "0.0");
    EXPECT_EQ(values("qv.ch('point', 3)"), "33.0 43.0");
    EXPECT_EQ(values("qv.ch('point', 3, 1)"), "43.0");
    EXPECT_EQ(values("qv.ch('point3d', 3)"), "33.0 43.0");  // begins with p
    EXPECT_EQ(values("qv.ch('3', 0)"), "50.0 60.0 70.0");
    EXPECT_EQ(values("qv.ch(3, 0)"), "50.0 60.0 70.0");
    EXPECT_EQ(values("qv.ch('3D', 1, 2)"), "71.0");
    EXPECT_EQ(values("qv.ch('xo', 0)"), "0.25 0.5 0.75");
    EXPECT_EQ(values("qv.ch('colour', 2)"), "0.25 0.5 0.75");
    EXPECT_EQ(values("qv.ch('color', 2, 1)"), "0.5");
    EXPECT_EQ(values("qv.ch('color', 2, 0)") + values("qv.ch('color', 2, 2)"), "0.250.75");  // both ends
    EXPECT_EQ(values("qv.ch('point', 0, 0)") + values("qv.ch('3D', 9, 0)"), "30.059.0");
}

TEST_F(PixelTest, ChReadsLayersLikeGetColor)
{
    input_->set<uint8_t>(1, 2, 255, 0, 51, 102);
    EXPECT_EQ(values("qv.ch('layer', -1, 1, 2)"), "1.0 0.0 0.2 0.4");
    EXPECT_EQ(values("qv.ch('Layer', 5, 1, 2)"), "0.0 0.0 0.0 0.0");  // no layer loaded
}

TEST_F(PixelTest, MissingParametersReadAsZeros)
{
    pc().params = nullptr;
    EXPECT_EQ(values("qv.ch('slider', 1)"), "0.0");
}

TEST_F(PixelTest, GetColorReadsInputOutputAndLayers)
{
    TestWorld layer3(4, 3, 8);
    layer(3, layer3);
    input_->set<uint8_t>(0, 0, 255, 255, 0, 0);
    output_->set<uint8_t>(0, 0, 0, 0, 255, 0);
    layer3.set<uint8_t>(3, 2, 0, 0, 0, 255);
    EXPECT_EQ(values("qv.getColor(0, 0)"), "1.0 1.0 0.0 0.0");
    EXPECT_EQ(values("qv.getColor(-1, 0, 0)"), "1.0 1.0 0.0 0.0");
    EXPECT_EQ(values("qv.getColor(-2, 0, 0)"), "0.0 0.0 1.0 0.0");
    EXPECT_EQ(values("qv.getColor(3, 3, 2)"), "0.0 0.0 0.0 1.0");
    EXPECT_EQ(values("qv.getColor(3, '3', '2')"), "0.0 0.0 0.0 1.0");  // numeric strings pass
    EXPECT_EQ(values("qv.getColor(4, 3, 2)"), "0.0 0.0 0.0 0.0");
}

// -2 and 9 are the ends of the layer index range: both read their buffer.
TEST_F(PixelTest, LastLayerIsReadable)
{
    TestWorld layer9(4, 3, 8);
    layer(9, layer9);
    layer9.set<uint8_t>(1, 1, 255, 0, 255, 0);
    EXPECT_EQ(values("qv.getColor(9, 1, 1)"), "1.0 0.0 1.0 0.0");
    EXPECT_EQ(values("qv.ch('layer', 9, 1, 1)"), "1.0 0.0 1.0 0.0");
}

TEST_F(PixelTest, ReadsOutsideTheFrameAreZeros)
{
    input_->set<uint8_t>(3, 2, 255, 255, 255, 255);
    EXPECT_EQ(values("qv.getColor(width, 0)"), "0.0 0.0 0.0 0.0");
    EXPECT_EQ(values("qv.getColor(0, height)"), "0.0 0.0 0.0 0.0");
    EXPECT_EQ(values("qv.getColor(-1, 0)"), "0.0 0.0 0.0 0.0");
    EXPECT_EQ(values("qv.getColor(3, 2)"), "1.0 1.0 1.0 1.0");
    EXPECT_EQ(values("qv.getColor(0/0, 0)"), "0.0 0.0 0.0 0.0");
    EXPECT_EQ(values("qv.getColor(1e300, 0)"), "0.0 0.0 0.0 0.0");
}

TEST_F(PixelTest, ReadsStayInsideASmallerBuffer)
{
    TestWorld small(2, 2, 8, 8);  // padded rows: padding reads as 0xEE if overrun
    layer(0, small);
    small.set<uint8_t>(1, 1, 255, 255, 255, 255);
    EXPECT_EQ(values("qv.getColor(0, 1, 1)"), "1.0 1.0 1.0 1.0");
    EXPECT_EQ(values("qv.getColor(0, 2, 1)"), "0.0 0.0 0.0 0.0");
    EXPECT_EQ(values("qv.getColor(0, 1, 2)"), "0.0 0.0 0.0 0.0");
}

TEST_F(PixelTest, Depth8WritesClampedTruncatedBytes)
{
    run("qv.setColor(0, 0, 1, 0.5, 0, 2)");
    EXPECT_EQ(output_->get<uint8_t>(0, 0), (std::vector<uint8_t>{255, 127, 0, 255}));
    run("qv.setColor(1, 0, -1, 0.999, 0/0, '0.2')");
    EXPECT_EQ(output_->get<uint8_t>(1, 0), (std::vector<uint8_t>{0, 254, 0, 51}));
}

TEST_F(PixelTest, Depth16ScalesBy32768)
{
    frame(4, 3, 16);
    run("qv.setColor(0, 0, 1, 0.5, 0, 2)");
    EXPECT_EQ(output_->get<uint16_t>(0, 0), (std::vector<uint16_t>{32768, 16384, 0, 32768}));
    input_->set<uint16_t>(2, 1, 32768, 16384, 8192, 0);
    EXPECT_EQ(values("qv.getColor(2, 1)"), "1.0 0.5 0.25 0.0");
}

TEST_F(PixelTest, Depth32ClampsOnlyAlpha)
{
    frame(4, 3, 32);
    run("qv.setColor(0, 0, 1.5, 2, -1, 0.25)");
    EXPECT_EQ(output_->get<float>(0, 0), (std::vector<float>{1.0f, 2.0f, -1.0f, 0.25f}));
    EXPECT_EQ(values("qv.getColor(-2, 0, 0)"), "1.0 2.0 -1.0 0.25");
}

TEST_F(PixelTest, WritesReadBackAfterDepthConversion)
{
    for (int depth : {8, 16, 32}) {
        frame(4, 3, depth);
        run("qv.setColor(2, 1, 1, 0.5, 0.25, 0)");
        EXPECT_EQ(values("qv.getColor(-2, 2, 1)"),
                  depth == 8 ? "1.0 0.49803921568627 0.24705882352941 0.0" : "1.0 0.5 0.25 0.0")
            << depth;
    }
}

TEST_F(PixelTest, OtherDepthsReadZerosAndWriteNothing)
{
    pc().depth = 12;
    input_->set<uint8_t>(0, 0, 255, 255, 255, 255);
    EXPECT_EQ(values("qv.getColor(0, 0)"), "0.0 0.0 0.0 0.0");
    run("qv.setColor(0, 0, 1, 1, 1, 1)");
    EXPECT_EQ(output_->get<uint8_t>(0, 0), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(PixelTest, CoordinatesRoundHalvesAwayFromZero)
{
    run("qv.setColor(-0.4, 0, 1, 1, 1, 1)");
    EXPECT_EQ(output_->get<uint8_t>(0, 0), (std::vector<uint8_t>{255, 255, 255, 255}));
    frame(4, 3, 8);
    run("qv.setColor(-0.5, 0, 1, 1, 1, 1)");
    EXPECT_EQ(output_->bytes, std::vector<unsigned char>(output_->bytes.size(), 0));
    run("qv.setColor(2.5, 1.49, 1, 1, 1, 1)");
    EXPECT_EQ(output_->get<uint8_t>(3, 1), (std::vector<uint8_t>{255, 255, 255, 255}));
}

TEST_F(PixelTest, SetColorOutsideOrShortDoesNothing)
{
    EXPECT_EQ(run("qv.setColor(5, 5, 'x', 0, 0, 0) return 'ok'"), "ok");  // outside: colours not checked
    EXPECT_EQ(run("qv.setColor(0, 0, 1, 1, 1) return 'ok'"), "ok");       // five arguments
    EXPECT_EQ(run("qv.setColor(width, 0, 1, 1, 1, 1) return 'ok'"), "ok");
    EXPECT_EQ(output_->bytes, std::vector<unsigned char>(output_->bytes.size(), 0));
}

TEST_F(PixelTest, PixelsWrittenBeforeAnErrorStay)
{
    EXPECT_EQ(error("qv.setColor(0, 0, 1, 1, 0, 0) qv.ch('slider', 1.0)"), "Wrong parameter type: An integer should be sent");
    EXPECT_EQ(output_->get<uint8_t>(0, 0), (std::vector<uint8_t>{255, 255, 0, 0}));
}

TEST_F(PixelTest, In2outCopiesTheInput)
{
    for (std::size_t i = 0; i < input_->bytes.size(); ++i)
        input_->bytes[i] = uint8_t(i);
    run("qv.in2out()");
    EXPECT_EQ(output_->bytes, input_->bytes);
}

TEST_F(PixelTest, In2outCopiesNoMoreThanBothBuffersHold)
{
    TestWorld bigIn(6, 5, 8, 4), smallOut(3, 2, 8, 4);
    std::fill(bigIn.bytes.begin(), bigIn.bytes.end(), 0x11);
    pc().inputWorld = &bigIn.world;
    pc().outputWorld = &smallOut.world;
    run("qv.in2out()");
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(smallOut.get<uint8_t>(2, y), (std::vector<uint8_t>{0x11, 0x11, 0x11, 0x11}));
        EXPECT_EQ(smallOut.row(y)[12], 0xEE) << "padding overwritten in row " << y;
    }
    TestWorld smallIn(2, 1, 8);
    std::fill(smallIn.bytes.begin(), smallIn.bytes.end(), 0x22);
    pc().inputWorld = &smallIn.world;
    pc().outputWorld = &output_->world;
    run("qv.in2out()");
    EXPECT_EQ(output_->get<uint8_t>(1, 0), (std::vector<uint8_t>{0x22, 0x22, 0x22, 0x22}));
    EXPECT_EQ(output_->get<uint8_t>(2, 0), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(output_->get<uint8_t>(0, 1), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(PixelTest, In2outWithoutBuffersDoesNothing)
{
    pc().inputWorld = nullptr;
    EXPECT_EQ(run("qv.in2out() return 'ok'"), "ok");
}

} // namespace
