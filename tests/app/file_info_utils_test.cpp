#include "app/file_info_utils.h"

#include <gtest/gtest.h>

#include "icons/pe_resource_file.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/support/pe_builder.h"
#include "tests/support/version_builder.h"

namespace vandrel {
namespace {

using testing::BuildVersionBlock;
using testing::SimpleVersion;
using testing::VersionSpec;

constexpr std::uint32_t kMs9_0 = (9u << 16) | 0u;
constexpr std::uint32_t kLs26_320 = (26u << 16) | 320u;

TEST(FileVersion, NormalisesTheStoredText) {
  struct Case {
    std::u16string stored;
    std::uint32_t ms, ls;
    const char* expected;
  } cases[] = {
      {u"9.0.26.320", kMs9_0, kLs26_320, "9.0.26.320"},
      {u"9, 0, 26, 320", kMs9_0, kLs26_320, "9.0.26.320"},
      {u"2.1.0.5 beta", 0, 0, "2.1.0.5"},
      {u"1.2.", 0, 0, "1.2"},
      {u"..1,,2", 0, 0, "1.2"},
      {u"Version 2.0", (2u << 16), (3u << 16) | 4u, "2.0.3.4"},
      {u"", kMs9_0, kLs26_320, "9.0.26.320"},
      {u"3.4\t(x86)", 0, 0, "3.4"},
      {u"65535.65535.65535.65535", 0, 0, "65535.65535.65535.65535"},
  };
  for (const auto& c : cases) {
    const Bytes block = BuildVersionBlock(SimpleVersion(c.stored, c.ms, c.ls));
    EXPECT_EQ(FileVersionFromBlock(block), c.expected);
  }
}

TEST(FileVersion, FallsBackToTheFixedPartOrNothing) {
  VersionSpec no_text = SimpleVersion(u"", kMs9_0, kLs26_320);
  no_text.tables.clear();
  EXPECT_EQ(FileVersionFromBlock(BuildVersionBlock(no_text)), "9.0.26.320");
  no_text.fixed.reset();
  EXPECT_EQ(FileVersionFromBlock(BuildVersionBlock(no_text)), "");
  VersionSpec high = SimpleVersion(u"", 0xFFFF0001u, 0x80000002u);
  high.tables.clear();
  EXPECT_EQ(FileVersionFromBlock(BuildVersionBlock(high)), "65535.1.32768.2");
}

TEST(FileVersion, TakesExactlyTheStoredLengthIncludingItsNul) {
  // wValueLength of 3 covers "1.2" only, so the "9" after it is never seen.
  VersionSpec spec = SimpleVersion(u"1.29", 0, 0);
  spec.tables[0].strings[1].value_length = 3;
  EXPECT_EQ(FileVersionFromBlock(BuildVersionBlock(spec)), "1.2");
  // A length far beyond the block is bounded by the block.
  spec.tables[0].strings[1].value_length = 60000;
  EXPECT_EQ(FileVersionFromBlock(BuildVersionBlock(spec)), "1.29");
}

TEST(TranslationKey, UsesTheFirstPairOrTheDefault) {
  VersionSpec spec = SimpleVersion(u"1", 0, 0);
  EXPECT_EQ(SelectTranslationKey(BuildVersionBlock(spec)), "040904e4");
  spec.translations = std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0x0419, 0x04B0}, {0x0409, 0x04E4}};
  EXPECT_EQ(SelectTranslationKey(BuildVersionBlock(spec)), "041904b0");
  spec.translations = std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0, 0}};
  EXPECT_EQ(SelectTranslationKey(BuildVersionBlock(spec)), "040904E4");
  spec.translations.reset();
  EXPECT_EQ(SelectTranslationKey(BuildVersionBlock(spec)), "040904E4");
  spec.translations = std::vector<std::pair<std::uint16_t, std::uint16_t>>{};  // present but empty
  EXPECT_EQ(SelectTranslationKey(BuildVersionBlock(spec)), "040904E4");
}

TEST(VersionValue, ReadsThroughTheSelectedTableWithoutRegardToCase) {
  VersionSpec spec;
  spec.tables.push_back({"041904b0", {{"LegalCopyright", u"© Vandrel"}, {"Comments", std::u16string(u"first\0second", 12)}}});
  spec.tables.push_back({"040904E4", {{"LegalCopyright", u"wrong table"}}});
  spec.translations = std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0x0419, 0x04B0}};
  const Bytes block = BuildVersionBlock(spec);
  EXPECT_EQ(VersionValueFromBlock(block, "legalcopyright"), "© Vandrel");
  EXPECT_EQ(VersionValueFromBlock(block, "Comments"), "first");  // up to the first NUL
  EXPECT_EQ(VersionValueFromBlock(block, "CompanyName"), "");

  VersionSpec zero = SimpleVersion(u"1", 0, 0);
  zero.translations = std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0, 0}};
  EXPECT_EQ(VersionValueFromBlock(BuildVersionBlock(zero), "CompanyName"), "Vandrel Software");
  zero.tables[0].strings[0].value_length = 0;  // a value of length 0 reads as empty
  EXPECT_EQ(VersionValueFromBlock(BuildVersionBlock(zero), "CompanyName"), "");
}

TEST(VersionBlock, DamagedBlocksGiveEmptyTextWithoutReadingPastThem) {
  const Bytes good = BuildVersionBlock(SimpleVersion(u"9.0.26.320", kMs9_0, kLs26_320));
  ASSERT_EQ(FileVersionFromBlock(good), "9.0.26.320");
  // A block shorter than its own length field is not a version block.
  for (std::size_t size = 0; size < good.size(); ++size) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_EQ(FileVersionFromBlock(cut), "") << size;
    EXPECT_EQ(VersionValueFromBlock(cut, "CompanyName"), "") << size;
  }
  // Children whose lengths are zero hold no values.
  Bytes zero_lengths = good;
  for (std::size_t i = 40; i + 1 < zero_lengths.size(); i += 2) zero_lengths[i] = std::byte{0};
  EXPECT_EQ(VersionValueFromBlock(zero_lengths, "CompanyName"), "");
}

TEST(FileInfoUtils, ReadsTheVersionResourceOfAnExecutable) {
  testing::FakeFileSystem fs;
  VersionSpec spec = SimpleVersion(u"9.0.26.320", kMs9_0, kLs26_320);
  spec.tables[0].strings.push_back({"LegalCopyright", u"© 2026 Vandrel"});
  fs.files["app.exe"] = testing::BuildPe({{kResourceTypeVersion, ResourceName::Id(1), 0x0409, BuildVersionBlock(spec)}});
  fs.files["plain.exe"] = testing::BuildPe({});
  fs.files["text.txt"] = testing::ToBytes("not an executable");
  PeVersionReader reader(fs);

  EXPECT_EQ(GetFileVersion(reader, "app.exe"), "9.0.26.320");
  EXPECT_EQ(GetLegalCopyright(reader, "app.exe"), "© 2026 Vandrel");
  EXPECT_EQ(GetCompanyName(reader, "app.exe"), "Vandrel Software");
  EXPECT_EQ(GetVersionInfoValue(reader, "app.exe", "ProductName"), "");
  for (const char* path : {"plain.exe", "text.txt", "missing.exe"}) {
    EXPECT_EQ(GetFileVersion(reader, path), "") << path;
    EXPECT_EQ(GetLegalCopyright(reader, path), "") << path;
    EXPECT_EQ(GetCompanyName(reader, path), "") << path;
    EXPECT_EQ(GetVersionInfoValue(reader, path, "FileVersion"), "") << path;
  }
}

}  // namespace
}  // namespace vandrel
