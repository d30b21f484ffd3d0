#include "icons/icon_extraction.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "icons/pe_resource_file.h"
#include "icons/picture_icon.h"
#include "platform/error.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/support/pe_builder.h"

namespace vandrel {
namespace {

using testing::BuildPe;
using testing::IconGroupResources;
using testing::IconImage;
using testing::PatternBytes;
using testing::PeResource;
using testing::ToBytes;

std::uint32_t U32At(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

class RecordingPrompts final : public Prompts {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowError(const std::string& text, const std::string&) override { messages.push_back("error: " + text); }
  bool Confirm(const std::string&, const std::string&) override { return false; }
  std::vector<std::string> messages;
};

class IconExtractionTest : public ::testing::Test {
 protected:
  void AddExe(const std::string& path, const std::vector<PeResource>& resources) { fs.files[path] = BuildPe(resources); }
  std::vector<std::string> Extract(const std::string& exe, int index, const std::string& out = "out.ico") {
    prompts.messages.clear();
    ExtractIconByIndex(services, exe, out, index);
    return prompts.messages;
  }

  testing::FakeFileSystem fs;
  PeResourceLoader loader{fs};
  RecordingPrompts prompts;
  DesignTimeCaptions captions;
  IconServices services{fs, loader, prompts, captions};
};

std::vector<PeResource> ThreeNumberedGroups() {
  std::vector<PeResource> r;
  for (std::uint16_t id : {101, 1, 5}) {
    auto g = IconGroupResources(ResourceName::Id(id), {{.id = static_cast<std::uint16_t>(id + 1000),
                                                         .data = PatternBytes(40 + id, id)}});
    r.insert(r.end(), g.begin(), g.end());
  }
  return r;
}

TEST_F(IconExtractionTest, IndexFollowsTheEnumerationOrder) {
  AddExe("app.exe", ThreeNumberedGroups());
  auto file = loader.Open("app.exe");
  ASSERT_TRUE(file);
  std::vector<std::string> texts;
  for (const auto& n : ListIconGroups(*file)) texts.push_back(n.ListText());
  EXPECT_EQ(texts, (std::vector<std::string>{"ID:1", "ID:5", "ID:101"}));
  EXPECT_EQ(GetIconCountSimple(fs, loader, "app.exe"), 3);

  EXPECT_TRUE(Extract("app.exe", 2).empty());
  const Bytes& ico = fs.files.at("out.ico");
  ASSERT_EQ(ico.size(), 6u + 16u + 141u);
  EXPECT_TRUE(std::equal(ico.begin() + 22, ico.end(), PatternBytes(141, 101).begin()));
}

TEST_F(IconExtractionTest, StringNamedGroupsComeFirst) {
  auto r = ThreeNumberedGroups();
  auto named = IconGroupResources(ResourceName::String("MAINICON"), {{.id = 7, .data = PatternBytes(64, 7)}});
  r.insert(r.end(), named.begin(), named.end());
  AddExe("app.exe", r);
  EXPECT_TRUE(Extract("app.exe", 0).empty());
  const Bytes& ico = fs.files.at("out.ico");
  ASSERT_EQ(ico.size(), 22u + 64u);
  EXPECT_TRUE(std::equal(ico.begin() + 22, ico.end(), PatternBytes(64, 7).begin()));
}

TEST_F(IconExtractionTest, OffsetsComeFromTheDeclaredSizes) {
  AddExe("app.exe", IconGroupResources(ResourceName::Id(1), {
                                                                {.id = 1, .width = 16, .height = 16, .data = PatternBytes(1128, 1)},
                                                                {.id = 2, .width = 32, .height = 32, .data = PatternBytes(4264, 2)},
                                                                {.id = 3, .width = 0, .height = 0, .reserved = 9, .data = PatternBytes(16936, 3)},
                                                            }));
  EXPECT_TRUE(Extract("app.exe", 0).empty());
  const Bytes& ico = fs.files.at("out.ico");
  ASSERT_EQ(ico.size(), 22382u);
  EXPECT_EQ(U32At(ico, 0), 0x00010000u);  // reserved 0, type 1
  EXPECT_EQ(ico[4], std::byte{3});
  EXPECT_EQ(U32At(ico, 6 + 12), 54u);
  EXPECT_EQ(U32At(ico, 22 + 12), 1182u);
  EXPECT_EQ(U32At(ico, 38 + 12), 5446u);
  EXPECT_EQ(U32At(ico, 38 + 8), 16936u);
  EXPECT_EQ(ico[38 + 3], std::byte{9});  // the reserved byte is copied as it is
  EXPECT_EQ(ico[38 + 0], std::byte{0});  // 256 pixels
}

TEST_F(IconExtractionTest, AMissingImageKeepsItsEntryButAddsNoBytes) {
  AddExe("app.exe", IconGroupResources(ResourceName::Id(1), {
                                                                {.id = 1, .data = PatternBytes(100, 1)},
                                                                {.id = 2, .declared_size = 200},  // no RT_ICON 2
                                                                {.id = 3, .data = PatternBytes(300, 3)},
                                                            }));
  Extract("app.exe", 0);
  const Bytes& ico = fs.files.at("out.ico");
  EXPECT_EQ(ico[4], std::byte{3});
  EXPECT_EQ(U32At(ico, 6 + 12), 54u);
  EXPECT_EQ(U32At(ico, 38 + 12), 354u);  // still counts the declared 200
  ASSERT_EQ(ico.size(), 54u + 100u + 300u);
  EXPECT_TRUE(std::equal(ico.begin() + 154, ico.end(), PatternBytes(300, 3).begin()));
}

TEST_F(IconExtractionTest, MessagesForEveryKindOfRefusal) {
  AddExe("app.exe", ThreeNumberedGroups());
  AddExe("empty.dll", {{kResourceTypeVersion, ResourceName::Id(1), 0x409, ToBytes("v")}});
  fs.files["star.ico"] = ToBytes(std::string("\0\0\1\0\1\0", 6) + std::string(100, 'x'));
  struct Case {
    const char* exe;
    int index;
    std::string message;
  } cases[] = {
      {"app.exe", 3, "Неверный индекс иконки!"},
      {"app.exe", -1, "Неверный индекс иконки!"},
      {"star.ico", 0, "Не удалось загрузить файл"},
      {"empty.dll", 0, "В файле нет групп иконок"},
      {"C:\\nowhere\\app.exe", 0, "Файл не найден: C:\\nowhere\\app.exe"},
  };
  for (const auto& c : cases) {
    EXPECT_THAT(Extract(c.exe, c.index), ::testing::ElementsAre(c.message)) << c.exe << " " << c.index;
    EXPECT_FALSE(fs.FileExists("out.ico"));
  }
  EXPECT_EQ(GetIconCountSimple(fs, loader, "star.ico"), 0);
  EXPECT_EQ(GetIconCountSimple(fs, loader, "C:\\nowhere\\app.exe"), 0);
  EXPECT_EQ(GetIconCountSimple(fs, loader, "empty.dll"), 0);
}

TEST_F(IconExtractionTest, AnExistingFileIsReplacedNotAppendedTo) {
  AddExe("app.exe", ThreeNumberedGroups());
  fs.files["out.ico"] = PatternBytes(5000, 99);
  Extract("app.exe", 0);
  EXPECT_EQ(fs.files.at("out.ico").size(), 22u + 41u);
}

TEST_F(IconExtractionTest, DamagedGroupsWriteNothingOrOnlyWholeEntries) {
  const Bytes full = testing::BuildGroupDirectory({{.id = 1, .data = PatternBytes(10, 1)}, {.id = 2, .data = PatternBytes(20, 2)}});
  Bytes truncated(full.begin(), full.end() - 3);  // the second entry is cut
  Bytes all_cut(full.begin(), full.begin() + 10);
  AddExe("app.exe", {
                        {kResourceTypeGroupIcon, ResourceName::Id(1), 0x409, ToBytes("abc")},  // under 6 bytes
                        {kResourceTypeGroupIcon, ResourceName::Id(2), 0x409, truncated},
                        {kResourceTypeGroupIcon, ResourceName::Id(3), 0x409, all_cut},
                        {kResourceTypeIcon, ResourceName::Id(1), 0x409, PatternBytes(10, 1)},
                        {kResourceTypeIcon, ResourceName::Id(2), 0x409, PatternBytes(20, 2)},
                    });
  EXPECT_TRUE(Extract("app.exe", 0).empty());
  EXPECT_FALSE(fs.FileExists("out.ico"));
  EXPECT_TRUE(Extract("app.exe", 1).empty());
  ASSERT_TRUE(fs.FileExists("out.ico"));
  EXPECT_EQ(fs.files.at("out.ico")[4], std::byte{1});
  EXPECT_EQ(fs.files.at("out.ico").size(), 22u + 10u);
  fs.files.erase("out.ico");
  EXPECT_TRUE(Extract("app.exe", 2).empty());
  EXPECT_FALSE(fs.FileExists("out.ico"));
}

TEST_F(IconExtractionTest, AStringNameThatLooksLikeAnIdentifierIsStillAString) {
  auto r = IconGroupResources(ResourceName::String("ID:7"), {{.id = 1, .data = PatternBytes(30, 1)}});
  auto other = IconGroupResources(ResourceName::Id(7), {{.id = 2, .data = PatternBytes(50, 2)}});
  r.insert(r.end(), other.begin(), other.end());
  AddExe("app.exe", r);
  Extract("app.exe", 0);
  EXPECT_EQ(fs.files.at("out.ico").size(), 22u + 30u);
  Extract("app.exe", 1);
  EXPECT_EQ(fs.files.at("out.ico").size(), 22u + 50u);
}

TEST_F(IconExtractionTest, AGroupNamingOneImageOverAndOverIsRefused) {
  std::vector<IconImage> images(2000, IconImage{.id = 1});
  Bytes dir = testing::BuildGroupDirectory(images);
  AddExe("bomb.dll", {{kResourceTypeGroupIcon, ResourceName::Id(1), 0x409, dir},
                      {kResourceTypeIcon, ResourceName::Id(1), 0x409, PatternBytes(40000, 1)}});
  EXPECT_TRUE(Extract("bomb.dll", 0).empty());
  EXPECT_FALSE(fs.FileExists("out.ico"));
}

TEST_F(IconExtractionTest, WriteErrorsReachTheCallerWithTheFileName) {
  AddExe("app.exe", ThreeNumberedGroups());
  fs.read_only.insert("C:\\locked.ico");
  try {
    Extract("app.exe", 0, "C:\\locked.ico");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), ::testing::HasSubstr("C:\\locked.ico"));
    EXPECT_FALSE(e.system_reason().empty());
  }
}

// An .ico directory by hand: each entry's side (0 is 256), colour bits and
// its image's bytes, laid out one after another.
struct HandEntry {
  int side;
  int bits;
  Bytes image;
  std::uint32_t offset_shift = 0;  // moves the recorded offset (damage)
};
Bytes HandIco(const std::vector<HandEntry>& entries) {
  Bytes ico = ToBytes(std::string("\0\0\1\0", 4));
  ico.push_back(static_cast<std::byte>(entries.size()));
  ico.push_back(std::byte{0});
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  auto put32 = [&](std::uint32_t v) {
    for (int k = 0; k < 4; ++k) ico.push_back(static_cast<std::byte>((v >> (8 * k)) & 0xFF));
  };
  for (const HandEntry& e : entries) {
    for (int b : {e.side & 0xFF, e.side & 0xFF, 0, 0, 1, 0, e.bits, 0}) ico.push_back(static_cast<std::byte>(b));
    put32(static_cast<std::uint32_t>(e.image.size()));
    put32(offset + e.offset_shift);
    offset += static_cast<std::uint32_t>(e.image.size());
  }
  for (const HandEntry& e : entries) ico.insert(ico.end(), e.image.begin(), e.image.end());
  return ico;
}

TEST(IcoImageForTest, PicksTheSmallestLargeEnoughElseTheLargestAndMostColours) {
  const Bytes ico = HandIco({{16, 32, ToBytes("16px")},
                             {32, 4, ToBytes("32px 4-bit")},
                             {32, 32, ToBytes("32px 32-bit")},
                             {48, 8, ToBytes("48px")},
                             {0, 32, ToBytes("256px")}});
  const struct {
    int size;
    const char* image;
  } cases[] = {{1, "16px"}, {16, "16px"}, {17, "32px 32-bit"}, {32, "32px 32-bit"},
               {40, "48px"}, {72, "256px"}, {256, "256px"}, {400, "256px"}};
  for (const auto& c : cases) {
    const auto image = IcoImageFor(ico, c.size);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()), image.size()), c.image) << c.size;
  }
  // Without a 256 entry, a size above the largest takes the largest.
  const Bytes small = HandIco({{16, 32, ToBytes("16px")}, {48, 32, ToBytes("48px")}});
  EXPECT_EQ(IcoImageFor(small, 64).size(), 4u);
  EXPECT_EQ(IcoImageFor(small, 64).data(), small.data() + small.size() - 4);
}

TEST(IcoImageForTest, EntriesOutsideTheFileAreSkippedAndAShortFileGivesNothing) {
  const Bytes ico = HandIco({{48, 32, ToBytes("past the end"), 100}, {16, 32, ToBytes("16px")}});
  const auto image = IcoImageFor(ico, 48);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()), image.size()), "16px");
  for (std::size_t cut : {0u, 5u, 6u + 15u}) EXPECT_TRUE(IcoImageFor(std::span(ico).first(cut), 16).empty()) << cut;
  // A count larger than the entries there: only the whole ones are read.
  Bytes lying = HandIco({{16, 32, ToBytes("16px")}});
  lying[4] = std::byte{200};
  EXPECT_EQ(IcoImageFor(lying, 16).size(), 4u);
}

TEST(IcoImageForTest, APicturesIcoGivesTheImageOfEachSize) {
  const Bytes ico = PictureToIco(RgbaImage{3, 3, std::vector<std::uint32_t>(9, 0xFF336699)});
  for (int size : {16, 20, 24, 32, 40, 48, 64}) {
    const auto image = IcoImageFor(ico, size);
    ASSERT_GE(image.size(), 40u);
    EXPECT_EQ(U32At(Bytes(image.begin(), image.end()), 4), static_cast<std::uint32_t>(size));  // biWidth
  }
  EXPECT_EQ(std::to_integer<int>(IcoImageFor(ico, 100)[1]), 'P');  // the 256 one, a PNG
}

}  // namespace
}  // namespace vandrel
