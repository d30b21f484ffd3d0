#include "platform/text.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(Utf, RoundTripsEveryKindOfCodeUnit) {
  const std::u16string samples[] = {
      u"plain", u"Папка с иконкой", u"\U0001F4C1 folder", std::u16string(1, char16_t{0xD800}) + u"x",
      std::u16string(1, char16_t{0xDC00}), u"",
  };
  for (const auto& s : samples) EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(s)), s);
}

TEST(Utf, MalformedUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");           // cut short
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong: each byte is bad
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82\xAC"), u"\u20AC");
}

TEST(CaseFolding, MatchesNamesAcrossScripts) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {".ShellClassInfo", ".SHELLCLASSINFO", true}, {"IconFile", "iconfile", true},
      {"Папка", "ПАПКА", true},                     {"Ёлка", "ёлка", true},
      {"Ärger", "ärger", true},                     {"Ωμέγα", "ΩΜΈΓΑ", true},
      {"Icon", "Icons", false},                     {"a", "b", false},
      {"", "", true},
  };
  for (const auto& c : cases) EXPECT_EQ(EqualsNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
  EXPECT_TRUE(StartsWithNoCase("ID:101", "id:"));
  EXPECT_FALSE(StartsWithNoCase("I", "ID:"));
}

TEST(Trim, RemovesControlCharactersAndBlanksOnly) {
  EXPECT_EQ(TrimControl(" \t\x01 key = v \x1F\r"), "key = v");
  EXPECT_EQ(TrimControl("   "), "");
  EXPECT_EQ(TrimControl("\xC2\xA0x"), "\xC2\xA0x");  // a no-break space is text
}

}  // namespace
}  // namespace vandrel
