// The read and the write other parts of the effect make on the stored code,
// and the flat-buffer rule on its own.
#include "base/handle_lock.h"
#include "base/suite_access.h"
#include "common/storage_fixture.h"

namespace {

class ExpressionTextTest : public StorageTest {
protected:
    void TearDown() override
    {
        suites_.reset();  /* releases the suites before the fixture counts them */
        StorageTest::TearDown();
    }

    qv::SuiteAccess &suites()
    {
        if (!suites_)
            suites_.reset(new qv::SuiteAccess(qvh::host().suites.basicSuite()));
        return *suites_;
    }

    PF_InData in_ = qvh::makeInData();

private:
    std::unique_ptr<qv::SuiteAccess> suites_;
};

TEST(FlatTextLength, DropsOnlyOneTrailingNul)
{
    const struct {
        std::string bytes;
        std::size_t length;
    } cases[] = {
        {"abc", 3}, {Bytes("abc\0", 4), 3}, {Bytes("abc\0\0", 5), 4}, {Bytes("\0", 1), 0}, {"", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(qv::FlatTextLength(c.bytes.data(), c.bytes.size()), c.length) << c.bytes;
    EXPECT_EQ(qv::FlatTextLength(nullptr, 5), 0u);
}

TEST(DefaultExpression, IsThePassThroughShaderIn39Bytes)
{
    EXPECT_EQ(std::string(qv::kDefaultExpressionText), "void main(){\noutColor = getColor(uv);\n}");
    EXPECT_EQ(qv::kDefaultExpressionLength, 39u);
    EXPECT_EQ(sizeof(qv::ExpressionData), 12u);
}

TEST_F(ExpressionTextTest, ReadGivesExactlyTheStoredBytes)
{
    PF_ArbitraryH h = fromFlat(Bytes("one\0two\0", 8));
    std::string text;
    EXPECT_EQ(qv::ReadExpressionText(suites(), &in_, h, &text), PF_Err_NONE);
    EXPECT_EQ(text, Bytes("one\0two", 7));
    dispose(h);
}

TEST_F(ExpressionTextTest, ReadOfNullOrUnlockableValuesFailsWithAnEmptyText)
{
    std::string text = "stale";
    EXPECT_EQ(qv::ReadExpressionText(suites(), &in_, nullptr, &text), PF_Err_UNRECOGNIZED_PARAM_TYPE);
    EXPECT_EQ(text, "");
    PF_ArbitraryH h = fromFlat("abc");
    qvh::host().faults.failFunction("AEGP_LockMemHandle", 55);
    text = "stale";
    EXPECT_EQ(qv::ReadExpressionText(suites(), &in_, h, &text), 55);
    EXPECT_EQ(text, "");
    qvh::host().faults.clear();
    qvh::host().faults.failFunction("host_lock_handle", 1);
    EXPECT_EQ(qv::ReadExpressionText(suites(), &in_, h, &text), PF_Err_OUT_OF_MEMORY);
    qvh::host().faults.clear();
    dispose(h);
}

TEST_F(ExpressionTextTest, WriteReplacesTheTextInPlaceAndKeepsTheInvariant)
{
    PF_ArbitraryH h = fromFlat("short");
    const std::string texts[] = {"a much longer text than before\n\twith 'quotes' and \"more\"",
                                 Bytes("x\0y", 3), "", "\xC3\xA9t\xC3\xA9"};
    for (const std::string &text : texts) {
        EXPECT_EQ(qv::WriteExpressionText(suites(), &in_, h, text), PF_Err_NONE);
        Stored s = stored(h);
        EXPECT_EQ(s.text, text);
        EXPECT_EQ(s.length, text.size());
        EXPECT_EQ(s.blockSize, text.size() + 1);
        EXPECT_TRUE(s.nulAfterText);
    }
    dispose(h);
}

TEST_F(ExpressionTextTest, FailedResizeLeavesTheTextAsItWas)
{
    PF_ArbitraryH h = fromFlat("kept");
    qvh::host().faults.failFunction("AEGP_ResizeMemHandle", 9);
    EXPECT_EQ(qv::WriteExpressionText(suites(), &in_, h, "new"), 9);
    qvh::host().faults.clear();
    EXPECT_EQ(stored(h).text, "kept");
    dispose(h);
}

TEST_F(ExpressionTextTest, FailedLockAfterAShrinkKeepsReadsInsideTheBlock)
{
    PF_ArbitraryH h = fromFlat("a long old text");
    qvh::host().faults.failFunction("AEGP_LockMemHandle", 9);
    {
        qv::HandleLock lock(&in_, h);
        EXPECT_EQ(qv::SetExpressionText(suites(), lock.as<qv::ExpressionData>(), "ab", 2), 9);
    }
    qvh::host().faults.clear();
    Stored s = stored(h);
    EXPECT_LE(s.length + 1u, s.blockSize);
    dispose(h);
}

TEST_F(ExpressionTextTest, WriteToNullOrUnlockableValuesFails)
{
    EXPECT_EQ(qv::WriteExpressionText(suites(), &in_, nullptr, "x"), PF_Err_UNRECOGNIZED_PARAM_TYPE);
    PF_ArbitraryH h = fromFlat("kept");
    qvh::host().faults.failFunction("host_lock_handle", 1);
    EXPECT_EQ(qv::WriteExpressionText(suites(), &in_, h, "x"), PF_Err_OUT_OF_MEMORY);
    qvh::host().faults.clear();
    EXPECT_EQ(stored(h).text, "kept");
    dispose(h);
}

} // namespace
