// Pixel conversion through the engine object: the null checks of copyToBuffer, the
// region it takes from a buffer, and where writeTile writes.
#include "common/engine_fixture.h"

namespace {

const std::string kNullMessage = "QUORVEL::INNER_ERROR:\nNull pointer while calling copyToBuffer.";

TEST_F(EngineTest, CopyToBufferReportsNullPointers)
{
    Frame frame(4, 4, 8);
    qv::EngineProbe(engine())->ctx = &frame.ctx;
    std::vector<float> dest(64);
    qv::copyToBuffer(qv::EngineProbe(engine()).state(), nullptr, dest.data());
    EXPECT_EQ(engine().popError(), kNullMessage);
    qv::copyToBuffer(qv::EngineProbe(engine()).state(), frame.input.world(), nullptr);
    EXPECT_EQ(engine().popError(), kNullMessage);
    PF_EffectWorld noPixels = *frame.input.world();
    noPixels.data = nullptr;
    qv::copyToBuffer(qv::EngineProbe(engine()).state(), &noPixels, dest.data());
    EXPECT_EQ(engine().popError(), kNullMessage);
    EXPECT_FALSE(engine().hasError());
}

TEST_F(EngineTest, CopyToBufferTakesTheRegionInsideTheFrame)
{
    Frame frame(3, 2, 8);
    HostBuffer big(5, 4, 8);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            big.set(x, y, 1, x * 10 + y);
    HostBuffer small(2, 1, 8);
    small.fill(0, 9, 9, 9);
    qv::EngineProbe(engine())->ctx = &frame.ctx;
    std::vector<float> dest(5 * 4 * 4, -1.0f);
    qv::copyToBuffer(qv::EngineProbe(engine()).state(), big.world(), dest.data());
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)  /* 3 x 2 packed, float row 0 is host row 1 */
            EXPECT_EQ(dest[(r * 3 + c) * 4], (c * 10 + (1 - r)) / 255.0f) << c << "," << r;
    EXPECT_EQ(dest[3 * 2 * 4], -1.0f) << "nothing past the region";
    std::fill(dest.begin(), dest.end(), -1.0f);
    qv::copyToBuffer(qv::EngineProbe(engine()).state(), small.world(), dest.data());
    EXPECT_EQ(dest[0], 9 / 255.0f);
    EXPECT_EQ(dest[4], 9 / 255.0f);
    EXPECT_EQ(dest[8], -1.0f) << "a smaller buffer converts at its own size";
    EXPECT_FALSE(engine().hasError());
}

TEST_F(EngineTest, WriteTileTargetsOutBufferLayerWhenOutputIsAnInput)
{
    Frame frame(2, 2, 16);
    frame.output.fill(1, 1, 1, 1);
    frame.ctx.useOutputAsInput = 1;
    qv::EngineProbe(engine())->ctx = &frame.ctx;
    qv::prepareOutBufferLayer(qv::EngineProbe(engine()).state());
    ASSERT_FALSE(engine().hasError());
    const PF_EffectWorld *copy = qv::EngineProbe(engine())->outBufferLayer;
    EXPECT_EQ(copy->width, 2);
    EXPECT_EQ(copy->rowbytes, 2 * 8) << "packed rows";
    std::vector<float> readback(qv::EngineProbe(engine())->fboWidth * 2 * 4, 0.5f);
    qv::writeTile(qv::EngineProbe(engine()).state(), readback.data(), 0, 2, 0, 2);
    EXPECT_EQ(frame.output.get(0, 0, 1), 1) << "the output waits for the commit";
    qv::commitOutBufferLayer(qv::EngineProbe(engine()).state());
    EXPECT_EQ(frame.output.get(0, 0, 1), 16384);
    EXPECT_EQ(frame.output.get(1, 1, 0), 16384);
    EXPECT_TRUE(frame.output.paddingIntact());
}

} // namespace
