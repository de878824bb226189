// What qvhost prints of text from plug-ins, scripts and projects: every
// control a terminal acts on escaped, lines and tabs as they are.
#include "testhost/os/terminal_text.h"

#include <gtest/gtest.h>

namespace {

TEST(TerminalText, ControlsAreEscapedAndLinesKept)
{
    const struct {
        std::string in, out;
    } rows[] = {
        {"a\x1b[2Jb", "a\\x1b[2Jb"},
        {"over\rwrite\a", "over\\rwrite\\a"},
        {"line\n\tindented", "line\n\tindented"},
        {std::string("nul\0del\x7f", 8), "nul\\x00del\\x7f"},
        {"csi \xC2\x9B" "31m", "csi \\u009b31m"},            /* a C1 control in UTF-8 */
        {"\xC3\xA9t\xC3\xA9 \xC2\xA0 \\n", "\xC3\xA9t\xC3\xA9 \xC2\xA0 \\n"},  /* other text as it is */
        {"cut \xC2", "cut \xC2"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(qvh::TerminalText(row.in), row.out) << row.in;
}

} // namespace
