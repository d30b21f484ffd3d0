// The engine on a real (Wine's) file system and shell.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/message_captions.h"
#include "engine/folder_state.h"
#include "engine/icon_delete.h"
#include "engine/icon_install.h"
#include "icons/get_big_icon_win32.h"
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
  ASSERT_TRUE(IconInstall(services, InstallRequest{folder + "\\", shell32, 3, "", true}).has_value());
  const auto placed = fs.ReadFile(folder + "\\shell32.ico");
  const auto temp = fs.ReadFile(GetTempIconFolder() + "shell32.ico");
  ASSERT_TRUE(placed && temp);
  EXPECT_EQ(*placed, *temp);
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
}

}  // namespace
}  // namespace vandrel
