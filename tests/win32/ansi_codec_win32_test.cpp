#include "platform/win32/win32_ansi_codec.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/pe_builder.h"

namespace vandrel {
namespace {

// Our own code-page tables (used by the native build) must agree with Windows.
TEST(Win32AnsiCodec, AgreesWithOurSingleByteTables) {
  const struct {
    unsigned code_page;
    std::unique_ptr<AnsiCodec> ours;
  } pages[] = {{1251, MakeWindows1251Codec()}, {1252, MakeWindows1252Codec()}};
  for (const auto& p : pages) {
    Win32AnsiCodec windows(p.code_page);
    for (int b = 0; b < 256; ++b) {
      const Bytes one{static_cast<std::byte>(b)};
      EXPECT_EQ(p.ours->Decode(one), windows.Decode(one)) << "code page " << p.code_page << " byte " << b;
    }
    for (const char* text : {"Папка", "Café €", "plain"}) {
      EXPECT_EQ(p.ours->Encode(text), windows.Encode(text)) << p.code_page << " " << text;
    }
  }
}

TEST(Win32AnsiCodec, RefusesBestFitSubstitutes) {
  Win32AnsiCodec cp1252(1252);
  EXPECT_FALSE(cp1252.Encode("\xC4\x80").has_value());  // Ā would become A
  EXPECT_FALSE(cp1252.Encode("東京").has_value());
  EXPECT_TRUE(cp1252.Encode("Ä").has_value());
  Win32AnsiCodec system;
  EXPECT_EQ(system.code_page(), ::GetACP());
  EXPECT_EQ(system.Decode(*system.Encode("abc")), "abc");
}

}  // namespace
}  // namespace vandrel
