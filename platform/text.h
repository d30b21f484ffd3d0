// Text helpers shared by every portable unit.
//
// Portable code keeps text as UTF-8 in std::string. Windows text is UTF-16 and
// may hold unpaired surrogates (file names, INI files written by other tools);
// the conversions below carry those through as WTF-8 so a round trip never
// changes a single code unit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vandrel {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Appends the UTF-8 (WTF-8 for surrogates) form of one code point.
void AppendUtf8(std::string& out, char32_t code_point);

// Decodes one code point at `pos` and advances it; malformed bytes give U+FFFD.
char32_t NextCodePoint(std::string_view utf8, std::size_t& pos);

// Simple one-to-one case folding (Latin, Greek, Cyrillic, Armenian, the
// full-width Latin letters), the same on every platform.
char32_t FoldCase(char32_t code_point);

// Name comparison without regard to letter case, as Windows compares INI
// section and key names and resource sub-block names.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Removes leading and trailing characters with codes up to 32.
std::string_view TrimControl(std::string_view text);

// ASCII-only case folding, for places where Windows itself folds only A-Z.
char AsciiLower(char c);
bool EqualsAsciiNoCase(std::string_view a, std::string_view b);

}  // namespace vandrel
