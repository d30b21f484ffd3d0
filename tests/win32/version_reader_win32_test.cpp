#include "platform/win32/win32_version_reader.h"

#include <gtest/gtest.h>

#include "app/file_info_utils.h"
#include "icons/pe_resource_file.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "tests/support/pe_builder.h"
#include "tests/support/version_builder.h"
#include "tests/win32/win32_test_support.h"

namespace vandrel {
namespace {

// Our query over a block must find what VerQueryValueW finds, at the same
// place and with the same length.
void ExpectSameQuery(const Bytes& block, const std::string& sub_block) {
  SCOPED_TRACE(sub_block);
  void* pointer = nullptr;
  UINT length = 0;
  const BOOL found = ::VerQueryValueW(block.data(), Widen(sub_block).c_str(), &pointer, &length);
  const auto ours = QueryVersionValue(block, sub_block);
  ASSERT_EQ(ours.has_value(), found != FALSE);
  if (!ours) return;
  EXPECT_EQ(static_cast<const std::byte*>(pointer) - block.data(), static_cast<std::ptrdiff_t>(ours->offset));
  EXPECT_EQ(length, ours->length);
}

TEST(Win32VersionReader, OurParserAgreesWithVerQueryValue) {
  Win32VersionReader reader;
  int checked = 0;
  for (const char* name : {"shell32.dll", "user32.dll", "kernel32.dll", "comctl32.dll", "notepad.exe"}) {
    const std::string path = testing::SystemFolder() + "\\" + name;
    const auto block = reader.ReadVersionResource(path);
    if (!block) continue;
    ++checked;
    const std::string key = SelectTranslationKey(*block);
    for (const std::string& sub : {std::string("\\"), std::string("\\VarFileInfo\\Translation"),
                                   "\\StringFileInfo\\" + key + "\\FileVersion",
                                   "\\StringFileInfo\\" + key + "\\CompanyName",
                                   "\\StringFileInfo\\" + key + "\\NoSuchValue", std::string("\\StringFileInfo\\00000000")})
      ExpectSameQuery(*block, sub);
    // Through the loader and through our own reader of the file: the same texts.
    Win32FileSystem fs;
    PeVersionReader ours(fs);
    EXPECT_EQ(GetFileVersion(reader, path), GetFileVersion(ours, path)) << path;
    EXPECT_EQ(GetCompanyName(reader, path), GetCompanyName(ours, path)) << path;
    EXPECT_FALSE(GetFileVersion(reader, path).empty()) << path;
  }
  EXPECT_GE(checked, 2);
}

TEST(Win32VersionReader, ReadsCraftedResourcesAsTheNativeBuildDoes) {
  testing::TempFolder dir;
  Win32FileSystem fs;
  const std::string path = dir.File("app.dll");
  testing::VersionSpec spec = testing::SimpleVersion(u"9, 0, 26, 320", 1, 2);
  spec.tables[0].strings.push_back({"LegalCopyright", u"© 2026 Vandrel"});
  spec.tables[0].key = "040904e4";  // lower-case hex still matches
  fs.WriteFileAtomically(path, testing::BuildPe({{kResourceTypeVersion, ResourceName::Id(1), 0x0409,
                                                  testing::BuildVersionBlock(spec)}}));
  Win32VersionReader reader;
  EXPECT_EQ(GetFileVersion(reader, path), "9.0.26.320");
  EXPECT_EQ(GetLegalCopyright(reader, path), "© 2026 Vandrel");
  EXPECT_EQ(GetCompanyName(reader, path), "Vandrel Software");
  EXPECT_EQ(GetFileVersion(reader, dir.File("missing.dll")), "");
  const auto block = reader.ReadVersionResource(path);
  ASSERT_TRUE(block);
  for (const char* sub : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\FileVersion",
                          "\\stringfileinfo\\040904e4\\legalcopyright"})
    ExpectSameQuery(*block, sub);
}

}  // namespace
}  // namespace vandrel
