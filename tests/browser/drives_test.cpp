#include "browser/drives.h"

#include <gtest/gtest.h>

#include "browser/folder_list.h"
#include "tests/fakes/fake_file_system.h"

namespace vandrel {
namespace {

std::string Upper(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

TEST(Drives, TrimEX) {
  struct Case {
    const char* word;
    const char* set;
    const char* out;
  } cases[] = {{"C:\\Games\\", "\\", "C:\\Games"}, {"\\\\server\\share\\", "\\", "server\\share"},
               {"\\", "\\", "\\"},                 {"\\\\", "\\", ""},
               {"   ", "\\", "   "},                {"xAbcX", "x", "Abc"},
               {" keep ", "", " keep "},           {"  \\A\\ ", "\\", "A"}};
  for (const auto& c : cases) EXPECT_EQ(TrimEX(c.word, c.set, Upper), c.out) << c.word;
}

TEST(Drives, GetParentDir) {
  testing::FakeFileSystem fs;
  for (const char* f : {"C:\\", "C:\\Games", "C:\\Games\\Steam"}) fs.folders.insert(f);
  EXPECT_EQ(GetParentDir(fs, "C:\\Games\\Steam\\", Upper), "C:\\Games\\");
  EXPECT_EQ(GetParentDir(fs, "C:\\Games", Upper), "C:\\");
  EXPECT_EQ(GetParentDir(fs, "C:\\Nowhere\\", Upper), "");
}

TEST(Drives, EntriesAndTheDriveOfAPath) {
  EXPECT_EQ(DriveEntryText('c', "System"), "C:\\ [System ]");
  EXPECT_EQ(DriveEntryText('D', ""), "D:\\ [ ]");
  const std::vector<std::string> entries = {"C:\\ [System ]", "D:\\ [Data ]"};
  EXPECT_EQ(SelectDriveFromPath(entries, "d:\\photos").index, 1u);
  const DriveChoice optical = SelectDriveFromPath(entries, "E:\\Disc\\x");
  EXPECT_FALSE(optical.index);
  EXPECT_EQ(optical.letter, 'E');
  EXPECT_EQ(SelectDriveFromPath(entries, "\\\\server\\share\\docs").letter, '\\');
  for (const char* root : {"", "C:", "C:\\", "\\\\server\\share", "\\\\server\\share\\"}) EXPECT_TRUE(IsAtDriveRoot(root));
  EXPECT_FALSE(IsAtDriveRoot("C:\\Games\\"));
}

TEST(FolderList, NamesNeverListedAndThePathBoxJoins) {
  for (const char* name : {"$RECYCLE.BIN", "$recycle.bin", "system volume information", "Thumbs.db", ".git",
                           "NODE_MODULES", "__pycache__", ".Trash-1000"})
    EXPECT_TRUE(IsSystemOrHiddenFolder(name)) << name;
  for (const char* name : {"Games", ".gitignore", "node_modules2", "RECYCLE", "Thumbs"})
    EXPECT_FALSE(IsSystemOrHiddenFolder(name)) << name;
  EXPECT_FALSE(IsSystemOrHiddenFolder("\xD0\x9F"));  // no folding beyond A-Z
  EXPECT_TRUE(IsListedFolder("Games", kAttrDirectory));
  EXPECT_FALSE(IsListedFolder("Games", kAttrDirectory | kAttrHidden));
  EXPECT_FALSE(IsListedFolder("Games", kAttrDirectory | kAttrSystem));
  EXPECT_FALSE(IsListedFolder("file.txt", kAttrArchive));
  EXPECT_FALSE(IsListedFolder("..", kAttrDirectory));
  EXPECT_FALSE(IsListedFolder(".git", kAttrDirectory));
  EXPECT_EQ(ListingDirectory(""), "\\");
  EXPECT_EQ(ListingDirectory("C:"), "C:\\");
  EXPECT_EQ(ListingDirectory("C:\\Games\\"), "C:\\Games\\");
  EXPECT_EQ(EnterFolder("C:\\Games\\", "Steam"), "C:\\Games\\Steam\\");
  EXPECT_EQ(EnterFolder("C:\\Games", "Steam"), "C:\\Games\\Steam\\");
  EXPECT_EQ(EnterFolder("C:", "Games"), "C:\\Games\\");
}

TEST(FolderList, ListsOnlyVisibleFoldersWithTheirFullPathsAndWhichMayShowAnIconOfTheirOwn) {
  testing::FakeFileSystem fs;
  for (const char* f : {"D:", "D:\\Games", "D:\\Hidden", "D:\\System", "D:\\$RECYCLE.BIN", "D:\\.git", "D:\\Photos",
                        "D:\\Photos\\2024"})
    fs.folders.insert(f);
  fs.files["D:\\notes.txt"] = {};
  fs.attributes["D:\\Hidden"] = kAttrDirectory | kAttrHidden;
  fs.attributes["D:\\System"] = kAttrDirectory | kAttrSystem;
  // Only a read-only folder (or a reparse point) may show an icon of its own.
  fs.attributes["D:\\Photos"] = kAttrDirectory | kAttrReadOnly;
  EXPECT_TRUE(MayShowOwnFolderIcon(kAttrDirectory | kAttrSystem));
  EXPECT_TRUE(MayShowOwnFolderIcon(kAttrDirectory | kAttrReparsePoint));
  EXPECT_FALSE(MayShowOwnFolderIcon(kAttrDirectory | kAttrArchive));
  std::vector<std::string> captions, paths;
  std::vector<bool> own_icon;
  for (const auto& f : ListFolders(fs, "D:")) {
    captions.push_back(f.caption);
    paths.push_back(f.full_path);
    own_icon.push_back(f.own_icon);
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"Games", "Photos"}));
  EXPECT_EQ(paths, (std::vector<std::string>{"D:\\Games", "D:\\Photos"}));
  EXPECT_EQ(own_icon, (std::vector<bool>{false, true}));
  EXPECT_TRUE(ListFolders(fs, "D:\\Nowhere").empty());
}

}  // namespace
}  // namespace vandrel
