#pragma once

#include <string>
#include <string_view>

namespace talvesa {

// The single-byte code page of names and of the payment list file: Windows-1251.
// A character it lacks becomes a similar one where a simple best fit exists
// (letters with diacritics -> the plain letter, typographic quotes and dashes -> ASCII),
// otherwise '?'. Malformed UTF-8 is taken as '?' per bad sequence. The unassigned byte
// 0x98 stands for U+0098, so that any bytes survive a trip to UTF-8 and back.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// UTF-16 code units from bytes in the given order; a last odd byte is ignored.
// Unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf16BeToUtf8(std::string_view bytes);

}  // namespace talvesa
