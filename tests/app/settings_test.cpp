// Option.ini of the main window: where it lies, what is read, what is written.
#include "app/settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/fakes/fake_file_system.h"
#include "tests/support/pe_builder.h"

namespace vandrel {
namespace {

using testing::FakeFileSystem;
using testing::ToBytes;

class SettingsTest : public ::testing::Test {
 protected:
  IniStore Parse(std::string_view text) { return IniStore::Parse(ToBytes(text), *cp1251); }
  FakeFileSystem fs;
  std::unique_ptr<AnsiCodec> cp1251 = MakeWindows1251Codec();
};

TEST_F(SettingsTest, TheFileLiesBesideAPortableCopyOrUnderTheProfileAndItsFolderIsMade) {
  const struct {
    bool portable;
    const char* app_data;
    const char* expected;
    const char* folder;
  } cases[] = {
      {true, "C:\\Users\\me\\AppData\\Roaming", "D:\\Tools\\Vandrel\\Config\\Option.ini", "D:\\Tools\\Vandrel\\Config"},
      {false, "C:\\Users\\me\\AppData\\Roaming", "C:\\Users\\me\\AppData\\Roaming\\Vandrel Soft\\Vandrel\\Config\\Option.ini",
       "C:\\Users\\me\\AppData\\Roaming\\Vandrel Soft\\Vandrel\\Config"},
      {false, "C:\\Users\\me\\AppData\\Roaming\\", "C:\\Users\\me\\AppData\\Roaming\\Vandrel Soft\\Vandrel\\Config\\Option.ini",
       "C:\\Users\\me\\AppData\\Roaming\\Vandrel Soft\\Vandrel\\Config"},
      // The shell could not tell the folder: a backslash on empty text.
      {false, "", "\\Vandrel Soft\\Vandrel\\Config\\Option.ini", "\\Vandrel Soft\\Vandrel\\Config"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    FakeFileSystem files;
    EXPECT_EQ(PortablePath(files, c.portable, "D:\\Tools\\Vandrel\\Vandrel.exe", c.app_data, "Vandrel Soft"), c.expected);
    EXPECT_TRUE(files.folders.count(c.folder)) << "the folder is made by merely asking";
    EXPECT_TRUE(files.files.empty()) << "no file is made";
  }
  // A folder that cannot be made is not reported: the later write fails.
  fs.uncreatable.insert("D:\\Locked");
  EXPECT_EQ(PortablePath(fs, true, "D:\\Locked\\Vandrel.exe", "", ""), "D:\\Locked\\Config\\Option.ini");
  EXPECT_FALSE(fs.FolderExists("D:\\Locked\\Config"));
}

TEST_F(SettingsTest, ReadingGivesTheDefaultsForWhatTheFileDoesNotSay) {
  using Themes = std::array<bool, 3>;
  const struct {
    const char* text;
    Themes themes;
    bool copy, small, big, maximized;
    std::optional<int> height, width;
    int checked_theme;
  } cases[] = {
      {"", {}, false, false, false, false, std::nullopt, std::nullopt, -1},  // a first start
      {"[Option]\nWindow=wsMaximized\nHeight=600\nWidth=800", {}, false, false, false, true, std::nullopt, std::nullopt, -1},
      {"[Option]\nWindow=WSMAXIMIZED\nHeight=0x258\nWidth=800", {}, false, false, false, false, 600, 800, -1},
      {"[Option]\nWindow=wsNormal\nHeight=abc\nWidth=", {}, false, false, false, false, std::nullopt, std::nullopt, -1},
      {"[Option]\nThemeAuto=1\nThemeDark=1", {true, false, true}, false, false, false, false, std::nullopt, std::nullopt, 2},
      {"[Option]\nThemeLight=-5", {false, true, false}, false, false, false, false, std::nullopt, std::nullopt, 1},
      {"[Option]\nCheckBoxCopyIcon=2\nIconSmallMenu=1\nIconBigMenu=1", {}, true, true, true, false, std::nullopt,
       std::nullopt, -1},
      {"[Option]\nCheckBoxCopyIcon=yes\nIconBigMenu=0", {}, false, false, false, false, std::nullopt, std::nullopt, -1},
      {"[option]\ncheckboxcopyicon=1", {}, true, false, false, false, std::nullopt, std::nullopt, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const MainSettings s = ReadMainSettings(Parse(c.text));
    EXPECT_EQ(s.themes, c.themes);
    EXPECT_EQ(CheckedTheme(s.themes), c.checked_theme);
    EXPECT_EQ(s.copy_icon, c.copy);
    EXPECT_EQ(s.icon_small, c.small);
    EXPECT_EQ(s.icon_big, c.big);
    EXPECT_EQ(s.maximized, c.maximized);
    EXPECT_EQ(s.height, c.height);
    EXPECT_EQ(s.width, c.width);
  }
}

TEST_F(SettingsTest, ANewFileHoldsTheKeysInTheirOrder) {
  IniStore ini = Parse("");
  MainWindowState state;
  state.height = 550;
  state.width = 700;
  WriteMainSettings(ini, state);
  EXPECT_EQ(ini.Layout(),
            "[Option]\r\nThemeAuto=0\r\nThemeLight=0\r\nThemeDark=0\r\nCheckBoxCopyIcon=0\r\nIconSmallMenu=0\r\n"
            "IconBigMenu=0\r\nWindow=wsNormal\r\nHeight=550\r\nWidth=700\r\n\r\n");
}

TEST_F(SettingsTest, AMaximisedWindowKeepsTheStoredNormalSizeAndOtherKeysSurvive) {
  IniStore ini = Parse(
      "[Option]\nCheckBoxAutoCheck=0\nHeight=600\nWidth=800\nWindow=wsNormal\n[Language]\nLanguage=English\n");
  MainWindowState state;
  state.themes = {false, false, true};
  state.copy_icon = true;
  state.icon_big = true;
  state.maximized = true;
  state.height = 1000;  // the maximised size is not what is kept
  state.width = 1900;
  WriteMainSettings(ini, state);
  EXPECT_EQ(ini.Layout(),
            "[Option]\r\nCheckBoxAutoCheck=0\r\nHeight=600\r\nWidth=800\r\nWindow=wsMaximized\r\nThemeAuto=0\r\n"
            "ThemeLight=0\r\nThemeDark=1\r\nCheckBoxCopyIcon=1\r\nIconSmallMenu=0\r\nIconBigMenu=1\r\n\r\n"
            "[Language]\r\nLanguage=English\r\n\r\n");
  // And the other way round: a reader of the main window's keys finds them.
  const MainSettings back = ReadMainSettings(ini);
  EXPECT_TRUE(back.maximized);
  EXPECT_EQ(CheckedTheme(back.themes), 2);
}

TEST_F(SettingsTest, ARestoredSizeFitsTheScreenAndKeepsTheMinimum) {
  const ui::Size minimum{700, 550}, work{1280, 984};
  const struct {
    ui::Size wanted, expected;
  } cases[] = {
      {{800, 600}, {800, 600}},
      {{3840, 2100}, {1280, 984}},  // from a larger screen
      {{100, 0}, {700, 550}},       // the minimum still holds
      {{-5, 700}, {700, 700}},
  };
  for (const auto& c : cases) EXPECT_EQ(FitWindowSize(c.wanted, minimum, work), c.expected);
  // A screen smaller than the minimum: the minimum wins, as the window's own rule.
  EXPECT_EQ(FitWindowSize({900, 900}, minimum, {640, 480}), (ui::Size{700, 550}));
}

}  // namespace
}  // namespace vandrel
