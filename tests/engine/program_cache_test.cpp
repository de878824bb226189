// The engine's program cache: a shader seen again is not compiled again, a
// failing one queues the same messages every time, the bound evicts the least
// recently used, and a reused program starts each pass with today's uniforms.
#include "common/engine_fixture.h"

namespace {

std::string fillCode(int i)
{
    return "void main(){ outColor = vec4(" + std::to_string(i) + ".0 / 16.0, slider[0], 0.0, 1.0); }";
}

size_t cachedPrograms(qv::GLSLCore &engine)
{
    return qv::EngineProbe(engine)->programs.entries.size();
}

TEST_F(EngineTest, ASourceSeenAgainReusesItsProgram)
{
    qv::GLSLCore engine;
    Frame frame(6, 4, 8);
    for (double slider : {0.25, 0.75}) {  /* uniforms are still set per pass */
        frame.params.sliders[0] = slider;
        ASSERT_EQ(engine.render(fillCode(3), &frame.ctx, true), qv::PassResult::Ran);
        ASSERT_EQ(drain(engine), "");
        EXPECT_EQ(frame.output.get(2, 2, 2), hostValue(static_cast<float>(slider), 8));
    }
    EXPECT_EQ(cachedPrograms(engine), 1u);
    /* another source (unwrapped, it does not compile): another entry */
    ASSERT_EQ(engine.render(fillCode(3), &frame.ctx, false), qv::PassResult::CompileFailed);
    drain(engine);
    EXPECT_EQ(cachedPrograms(engine), 2u);
}

TEST_F(EngineTest, AFailingSourceQueuesTheSameMessagesEveryTime)
{
    qv::GLSLCore engine;
    Frame frame(4, 4, 8);
    frame.output.fill(9, 8, 7, 6);
    std::string first;
    for (int pass = 0; pass < 3; ++pass) {
        ASSERT_EQ(engine.render("void main(){ outColor = vec4(1.0) }", &frame.ctx, true), qv::PassResult::CompileFailed);
        std::string log = drain(engine);
        if (pass == 0)
            first = log;
        EXPECT_EQ(log, first) << "pass " << pass;
        EXPECT_EQ(frame.output.get(1, 1, 0), 9) << "nothing drawn";
    }
    EXPECT_EQ(first.rfind("ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n", 0), 0u);
    EXPECT_NE(first.find("ERROR::SHADER::PROGRAM::LINKING_FAILED\n"), std::string::npos);
}

TEST_F(EngineTest, TheCacheIsBoundedAndEvictsTheLeastRecentlyUsed)
{
    qv::GLSLCore engine;
    Frame frame(4, 4, 8);
    const size_t bound = qv::ProgramCache::kCapacity;
    for (size_t i = 0; i < bound + 4; ++i) {
        ASSERT_EQ(engine.render(fillCode(static_cast<int>(i % 16)), &frame.ctx, true), qv::PassResult::Ran);
        ASSERT_EQ(drain(engine), "");
        if (i == bound + 1) {  /* keep the first source recent */
            ASSERT_EQ(engine.render(fillCode(0), &frame.ctx, true), qv::PassResult::Ran);
        }
        EXPECT_EQ(frame.output.get(0, 0, 1), i == bound + 1 ? 0 : hostValue((i % 16) / 16.0f, 8));
    }
    EXPECT_EQ(cachedPrograms(engine), bound);
    qv::EngineProbe probe(engine);
    bool firstKept = false, secondKept = false;
    for (const qv::CachedProgram &entry : probe->programs.entries) {
        firstKept |= entry.fragmentSource.find(fillCode(0)) != std::string::npos;
        secondKept |= entry.fragmentSource.find(fillCode(1)) != std::string::npos;
    }
    EXPECT_TRUE(firstKept);
    EXPECT_FALSE(secondKept);
}

// outLayer is set only for passes that read the output; a program reused
// from such a pass must not keep pointing at unit 1.
TEST_F(EngineTest, AReusedProgramSamplesTheInputAsOutLayerWhenTheOutputIsNoInput)
{
    qv::GLSLCore engine;
    const std::string code = "void main(){ outColor = getColor(OUTPUT_LAYER_INDEX, uv); }";
    Frame frame(4, 4, 8);
    frame.input.fill(255, 10, 20, 30);
    frame.output.fill(255, 200, 200, 200);
    frame.ctx.useOutputAsInput = 1;
    ASSERT_EQ(engine.render(code, &frame.ctx, true), qv::PassResult::Ran);
    EXPECT_EQ(frame.output.get(1, 1, 1), 200);
    frame.ctx.useOutputAsInput = 0;
    ASSERT_EQ(engine.render(code, &frame.ctx, true), qv::PassResult::Ran);
    EXPECT_EQ(drain(engine), "");
    EXPECT_EQ(frame.output.get(1, 1, 1), 10);
}

} // namespace
