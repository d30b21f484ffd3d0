// The main window with its settings file, the real registry and real files:
// what a start reads, what a close writes, the folder context-menu entry.
#include <windows.h>
#include <shlobj.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/settings.h"
#include "app/theme_style.h"
#include "app/unit_base_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "resources/version.h"
#include "shell/theme_selection.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_system.h"
#include "tests/win32/gui_support.h"
#include "tests/win32/win32_test_support.h"
#include "ui/theme.h"

namespace vandrel {
namespace {

using ::testing::HasSubstr;

std::string ReadText(const std::string& path) {
  Win32FileSystem fs;
  const auto bytes = fs.ReadFile(path);
  if (!bytes) return "<missing>";
  return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size());
}

void WriteText(const std::string& path, std::string_view text) {
  Win32FileSystem fs;
  fs.CreateFolders(path.substr(0, path.find_last_of('\\')));
  fs.WriteFileAtomically(path, std::as_bytes(std::span(text.data(), text.size())));
}

std::optional<std::string> RegistryText(const std::string& key, const wchar_t* name) {
  wchar_t value[4096];
  DWORD size = sizeof value;
  if (::RegGetValueW(HKEY_CURRENT_USER, Widen(key).c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return Narrow(value);
}

class SettingsGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::InitializeUi(::GetModuleHandleW(nullptr)); }
  // A portable copy of the program in a folder of the test's own.
  std::unique_ptr<TForm1> Start() { return std::make_unique<TForm1>(std::vector<std::string>{}, "9.0.26.320", true, exe); }
  // Closing the main window ends the program's message loop; the tests go on.
  static void Close(TForm1& form) {
    ::SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
    MSG quit;
    while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  testing::TempFolder dir;
  std::string exe = dir.File("Программа Vandrel\\Vandrel.exe");
  std::string option = dir.File("Программа Vandrel\\Config\\Option.ini");
};

TEST_F(SettingsGuiTest, AFirstStartMakesTheFolderAndTheCloseWritesEveryKey) {
  auto form = Start();
  EXPECT_TRUE(Win32FileSystem().FolderExists(dir.File("Программа Vandrel\\Config")));
  EXPECT_EQ(ReadText(option), "<missing>");  // reading makes no file
  EXPECT_EQ(form->PortablePath(), option);
  EXPECT_FALSE(form->CheckBoxCopyIcon.Checked());
  form->Show();
  const ui::Size size = form->NormalSize();
  Close(*form);
  EXPECT_FALSE(::IsWindow(form->hwnd()));
  EXPECT_EQ(ReadText(option), "[Option]\r\nThemeAuto=0\r\nThemeLight=0\r\nThemeDark=0\r\nCheckBoxCopyIcon=0\r\n"
                              "IconSmallMenu=0\r\nIconBigMenu=0\r\nWindow=wsNormal\r\nHeight=" +
                                  std::to_string(size.height) + "\r\nWidth=" + std::to_string(size.width) + "\r\n\r\n");
  // Written once, at the close: not again when the window object goes.
  ::DeleteFileW(ToWinPath(option).c_str());
  form.reset();
  EXPECT_EQ(ReadText(option), "<missing>");
}

TEST_F(SettingsGuiTest, TheStoredChoicesAndSizeComeBackAndOtherKeysSurvive) {
  WriteText(option, "[Option]\r\nCheckBoxAutoCheck=0\r\nThemeAuto=1\r\nThemeDark=1\r\nCheckBoxCopyIcon=2\r\n"
                    "IconBigMenu=1\r\nWindow=wsNormal\r\nHeight=0x2EE\r\nWidth=800\r\n\r\n[Language]\r\nLanguage=English\r\n");
  auto form = Start();
  EXPECT_TRUE(form->ThemeDark.checked);
  EXPECT_FALSE(form->ThemeAuto.checked);
  EXPECT_TRUE(ui::Theme::Current().dark()) << "the saved style is applied at start";
  EXPECT_TRUE(form->CheckBoxCopyIcon.Checked());
  EXPECT_TRUE(form->IconBigMenu.checked);
  EXPECT_FALSE(form->IconSmallMenu.checked);
  EXPECT_EQ(form->NormalSize(), FitWindowSize({800, 750}, form->MinimumSize(), form->WorkAreaSize()));
  form->Show();
  form->CheckBoxCopyIcon.SetChecked(false);
  Close(*form);
  const std::string text = ReadText(option);
  EXPECT_THAT(text, HasSubstr("CheckBoxAutoCheck=0\r\n"));
  EXPECT_THAT(text, HasSubstr("[Language]\r\nLanguage=English\r\n"));
  EXPECT_THAT(text, HasSubstr("ThemeAuto=0\r\nThemeDark=1\r\nCheckBoxCopyIcon=0\r\nIconBigMenu=1\r\n"));
  ApplyStyle(kLightStyleName);
}

TEST_F(SettingsGuiTest, TheChosenStyleSurvivesARestartAndNoneIsAppliedWhenNoneIsSaved) {
  auto form = Start();
  EXPECT_FALSE(form->ThemeAuto.checked || form->ThemeLight.checked || form->ThemeDark.checked);
  EXPECT_FALSE(ui::Theme::Current().dark());
  const struct {
    const char* item;
    bool dark;
  } choices[] = {{"ThemeDark", true}, {"ThemeLight", false}, {"ThemeAuto", false /* this prefix's apps are light */}};
  for (const auto& choice : choices) {
    SCOPED_TRACE(choice.item);
    testing::Named<ui::MenuItem>(*form, choice.item).on_click();
    Close(*form);
    ApplyStyle(choice.dark ? kLightStyleName : kDarkStyleName);  // the opposite, to see the start apply the saved one
    form = Start();
    for (const char* name : {"ThemeAuto", "ThemeLight", "ThemeDark"})
      EXPECT_EQ(testing::Named<ui::MenuItem>(*form, name).checked, std::string(name) == choice.item) << name;
    EXPECT_EQ(ui::Theme::Current().dark(), choice.dark);
  }
  ApplyStyle(kLightStyleName);
}

TEST_F(SettingsGuiTest, AMaximisedWindowOpensMaximisedAndKeepsItsNormalSizeInTheFile) {
  WriteText(option, "[Option]\r\nWindow=wsMaximized\r\nHeight=1\r\nWidth=2\r\n");
  auto form = Start();
  EXPECT_TRUE(form->Maximized());
  form->Show();
  EXPECT_TRUE(::IsZoomed(form->hwnd()));
  Close(*form);
  EXPECT_THAT(ReadText(option), HasSubstr("Window=wsMaximized\r\nHeight=1\r\nWidth=2\r\n"));
}

TEST_F(SettingsGuiTest, ASizeFromALargerScreenIsFittedAndTheWindowStaysOnScreen) {
  WriteText(option, "[Option]\r\nWindow=WSMAXIMIZED\r\nHeight=5000\r\nWidth=9000\r\n");
  auto form = Start();
  EXPECT_FALSE(form->Maximized());  // only the exact word maximises
  EXPECT_EQ(form->NormalSize(), form->WorkAreaSize());
  RECT r;
  ::GetWindowRect(form->hwnd(), &r);
  MONITORINFO mi{sizeof mi};
  ::GetMonitorInfoW(::MonitorFromWindow(form->hwnd(), MONITOR_DEFAULTTONEAREST), &mi);
  EXPECT_GE(r.left, mi.rcWork.left);
  EXPECT_GE(r.top, mi.rcWork.top);
  EXPECT_LE(r.right, mi.rcWork.right);
  EXPECT_LE(r.bottom, mi.rcWork.bottom);
}

TEST_F(SettingsGuiTest, ProblemsWithTheFileAreReportedAndTheWindowGoesOn) {
  std::vector<std::string> reports;
  ui::SetErrorReporter([&](HWND, const std::string& text) { reports.push_back(text); });
  // Unreadable at the start: reported, and the window still lists a drive.
  WriteText(option, "[Option]\r\nCheckBoxCopyIcon=1\r\n");
  {
    UniqueHandle lock(::CreateFileW(ToWinPath(option).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
    ASSERT_TRUE(lock.valid());
    auto form = Start();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0], HasSubstr("Option.ini"));
    EXPECT_FALSE(form->PathFolder.Text().empty());
  }
  // Unwritable at the close: reported, and the window closes all the same.
  ::SetFileAttributesW(ToWinPath(option).c_str(), FILE_ATTRIBUTE_READONLY);
  auto form = Start();
  form->Show();
  Close(*form);
  ui::SetErrorReporter({});
  ::SetFileAttributesW(ToWinPath(option).c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_THAT(reports[1], HasSubstr("Option.ini"));
  EXPECT_FALSE(::IsWindow(form->hwnd()));
  EXPECT_EQ(ReadText(option), "[Option]\r\nCheckBoxCopyIcon=1\r\n");
}

TEST_F(SettingsGuiTest, AnInstalledCopyKeepsItsSettingsUnderTheProfileAndTheCompany) {
  TForm1 form({}, "9.0.26.320", false);
  wchar_t app_data[MAX_PATH] = {};
  ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data), S_OK);
  const std::string folder = Narrow(app_data) + "\\" + VANDREL_COMPANY + "\\Vandrel\\Config";
  EXPECT_EQ(form.PortablePath(), folder + "\\Option.ini");
  EXPECT_TRUE(Win32FileSystem().FolderExists(folder));
}

TEST_F(SettingsGuiTest, TheFolderMenuEntryIsWrittenAndRemovedByItsItem) {
  const std::string key = "Software\\Classes\\Directory\\shell\\Vandrel";
  auto form = Start();
  ASSERT_FALSE(form->EmbedFolderMenu.checked) << "the prefix holds an entry from elsewhere";
  auto click = [&] { ::SendMessageW(form->hwnd(), WM_COMMAND, MAKEWPARAM(form->EmbedFolderMenu.command, 0), 0); };
  click();
  EXPECT_TRUE(form->EmbedFolderMenu.checked);
  EXPECT_TRUE(form->prev_embed_menu_state());
  EXPECT_EQ(RegistryText(key, nullptr), "Изменить иконку");
  EXPECT_EQ(RegistryText(key, L"Icon"), exe);
  EXPECT_EQ(RegistryText(key + "\\command", nullptr), "\"" + exe + "\" \"%1\"");
  click();
  EXPECT_FALSE(form->EmbedFolderMenu.checked);
  EXPECT_EQ(RegistryText(key, nullptr), std::nullopt);
  HKEY k = nullptr;
  EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0, KEY_READ, &k), ERROR_SUCCESS);

  // A mark changed by another way than the click is applied at the close,
  // in the language of the moment; the next start finds it.
  testing::Named<ui::MenuItem>(*form, "LangIconChange").SetProperty("Caption", "Change icon");
  form->EmbedFolderMenu.SetChecked(true);
  form->Show();
  Close(*form);
  EXPECT_EQ(RegistryText(key, nullptr), "Change icon");
  auto again = Start();
  EXPECT_TRUE(again->EmbedFolderMenu.checked);
  again->UnregisterContextMenu();
  EXPECT_EQ(RegistryText(key + "\\command", nullptr), std::nullopt);
}

TEST_F(SettingsGuiTest, ARegistrationThatFailsIsReportedAndTheMarkShowsWhatTheRegistryHolds) {
  const std::string key = "Software\\Classes\\Directory\\shell\\Vandrel";
  auto form = Start();
  testing::FakeRegistry registry;
  testing::ScriptedPrompts prompts;
  form->set_registry(&registry);
  form->set_prompts(&prompts);
  auto click = [&] { ::SendMessageW(form->hwnd(), WM_COMMAND, MAKEWPARAM(form->EmbedFolderMenu.command, 0), 0); };

  registry.refuse_create.insert(key);
  click();
  EXPECT_FALSE(form->EmbedFolderMenu.checked);  // nothing was registered
  EXPECT_FALSE(form->prev_embed_menu_state());
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_THAT(prompts.shown[0], HasSubstr("error: Ошибка!: Cannot create the registry key"));
  EXPECT_THAT(prompts.shown[0], HasSubstr("Access is denied."));

  // The key was made but its command could not be: the mark shows the key.
  registry.refuse_create.clear();
  registry.refuse_write.insert(key + "\\command");
  click();
  EXPECT_TRUE(form->EmbedFolderMenu.checked);
  EXPECT_EQ(prompts.shown.size(), 2u);
}

TEST_F(SettingsGuiTest, WindowsEndingTheSessionWritesTheSettingsAsAClose) {
  auto form = Start();
  form->Show();
  form->CheckBoxCopyIcon.SetChecked(true);
  EXPECT_EQ(::SendMessageW(form->hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE) << "the logoff may go on";
  ::SendMessageW(form->hwnd(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_EQ(ReadText(option), "<missing>") << "a logoff that was called off writes nothing";
  ::SendMessageW(form->hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
  ::SendMessageW(form->hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_THAT(ReadText(option), HasSubstr("CheckBoxCopyIcon=1\r\n"));
  EXPECT_THAT(ReadText(option), HasSubstr("Width="));
}

TEST_F(SettingsGuiTest, AContextMenuEntryThatCannotBeChangedAtTheCloseCostsNoSetting) {
  std::vector<std::string> reports;
  ui::SetErrorReporter([&](HWND, const std::string& text) { reports.push_back(text); });
  auto form = Start();
  testing::FakeRegistry registry;
  registry.refuse_create.insert("Software\\Classes\\Directory\\shell\\Vandrel");
  form->set_registry(&registry);
  form->EmbedFolderMenu.SetChecked(true);  // to be registered at the close
  form->CheckBoxCopyIcon.SetChecked(true);
  form->Show();
  Close(*form);
  ui::SetErrorReporter({});
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_THAT(reports[0], HasSubstr("Cannot create the registry key"));
  EXPECT_THAT(ReadText(option), HasSubstr("CheckBoxCopyIcon=1\r\n"));
  EXPECT_FALSE(::IsWindow(form->hwnd()));
}

}  // namespace
}  // namespace vandrel
