// The engine on a real (Wine's) file system and shell.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "i18n/message_captions.h"
#include "engine/folder_state.h"
#include "engine/icon_delete.h"
#include "engine/icon_install.h"
#include "icons/get_big_icon_win32.h"
#include "icons/icon_extraction.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ansi_codec.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_resource_loader.h"
#include "platform/win32/win32_shell.h"
#include "tests/fakes/fake_shell.h"
#include "tests/support/pe_builder.h"
#include "tests/win32/win32_test_support.h"

namespace vandrel {
namespace {

class EngineWin32Test : public ::testing::Test {
 protected:
  EngineWin32Test() {
    folder = dir.File("Photos");
    ::CreateDirectoryW(Widen(folder).c_str(), nullptr);
    fs.WriteFileAtomically(dir.File("star.ico"), testing::PatternBytes(300, 1));
  }
  DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(Widen(path).c_str()); }

  testing::TempFolder dir;
  std::string folder;
  Win32FileSystem fs;
  Win32AnsiCodec ansi;
  Win32Shell shell;
  testing::ScriptedPrompts prompts;
  DesignTimeCaptions captions;
  Win32ResourceLoader loader;
  EngineServices services{fs, ansi, shell, prompts, captions, loader};
};

TEST_F(EngineWin32Test, AppliesReadsAndRemovesAnIconOnARealFolder) {
  const auto status = IconInstall(services, InstallRequest{folder + "\\", dir.File("star.ico"), 0, "Holiday", true});
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(prompts.shown.empty());
  const std::string ini = folder + "\\Desktop.ini";
  const std::string copy = folder + "\\star.ico";
  // Wine keeps hidden and system on files (not read-only on folders).
  EXPECT_EQ(Attributes(ini) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
  EXPECT_EQ(Attributes(copy) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
  EXPECT_EQ(fs.ReadFile(copy), testing::PatternBytes(300, 1));

  const FolderIconInfo info = GetIcon(services, folder);
  EXPECT_EQ(info.icon_source, copy);
  EXPECT_EQ(info.tip, "Holiday");

  EXPECT_TRUE(IconDelete(services, folder, info.icon_source).has_value());
  EXPECT_FALSE(fs.FileExists(ini));
  EXPECT_FALSE(fs.FileExists(copy));
  EXPECT_TRUE(fs.FolderExists(folder));
}

TEST_F(EngineWin32Test, ExtractsFromAnExecutableThroughTheTemporaryFolder) {
  const std::string shell32 = testing::SystemFolder() + "\\shell32.dll";
  // Someone else's file of the natural name in the temporary folder stays.
  const std::string theirs = GetTempIconFolder() + "shell32.ico";
  fs.WriteFileAtomically(theirs, testing::PatternBytes(7, 3));
  std::string temp_dir = GetTempIconFolder();
  temp_dir.pop_back();
  auto temp_before = testing::FolderEntries(temp_dir);
  std::erase(temp_before, "shell32.ico");
  ASSERT_TRUE(IconInstall(services, InstallRequest{folder + "\\", shell32, 3, "", true}).has_value());
  EXPECT_EQ(fs.ReadFile(theirs), testing::PatternBytes(7, 3));
  fs.RemoveFile(theirs);
  // Our own temporary extraction is gone again.
  EXPECT_EQ(testing::FolderEntries(temp_dir), temp_before);
  IconServices icons{fs, loader, prompts, captions};
  ASSERT_TRUE(ExtractIconByIndex(icons, shell32, dir.File("reference.ico"), 3));
  const auto placed = fs.ReadFile(folder + "\\shell32.ico");
  ASSERT_TRUE(placed.has_value());
  EXPECT_EQ(*placed, *fs.ReadFile(dir.File("reference.ico")));
  auto entries = testing::FolderEntries(folder);
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"Desktop.ini", "shell32.ico"}));
  // The copy is a one-icon .ico file, shown at its own index 0.
  const FolderIconInfo info = GetIcon(services, folder);
  EXPECT_EQ(info.icon_source, folder + "\\shell32.ico");
  EXPECT_EQ(info.icon_index, 0);
}

TEST_F(EngineWin32Test, ShellHelpersAnswerSensibly) {
  const std::string windows = shell.GetSpecialFolder(kCsidlWindows);
  EXPECT_TRUE(fs.FolderExists(windows)) << windows;
  EXPECT_NE(windows.back(), '\\');
  const std::string temp = GetTempIconFolder();
  ASSERT_GE(temp.size(), 2u);
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_NE(temp[temp.size() - 2], '\\');
  EXPECT_EQ(shell.ToUpperUserLocale("Windows папка"), "WINDOWS ПАПКА");
  EXPECT_TRUE(IsProtectedFolderName(shell, "$Recycle.Bin"));
  EXPECT_FALSE(IsProtectedFolderName(shell, "Photos"));
  shell.NotifyAssociationsChanged();  // must not block or fail without a desktop
  shell.RefreshDesktop();
}

TEST_F(EngineWin32Test, ShellIconsOfFoldersFilesAndNothing) {
  EXPECT_TRUE(GetShellIcon(folder));
  EXPECT_TRUE(GetShellIcon(testing::SystemFolder() + "\\notepad.exe"));
  EXPECT_FALSE(GetShellIcon(dir.File("no such file.txt")));
  EXPECT_TRUE(GetSystemImageList(kShilExtraLarge));
}

TEST_F(EngineWin32Test, RecyclingTakesTheFileAway) {
  const std::string victim = dir.File("old.ico");
  fs.WriteFileAtomically(victim, testing::PatternBytes(10, 2));
  EXPECT_TRUE(DeleteFileWithUndo(shell, victim));
  EXPECT_FALSE(fs.FileExists(victim));
  EXPECT_FALSE(DeleteFileWithUndo(shell, dir.File("never there.ico")));

  // A path longer than the shell's file operations take goes by its short form.
  std::string deep = dir.path();
  while (deep.size() < MAX_PATH + 20) {
    deep += "\\a rather long folder name";
    ASSERT_TRUE(::CreateDirectoryW(ToWinPath(deep).c_str(), nullptr));
  }
  const std::string long_file = deep + "\\old copy.ico";
  fs.WriteFileAtomically(long_file, testing::PatternBytes(10, 2));
  std::string reason;
  EXPECT_TRUE(shell.RecycleFile(long_file, reason)) << reason;
  EXPECT_FALSE(fs.FileExists(long_file));
}

TEST_F(EngineWin32Test, RemoveKeepsAForeignDesktopIniAndReportsWhatStays) {
  const std::string ini = folder + "\\Desktop.ini";
  fs.WriteFileAtomically(ini, testing::ToBytes("[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21770\r\n"
                                               "IconResource=star.ico,0\r\n[ViewState]\r\nMode=4\r\n"));
  fs.WriteFileAtomically(folder + "\\star.ico", testing::PatternBytes(30, 1));
  ASSERT_TRUE(IconDelete(services, folder, folder + "\\star.ico").has_value());
  EXPECT_EQ(fs.ReadFile(ini), testing::ToBytes("[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21770\r\n\r\n"
                                               "[ViewState]\r\nMode=4\r\n\r\n"));
  EXPECT_EQ(Attributes(ini) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
  EXPECT_FALSE(fs.FileExists(folder + "\\star.ico"));
}

TEST_F(EngineWin32Test, UniqueFilesAndFullPaths) {
  const std::string first = fs.CreateUniqueFile(dir.path() + "\\", "star.ico", ".vandrel-new");
  EXPECT_EQ(first, dir.File("star.ico.vandrel-new"));
  fs.WriteFileAtomically(first, testing::PatternBytes(5, 1));
  const std::string second = fs.CreateUniqueFile(dir.path() + "\\", "star.ico", ".vandrel-new");
  EXPECT_EQ(second, dir.File("star.ico-1.vandrel-new"));
  EXPECT_EQ(fs.ReadFile(first), testing::PatternBytes(5, 1));  // never opened again
  EXPECT_EQ(fs.ReadFile(second), Bytes{});

  EXPECT_EQ(fs.FullPath("C:\\Photos\\.."), "C:\\");
  EXPECT_EQ(fs.FullPath("C:/Photos//Boot"), "C:\\Photos\\Boot");
  EXPECT_EQ(fs.FullPath(folder + "\\.\\sub\\..\\"), folder + "\\");
}

TEST_F(EngineWin32Test, ALinkToAFolderThatIsGoneIsNoFolder) {
  const std::string target = dir.File("target");
  const std::string link = dir.File("link");
  ASSERT_TRUE(::CreateDirectoryW(Widen(target).c_str(), nullptr));
  if (!::CreateSymbolicLinkW(Widen(link).c_str(), Widen(target).c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
      ::GetFileAttributesW(Widen(link).c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "this system makes no symbolic links that can be followed (Wine 8)";
  EXPECT_TRUE(fs.FolderExists(link));
  ::RemoveDirectoryW(Widen(target).c_str());
  EXPECT_FALSE(fs.FolderExists(link));
  ::RemoveDirectoryW(Widen(link).c_str());
}

}  // namespace
}  // namespace vandrel
