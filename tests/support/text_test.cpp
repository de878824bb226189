#include "support/text.h"

#include <gtest/gtest.h>

using qv::EscapeForScript;
using qv::FitEscapedText;
using qv::ReplaceAll;

namespace {

std::string escaped(std::string text)
{
    EscapeForScript(text);
    return text;
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanningInsertedText)
{
    struct Case { std::string text, pattern, replacement, expected; };
    const Case cases[] = {
        {"aaa", "a", "aa", "aaaaaa"},
        {"abc", "", "x", "abc"},
        {"a.b.c", ".", "::", "a::b::c"},
        {"aaaa", "aa", "a", "aa"},
        {"", "a", "b", ""},
    };
    for (const Case &c : cases) {
        std::string text = c.text;
        ReplaceAll(text, c.pattern, c.replacement);
        EXPECT_EQ(text, c.expected) << c.text << " / " << c.pattern;
    }
}

TEST(EscapeForScript, EscapesTheFiveCharactersAndNothingElse)
{
    EXPECT_EQ(escaped("\\\n\t'"), "\\\\\\n\\t\\'");
    EXPECT_EQ(escaped("say \"hi\""), "say \\\"hi\\\"");
    EXPECT_EQ(escaped(""), "");
    EXPECT_EQ(escaped("plain text 123"), "plain text 123");
    EXPECT_EQ(escaped("a\rb\x01\xc3\xa9"), "a\rb\x01\xc3\xa9");  // CR, controls, UTF-8 untouched
    EXPECT_EQ(escaped("C:\\new"), "C:\\\\new");                    // not a line feed afterwards
}

TEST(Utf, RoundTripsNonAsciiAndSurrogatePairs)
{
    const std::u16string wide = u"C:\\Users\\J\u00f6rg\\\u65e5\u672c\\\U0001F600";
    EXPECT_EQ(qv::Utf8ToUtf16(qv::Utf16ToUtf8(wide)), wide);
    EXPECT_EQ(qv::Utf16ToUtf8(u"J\u00f6rg"), "J\xc3\xb6rg");
    EXPECT_EQ(qv::Utf8ToUtf16(""), u"");
}

TEST(Utf, MalformedInputBecomesReplacementCharacter)
{
    EXPECT_EQ(qv::Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(qv::Utf8ToUtf16("a\xff"), u"a\uFFFD");
    EXPECT_EQ(qv::Utf8ToUtf16("\xe6\x97"), u"\uFFFD");  // truncated sequence
}

TEST(FitEscapedText, NeverCutsInsideAnEscapeOrCharacter)
{
    EXPECT_EQ(FitEscapedText("abcdef", 10), "abcdef");
    EXPECT_EQ(FitEscapedText("abcdef", 4), "abcd");
    EXPECT_EQ(FitEscapedText("ab\\\\cd", 3), "ab");      // would split "\\\\"
    EXPECT_EQ(FitEscapedText("ab\\\\cd", 4), "ab\\\\");
    EXPECT_EQ(FitEscapedText("a\\\\\\'", 4), "a\\\\");   // "\\\\" kept, "\\'" dropped
    EXPECT_EQ(FitEscapedText("a\xc3\xa9z", 2), "a");       // would split the two-byte é
    EXPECT_EQ(FitEscapedText("a\xe6\x97\xa5z", 3), "a");
}

} // namespace
