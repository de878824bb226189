// Text helpers shared by every subsystem: in-place replacement, escaping for
// quoted script literals, and UTF-8/UTF-16 conversion.
#pragma once

#include <cstddef>
#include <string>

namespace qv {

// Replaces every occurrence of `pattern` in `text`, left to right; inserted
// text is never searched again. An empty pattern changes nothing.
void ReplaceAll(std::string &text, const std::string &pattern, const std::string &replacement);

// Makes `text` safe between single or double quotes in a script literal, so
// that the literal reads back as the text: backslash, line feed, tab,
// apostrophe and double quote become \\ \n \t \' \"; carriage return, U+2028
// and U+2029 (line ends in script source) become \r \u2028 \u2029; NUL (which
// would end the script, handed over as a C string) becomes \x00. A byte that
// is not part of well-formed UTF-8 (the script engine refuses the whole
// script for it) becomes \xHH and reads back as the character U+00HH.
void EscapeForScript(std::string &text);

// UTF-16 to UTF-8 and back. Unpaired surrogates and malformed UTF-8 become
// U+FFFD, so the conversion never fails.
std::string Utf16ToUtf8(const std::u16string &text);
std::u16string Utf8ToUtf16(const std::string &text);

// Cuts the output of EscapeForScript to at most `capacity` bytes without
// splitting an escape sequence or a UTF-8 character.
std::string FitEscapedText(const std::string &escaped, std::size_t capacity);

} // namespace qv
