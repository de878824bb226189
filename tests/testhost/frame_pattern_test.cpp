// Frame numbers in names and the frame lists of --frames: pure text.
#include "testhost/images/frame_pattern.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(FramePattern, PlaceholdersAreReplacedByThePaddedNumber)
{
    const struct { const char *pattern; long frame; const char *name; bool isPattern; } rows[] = {
        {"f-####.png", 7, "f-0007.png", true},
        {"f-#.png", 123, "f-123.png", true},      /* wider numbers are not cut */
        {"f-%04d.exr", 42, "f-0042.exr", true},
        {"f-%d.exr", 42, "f-42.exr", true},
        {"f-%4d.exr", 42, "f-%4d.exr", false},  /* space padding is no file name */
        {"a/b##/c-##.png", 3, "a/b03/c-##.png", true},  /* the first placeholder only */
        {"100%.png", 1, "100%.png", false},
        {"%s-%q.png", 1, "%s-%q.png", false},
        {"plain.png", 5, "plain.png", false},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(qvh::frameFileName(row.pattern, row.frame), row.name) << row.pattern;
        EXPECT_EQ(qvh::isFramePattern(row.pattern), row.isPattern) << row.pattern;
    }
}

TEST(FramePattern, FrameListsAndTheirMistakes)
{
    EXPECT_EQ(qvh::parseFrameList("3"), (std::vector<long>{0, 1, 2}));
    EXPECT_EQ(qvh::parseFrameList("5-7"), (std::vector<long>{5, 6, 7}));
    EXPECT_EQ(qvh::parseFrameList("4-4"), (std::vector<long>{4}));
    EXPECT_EQ(qvh::parseFrameList("1-10:4"), (std::vector<long>{1, 5, 9}));
    for (const char *bad : {"", "0", "-3", "a-b", "3-1", "1-5:0", "1:2-5", "1-5:", "1.5-3", "1-999999999999"})
        EXPECT_THROW(qvh::parseFrameList(bad), std::invalid_argument) << bad;
}

} // namespace
