#include "icons/pe_resource_file.h"

#include <gtest/gtest.h>

#include "icons/icon_extraction.h"
#include "tests/support/pe_builder.h"

namespace vandrel {
namespace {

using testing::BuildPe;
using testing::PeOptions;
using testing::PeResource;
using testing::ToBytes;

std::vector<std::string> GroupTexts(const Bytes& pe) {
  std::vector<std::string> out;
  auto file = OpenPeResources(std::make_unique<MemoryByteSource>(pe));
  if (!file) return {"<not a PE>"};
  for (const auto& n : ListIconGroups(*file)) out.push_back(n.ListText());
  return out;
}

PeResource Group(ResourceName name, std::uint16_t lang = 0x0409, std::string data = "group") {
  return {kResourceTypeGroupIcon, std::move(name), lang, ToBytes(data)};
}

TEST(PeResources, ListsStringNamesFirstThenIdentifiersAscending) {
  const std::vector<PeResource> resources = {
      Group(ResourceName::Id(101)), Group(ResourceName::Id(1)), Group(ResourceName::String("ZEBRA")),
      Group(ResourceName::Id(5)), Group(ResourceName::String("APPLE")),
      {kResourceTypeIcon, ResourceName::Id(1), 0x0409, ToBytes("image")},
  };
  for (bool plus : {false, true}) {
    EXPECT_EQ(GroupTexts(BuildPe(resources, PeOptions{.pe32plus = plus})),
              (std::vector<std::string>{"APPLE", "ZEBRA", "ID:1", "ID:5", "ID:101"}));
  }
}

TEST(PeResources, EnumeratesInDirectoryOrderAsStored) {
  const Bytes pe = BuildPe({Group(ResourceName::Id(9)), Group(ResourceName::String("B")), Group(ResourceName::Id(2))},
                           PeOptions{.keep_order = true});
  EXPECT_EQ(GroupTexts(pe), (std::vector<std::string>{"ID:9", "B", "ID:2"}));
}

TEST(PeResources, ANameInSeveralLanguagesIsListedOnceAndReadInItsFirstLanguage) {
  const Bytes pe = BuildPe({Group(ResourceName::Id(7), 0x0419, "russian"), Group(ResourceName::Id(7), 0x0409, "english")});
  auto file = OpenPeResources(std::make_unique<MemoryByteSource>(pe));
  ASSERT_TRUE(file);
  EXPECT_EQ(ListIconGroups(*file).size(), 1u);
  EXPECT_EQ(file->Find(kResourceTypeGroupIcon, ResourceName::Id(7)), ToBytes("russian"));
}

TEST(PeResources, FindsByIdentifierAndByStringNameWithoutRegardToCase) {
  const Bytes pe = BuildPe({Group(ResourceName::String("MAINICON"), 0x0409, "main"), Group(ResourceName::Id(3))});
  auto file = OpenPeResources(std::make_unique<MemoryByteSource>(pe));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Find(kResourceTypeGroupIcon, ResourceName::String("mainicon")), ToBytes("main"));
  EXPECT_EQ(file->Find(kResourceTypeGroupIcon, ResourceName::Id(3)), ToBytes("group"));
  EXPECT_FALSE(file->Find(kResourceTypeGroupIcon, ResourceName::Id(4)));
  EXPECT_FALSE(file->Find(kResourceTypeIcon, ResourceName::Id(3)));
}

TEST(PeResources, FilesThatAreNotImagesDoNotOpen) {
  const Bytes ico = ToBytes(std::string("\0\0\1\0\1\0", 6) + std::string(40, 'x'));
  Bytes bad_magic = BuildPe({Group(ResourceName::Id(1))});
  bad_magic[0x80 + 24] = std::byte{0x07};
  Bytes bad_signature = BuildPe({Group(ResourceName::Id(1))});
  bad_signature[0x80] = std::byte{'X'};
  for (const Bytes& b : {ico, bad_magic, bad_signature, Bytes{}, ToBytes("MZ")})
    EXPECT_EQ(OpenPeResources(std::make_unique<MemoryByteSource>(b)), nullptr);
}

TEST(PeResources, AnImageWithoutResourcesHasNoGroups) {
  EXPECT_TRUE(GroupTexts(BuildPe({})).empty());
}

TEST(PeResources, TruncatedAndCorruptedFilesNeverReadOutOfBounds) {
  std::vector<PeResource> resources = testing::IconGroupResources(
      ResourceName::String("ICON"), {{.id = 1, .data = testing::PatternBytes(300, 1)}, {.id = 2, .data = testing::PatternBytes(90, 2)}});
  resources.push_back(Group(ResourceName::Id(1)));
  const Bytes good = BuildPe(resources);
  // Every prefix of the file, and every byte of it flipped to three values.
  for (std::size_t size = 0; size <= good.size(); size += 7) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    if (auto f = OpenPeResources(std::make_unique<MemoryByteSource>(cut))) {
      for (const auto& n : ListIconGroups(*f)) (void)BuildIcoFile(*f, n);
    }
  }
  for (std::size_t i = 0; i < good.size(); ++i) {
    for (std::byte v : {std::byte{0x00}, std::byte{0x7F}, std::byte{0xFF}}) {
      Bytes bad = good;
      bad[i] = v;
      if (auto f = OpenPeResources(std::make_unique<MemoryByteSource>(bad))) {
        for (const auto& n : ListIconGroups(*f)) (void)BuildIcoFile(*f, n);
      }
    }
  }
}

TEST(PeResources, ADirectoryThatPointsBackToTheRootEnds) {
  // The name table of type 14 is made to point at the root directory itself.
  Bytes pe = BuildPe({Group(ResourceName::Id(1))});
  const std::size_t root = 0x200;
  // Root entry 0: type 14, subdirectory at offset 0 (the root again).
  pe[root + 16 + 4] = std::byte{0};
  pe[root + 16 + 5] = std::byte{0};
  pe[root + 16 + 6] = std::byte{0};
  pe[root + 16 + 7] = std::byte{0x80};
  auto file = OpenPeResources(std::make_unique<MemoryByteSource>(pe));
  ASSERT_TRUE(file);
  const auto names = ListIconGroups(*file);
  EXPECT_EQ(names.size(), 1u);  // the root's own entry, read as a name
  for (const auto& n : names) EXPECT_FALSE(BuildIcoFile(*file, n).has_value());
}

TEST(PeResources, AHugeDeclaredDataSizeAllocatesNothing) {
  Bytes pe = BuildPe({Group(ResourceName::Id(1))});
  // Root (16+8), name table (16+8), language table (16+8): the data entry follows.
  const std::size_t entry = 0x200 + 72;
  pe[entry + 4] = std::byte{0xF0};
  pe[entry + 5] = std::byte{0xFF};
  pe[entry + 6] = std::byte{0xFF};
  pe[entry + 7] = std::byte{0x7F};
  auto file = OpenPeResources(std::make_unique<MemoryByteSource>(pe));
  ASSERT_TRUE(file);
  EXPECT_FALSE(file->Find(kResourceTypeGroupIcon, ResourceName::Id(1)).has_value());
}

}  // namespace
}  // namespace vandrel
