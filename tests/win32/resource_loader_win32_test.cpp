#include "platform/win32/win32_resource_loader.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "i18n/message_captions.h"
#include "icons/icon_extraction.h"
#include "icons/pe_resource_file.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "tests/fakes/fake_shell.h"
#include "tests/support/pe_builder.h"
#include "tests/win32/win32_test_support.h"

namespace vandrel {
namespace {

using testing::BuildPe;
using testing::IconGroupResources;
using testing::PatternBytes;
using testing::TempFolder;

std::vector<ResourceName> Groups(ResourceLoader& loader, const std::string& path) {
  auto file = loader.Open(path);
  if (!file) return {};
  return ListIconGroups(*file);
}

// The loader's view and our reader must list the same groups and give the
// same .ico bytes for every one of them.
void ExpectSameView(const std::string& path) {
  SCOPED_TRACE(path);
  Win32FileSystem fs;
  Win32ResourceLoader system;
  PeResourceLoader ours(fs);
  auto a = system.Open(path);
  auto b = ours.Open(path);
  ASSERT_TRUE(a && b);
  const auto groups = ListIconGroups(*a);
  ASSERT_EQ(groups, ListIconGroups(*b));
  EXPECT_EQ(GetIconCountSimple(fs, system, path), static_cast<int>(groups.size()));
  for (const ResourceName& g : groups) EXPECT_EQ(BuildIcoFile(*a, g), BuildIcoFile(*b, g)) << g.ListText();
  // ExtractIconW counts the same groups, so our indices are Explorer's.
  const auto count = reinterpret_cast<UINT_PTR>(::ExtractIconW(::GetModuleHandleW(nullptr), Widen(path).c_str(), UINT(-1)));
  EXPECT_EQ(count, groups.size());
}

TEST(Win32ResourceLoader, AgreesWithOurReaderOnSystemFiles) {
  const std::string sys = testing::SystemFolder();
  int with_icons = 0;
  for (const char* name : {"shell32.dll", "user32.dll", "comctl32.dll", "comdlg32.dll", "explorer.exe", "notepad.exe",
                           "regedit.exe", "winecfg.exe", "kernel32.dll", "shdocvw.dll"}) {
    const std::string path = sys + "\\" + name;
    if (::GetFileAttributesW(Widen(path).c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    ExpectSameView(path);
    with_icons += Groups(*std::make_unique<Win32ResourceLoader>(), path).empty() ? 0 : 1;
  }
  EXPECT_GE(with_icons, 3);
}

TEST(Win32ResourceLoader, AgreesWithOurReaderOnCraftedFiles) {
  TempFolder dir;
  Win32FileSystem fs;
  std::vector<testing::PeResource> r;
  for (std::uint16_t id : {300, 2, 17}) {
    auto g = IconGroupResources(ResourceName::Id(id), {{.id = static_cast<std::uint16_t>(id + 1), .data = PatternBytes(200 + id, id)},
                                                       {.id = static_cast<std::uint16_t>(id + 2), .reserved = 5, .data = PatternBytes(90, id + 1)}});
    r.insert(r.end(), g.begin(), g.end());
  }
  auto named = IconGroupResources(ResourceName::String("ZMAIN"), {{.id = 900, .data = PatternBytes(64, 9)}});
  r.insert(r.end(), named.begin(), named.end());
  auto second = IconGroupResources(ResourceName::String("AFIRST"), {{.id = 901, .declared_size = 999, .data = PatternBytes(64, 10)},
                                                                    {.id = 902, .declared_size = 50}});
  r.insert(r.end(), second.begin(), second.end());
  for (bool plus : {false, true}) {
    const std::string path = dir.File(plus ? "crafted64.dll" : "crafted32.dll");
    fs.WriteFileAtomically(path, BuildPe(r, testing::PeOptions{.pe32plus = plus}));
    ExpectSameView(path);
    Win32ResourceLoader system;
    std::vector<std::string> texts;
    for (const auto& g : Groups(system, path)) texts.push_back(g.ListText());
    EXPECT_EQ(texts, (std::vector<std::string>{"AFIRST", "ZMAIN", "ID:2", "ID:17", "ID:300"}));
  }
}

TEST(Win32ResourceLoader, RefusesFilesThatAreNotExecutables) {
  TempFolder dir;
  Win32FileSystem fs;
  const std::string ico = dir.File("star.ico");
  fs.WriteFileAtomically(ico, testing::ToBytes(std::string("\0\0\1\0\1\0", 6) + std::string(200, 'x')));
  Win32ResourceLoader system;
  EXPECT_EQ(system.Open(ico), nullptr);
  EXPECT_EQ(system.Open(dir.File("missing.dll")), nullptr);
  EXPECT_EQ(GetIconCountSimple(fs, system, ico), 0);
}

TEST(Win32ResourceLoader, DataPastTheEndOfADamagedFileIsNotRead) {
  TempFolder dir;
  Win32FileSystem fs;
  std::vector<testing::PeResource> r;
  for (std::uint16_t id = 1; id <= 4; ++id) {
    auto g = IconGroupResources(ResourceName::Id(id), {{.id = static_cast<std::uint16_t>(10 + id), .data = PatternBytes(20000, id)}});
    r.insert(r.end(), g.begin(), g.end());
  }
  const Bytes good = BuildPe(r);
  Bytes huge_size = good;
  // The first data entry follows the directory tables; give it an absurd size.
  const std::size_t tables = 16 + 2 * 8 + (16 + 4 * 8) * 2 + (16 + 8) * 8;
  huge_size[0x200 + tables + 4 + 3] = std::byte{0x7F};
  const struct {
    const char* name;
    Bytes bytes;
  } files[] = {
      {"half.dll", Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2))},
      {"huge.dll", huge_size},
  };
  Win32ResourceLoader system;
  int found = 0;
  for (const auto& f : files) {
    const std::string path = dir.File(f.name);
    fs.WriteFileAtomically(path, f.bytes);
    auto file = system.Open(path);
    if (!file) continue;
    for (const ResourceName& g : ListIconGroups(*file)) (void)BuildIcoFile(*file, g);
    for (std::uint16_t id = 1; id <= 20; ++id) {
      const auto data = file->Find(kResourceTypeIcon, ResourceName::Id(id));
      if (!data) continue;
      ++found;
      EXPECT_LE(data->size(), f.bytes.size()) << f.name << " " << id;  // never more than the file holds
    }
  }
  // The intact headers of huge.dll let the loader open it and find the
  // images whose data lies inside the file; the damaged one is not read.
  EXPECT_GT(found, 0) << "nothing was exercised";
}

TEST(Win32ResourceLoader, ExtractsFromASystemFileIntoALongPath) {
  TempFolder dir;
  Win32FileSystem fs;
  Win32ResourceLoader system;
  const std::string shell32 = testing::SystemFolder() + "\\shell32.dll";
  ASSERT_GT(GetIconCountSimple(fs, system, shell32), 0);
  std::string deep = dir.path();
  while (deep.size() < 300) {
    deep += "\\" + std::string(60, 'd');
    ASSERT_TRUE(::CreateDirectoryW(ToWinPath(deep).c_str(), nullptr));
  }
  testing::ScriptedPrompts prompts;
  DesignTimeCaptions captions;
  IconServices services{fs, system, prompts, captions};
  const std::string out = deep + "\\icon.ico";
  ExtractIconByIndex(services, shell32, out, 0);
  EXPECT_TRUE(prompts.shown.empty());
  const auto ico = fs.ReadFile(out);
  ASSERT_TRUE(ico.has_value());
  ASSERT_GE(ico->size(), 22u);
  EXPECT_EQ((*ico)[2], std::byte{1});  // an icon file
}

}  // namespace
}  // namespace vandrel
