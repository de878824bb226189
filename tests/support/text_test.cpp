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

TEST(EscapeForScript, EscapesQuotesBackslashesAndLineEnds)
{
    EXPECT_EQ(escaped("\\\n\t'"), "\\\\\\n\\t\\'");
    EXPECT_EQ(escaped("say \"hi\""), "say \\\"hi\\\"");
    EXPECT_EQ(escaped(""), "");
    EXPECT_EQ(escaped("plain text 123"), "plain text 123");
    EXPECT_EQ(escaped("C:\\new"), "C:\\\\new");  // not a line feed afterwards
    EXPECT_EQ(escaped("a\rb\x01\x7f\xc3\xa9\xf0\x9f\x98\x80"), "a\\rb\x01\x7f\xc3\xa9\xf0\x9f\x98\x80");
    EXPECT_EQ(escaped("\xe2\x80\xa8|\xe2\x80\xa9|\xe2\x80\xaa"), "\\u2028|\\u2029|\xe2\x80\xaa");
}

// Bytes a script literal cannot carry as they are: NUL would end the script,
// which the host takes as a C string, and the script engine refuses a script
// that is not UTF-8. Each becomes \xHH.
TEST(EscapeForScript, EscapesNulAndEveryByteOutsideWellFormedUtf8)
{
    struct Case { std::string text, expected; };
    const Case cases[] = {
        {std::string("a\0b", 3), "a\\x00b"},
        {"caf\xe9", "caf\\xE9"},                        // Latin-1
        {"\xff\xfe", "\\xFF\\xFE"},
        {"\x80", "\\x80"},                              // a lone continuation byte
        {"\xe6\x97", "\\xE6\\x97"},                      // a cut sequence
        {"\xe6\x97z", "\\xE6\\x97z"},
        {"\xc0\x80", "\\xC0\\x80"},                      // overlong NUL
        {"\xed\xa0\x80", "\\xED\\xA0\\x80"},              // a surrogate
        {"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},      // above U+10FFFF
        {"\xf4\x8f\xbf\xbf", "\xf4\x8f\xbf\xbf"},          // U+10FFFF itself
    };
    for (const Case &c : cases)
        EXPECT_EQ(escaped(c.text), c.expected) << c.expected;
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
    EXPECT_EQ(FitEscapedText("a\\u2028b", 6), "a");     // would split "\u2028"
    EXPECT_EQ(FitEscapedText("a\\u2028b", 7), "a\\u2028");
    EXPECT_EQ(FitEscapedText("a\\xE9b", 4), "a");
    EXPECT_EQ(FitEscapedText("a\\\\xE9", 4), "a\\\\x");  // "\\\\" then the letter x
}

} // namespace
