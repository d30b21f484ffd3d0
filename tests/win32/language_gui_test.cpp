// The shipped language files on the three real windows: complete (no key
// missing, none removed by the clean-up, no Russian text left), and a switch
// from the menu "Язык" that applies at once and after a restart.
#include <windows.h>
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "about/unit_about_win32.h"
#include "app/unit_base_win32.h"
#include "app/unit_icon_picker_win32.h"
#include "common/ini_store.h"
#include "i18n/languages.h"
#include "platform/win32/win32_ansi_codec.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/wide.h"
#include "shell/context_menu.h"
#include "tests/fakes/fake_system.h"
#include "tests/win32/screenshot.h"
#include "tests/win32/win32_test_support.h"
#include "update/unit_update_win32.h"

namespace vandrel {
namespace {

using ::testing::ElementsAre;

// The shipped files, as the build lays them beside the program.
std::string ShippedLanguageFolder() {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string path = Narrow(self);
  path = path.substr(0, path.rfind('\\'));              // tests
  return path.substr(0, path.rfind('\\')) + "\\Language\\";  // the build folder
}

bool HasCyrillic(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 0xD0 || c == 0xD1) return true;  // U+0400..U+047F in UTF-8
  }
  return false;
}

class LanguageGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::InitializeUi(::GetModuleHandleW(nullptr)); }
  void SetUp() override {
    program = folder.File("Program") + "\\";
    fs.CreateFolders(program + "Language");
    fs.CreateFolders(program + "Config");
    for (const char* name : {"English.ini", "German.ini"}) {
      const auto shipped = fs.ReadFile(ShippedLanguageFolder() + name);
      ASSERT_TRUE(shipped) << "not beside the build: " << name;
      fs.WriteFileAtomically(program + "Language\\" + name, *shipped);
    }
    fs.WriteFileAtomically(program + "portable.ini", {});
  }
  void TearDown() override { CloseWindows(); }
  void Choose(const std::string& language) {
    WriteSelectedLanguage(fs, ansi, program + "Config\\Option.ini", language);
  }
  // The program's start: the windows, then the clean-up, the menu, the language.
  void Start() {
    CloseWindows();
    form1 = std::make_unique<TForm1>(std::vector<std::string>{}, "9.0.26.320", true, program + "Vandrel.exe");
    form8 = std::make_unique<TForm8>([this] { return form1->Caption(); }, "© 2026 Vandrel");
    form10 = std::make_unique<TForm10>(TForm10::Environment{.local_version = "9.0.26.320",
                                                            .settings_path = [this] { return form1->PortablePath(); },
                                                            .mirrors = {"http://127.0.0.1:9/download/"}});
    picker = std::make_unique<TFormIconPicker>();
    form1->CleanTranslationsLikeGlobload();
    form1->LoadLanguage();
    form1->globload();
    form1->FormShow();
  }
  void CloseWindows() {
    picker.reset();
    form10.reset();
    form8.reset();
    form1.reset();
  }
  std::vector<std::string> MenuItems() {
    std::vector<std::string> out;
    for (ui::MenuItem* item : form1->LanguageMenu.items)
      out.push_back(item->GetProperty("Caption") + (item->checked ? " [x]" : ""));
    return out;
  }
  // Every translatable text still in Russian, as "Form.Component.Property".
  std::vector<std::string> RussianLeft() {
    std::vector<std::string> left;
    for (ui::Form* window : {static_cast<ui::Form*>(form1.get()), static_cast<ui::Form*>(form8.get()),
                             static_cast<ui::Form*>(form10.get()), static_cast<ui::Form*>(picker.get())}) {
      const std::string name = window->Self().Name();
      if (name != "Form1" && HasCyrillic(window->Caption())) left.push_back(name + ".Caption");
      for (Component* c : window->Components()) {
        const ComponentKind kind = c->Kind();
        if (kind == ComponentKind::kStatusBar || kind == ComponentKind::kComboBox || kind == ComponentKind::kEdit)
          continue;
        for (const char* p : {"Caption", "Hint", "Title", "Text", "TextHint", "Filter"})
          if (c->HasProperty(p) && HasCyrillic(c->GetProperty(p))) left.push_back(name + "." + c->Name() + "." + p);
      }
    }
    return left;
  }
  std::string LogText() { return testing::ReadWholeFile(folder.File("Vandrel.log")).value_or("<no log>"); }

  testing::TempFolder folder;
  std::string program;
  Win32FileSystem fs;
  Win32AnsiCodec ansi;
  std::unique_ptr<TForm1> form1;
  std::unique_ptr<TForm8> form8;
  std::unique_ptr<TForm10> form10;
  std::unique_ptr<TFormIconPicker> picker;
};

TEST_F(LanguageGuiTest, EachShippedFileTranslatesEveryTextAndLosesNothingToTheCleanUp) {
  for (const char* language : {"English", "German"}) {
    SCOPED_TRACE(language);
    const std::string file = program + "Language\\" + language + ".ini";
    const auto before = fs.ReadFile(file);
    fs.WriteFileAtomically(folder.File("Vandrel.log"), {});  // an empty log in place collects what is missing
    Choose(language);
    Start();
    EXPECT_EQ(LogText(), "") << "keys the file lacks";
    EXPECT_EQ(fs.ReadFile(file), before) << "the clean-up removed keys of this version";
    EXPECT_THAT(RussianLeft(), ElementsAre());
    // The dialogs' filters keep their structure: description and pattern pairs.
    const auto bars = [](const std::string& text) { return std::count(text.begin(), text.end(), '|'); };
    EXPECT_EQ(bars(form1->OpenDialog.GetProperty("Filter")), 7);
    EXPECT_EQ(bars(form1->SavePictureDialog.GetProperty("Filter")), 1);
  }
  // A few texts as a user reads them.
  EXPECT_EQ(form1->ButtonChangeIcon.GetProperty("Caption"), "Ändern");
  EXPECT_EQ(form8->Caption(), "Über Vandrel");
  EXPECT_EQ(form10->Caption(), "Aktualisierung Vandrel");
  EXPECT_EQ(picker->Caption(), "Symbol wählen");
  EXPECT_EQ(picker->ButtonCancel.GetProperty("Caption"), "Abbrechen");
  EXPECT_EQ(form1->ButtonPickIcon.GetProperty("Hint"), "Alle Symbole der Datei zeigen");
  EXPECT_EQ(form1->MessageCaption("LangPictureTooLarge"), "Das Bild ist zu groß (über 64 Megapixel):");
  EXPECT_EQ(form10->MessageCaption("LangYes"), "Ja");
  EXPECT_EQ(form1->MessageCaption("LangOnlyWindows"), "Dieses Programm läuft nur unter Windows 10 und Windows 11.");
}

TEST_F(LanguageGuiTest, ASwitchFromTheMenuAppliesAtOnceAndAfterARestart) {
  Choose("english");  // another case checks the item all the same
  Start();
  EXPECT_THAT(MenuItems(), ElementsAre("English\t\tEnglish [x]", "German\t\tDeutsch"));
  EXPECT_EQ(form1->ButtonChangeIcon.GetProperty("Caption"), "Change");
  EXPECT_EQ(form10->Caption(), "Update Vandrel");
  EXPECT_THAT(form1->StatusBar2.PanelText(0), ::testing::EndsWith("Items:"));

  char shots[MAX_PATH] = {};
  const bool screenshots = ::GetEnvironmentVariableA("VANDREL_SCREENSHOTS", shots, MAX_PATH) > 0;
  const auto screenshot = [&](const std::string& name) {
    if (!screenshots) return;
    ::CreateDirectoryA(shots, nullptr);
    ::SetCursorPos(0, 0);
    form1->Show();
    for (int i = 0; i < 20; ++i) {
      ui::ProcessMessages();
      ::Sleep(25);
    }
    EXPECT_TRUE(testing::SaveWindowPng(form1->hwnd(), std::string(shots) + "\\" + name));
    form1->Hide();
  };
  screenshot("main-window-english.png");

  // A click on German: saved, the menu rebuilt with one check, all windows
  // German, and the folder entry in Explorer re-captioned.
  testing::FakeRegistry registry;
  registry.keys[std::string(kContextMenuKey)][""] = "Change icon";
  form1->set_registry(&registry);
  form1->LanguageMenu.items.at(1)->Click();
  EXPECT_EQ(registry.keys[std::string(kContextMenuKey)][""], "Symbol ändern");
  EXPECT_EQ(ReadSelectedLanguage(fs, ansi, program + "Config\\Option.ini"), "German");
  EXPECT_THAT(MenuItems(), ElementsAre("English\t\tEnglish", "German\t\tDeutsch [x]"));
  EXPECT_EQ(form1->ButtonChangeIcon.GetProperty("Caption"), "Ändern");
  EXPECT_EQ(form8->Caption(), "Über Vandrel");
  EXPECT_EQ(form10->Caption(), "Aktualisierung Vandrel");
  EXPECT_EQ(form1->LanguageMenu.GetProperty("Caption"), "Sprache");
  screenshot("main-window-german.png");

  // Without the entry a switch makes none.
  testing::FakeRegistry none;
  form1->set_registry(&none);
  form1->LanguageMenu.items.at(0)->Click();
  EXPECT_TRUE(none.keys.empty());
  EXPECT_EQ(form1->ButtonChangeIcon.GetProperty("Caption"), "Change");
  form1->LanguageMenu.items.at(1)->Click();

  // And after a restart.
  Start();
  EXPECT_THAT(MenuItems(), ElementsAre("English\t\tEnglish", "German\t\tDeutsch [x]"));
  EXPECT_EQ(form1->ButtonChangeIcon.GetProperty("Caption"), "Ändern");
  EXPECT_EQ(form10->ButtonClose.GetProperty("Caption"), "Schließen");
}

// How wide a text is in a window's own font.
int TextWidth(HWND window, const std::string& text) {
  const std::wstring wide = Widen(text);
  HDC dc = ::GetDC(window);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)));
  SIZE size{};
  ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(window, dc);
  return size.cx;
}

// Where a caption does not fit its control, in the control's own font:
// "Form.Component: needs N, has M".
std::vector<std::string> ClippedCaptions(ui::Form& window) {
  std::vector<std::string> clipped;
  const int dpi = static_cast<int>(window.dpi());
  const auto scale = [dpi](int px) { return ::MulDiv(px, dpi, 96); };
  for (Component* component : window.Components()) {
    auto* control = dynamic_cast<ui::Control*>(component);
    if (control == nullptr || control->hwnd() == nullptr || !control->HasProperty("Caption")) continue;
    const std::string caption = control->GetProperty("Caption");
    if (caption.empty() || caption == "-") continue;
    int margin = 0;  // what the control keeps beside its text
    switch (component->Kind()) {
      case ComponentKind::kButton:
        margin = scale(8);
        break;
      case ComponentKind::kSpeedButton:  // flat, a glyph-like caption
        margin = scale(2);
        break;
      case ComponentKind::kCheckBox:
        margin = ::GetSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi)) + scale(4);
        break;
      case ComponentKind::kGroupBox:
        margin = scale(16);
        break;
      case ComponentKind::kLabel:
        break;
      default:
        continue;
    }
    const int needs = TextWidth(control->hwnd(), caption) + margin;
    RECT client{};
    ::GetClientRect(control->hwnd(), &client);
    if (needs > client.right)
      clipped.push_back(window.Self().Name() + "." + component->Name() + ": needs " + std::to_string(needs) +
                        ", has " + std::to_string(client.right));
  }
  return clipped;
}

TEST_F(LanguageGuiTest, AUtf16FileWithoutItsMarkKeepsItsBytesAcrossAStartAndIsStillOffered) {
  // A translator's file saved as UTF-16 without a byte-order mark: read in
  // the ANSI code page it would look empty, and once came back as 0 bytes.
  const std::u16string text = u"[Language information]\r\nLANGNAME=Українська\r\n[Vandrel]\r\n"
                              u"Form1.ButtonChangeIcon.Caption=Змінити\r\nForm99.Caption=застаріле\r\n";
  Bytes bytes;
  for (char16_t u : text) {
    bytes.push_back(static_cast<std::byte>(u & 0xFF));
    bytes.push_back(static_cast<std::byte>(u >> 8));
  }
  fs.WriteFileAtomically(program + "Language\\Ukrainian.ini", bytes);
  Start();
  EXPECT_EQ(fs.ReadFile(program + "Language\\Ukrainian.ini"), bytes) << "not a byte changed";
  ASSERT_EQ(MenuItems().size(), 3u);
  EXPECT_THAT(MenuItems()[2], ::testing::StartsWith("Ukrainian\t\t")) << "still offered";
}

TEST_F(LanguageGuiTest, AChoiceThatCannotBeSavedLeavesTheMarkOnTheLanguageInUse) {
  Choose("English");
  Start();
  std::vector<std::string> reports;
  ui::SetErrorReporter([&](HWND, const std::string& text) { reports.push_back(text); });
  const std::wstring option = ToWinPath(program + "Config\\Option.ini");
  ::SetFileAttributesW(option.c_str(), FILE_ATTRIBUTE_READONLY);
  ::SendMessageW(form1->hwnd(), WM_COMMAND, MAKEWPARAM(form1->LanguageMenu.items.at(1)->command, 0), 0);
  ::SetFileAttributesW(option.c_str(), FILE_ATTRIBUTE_NORMAL);
  ui::SetErrorReporter({});
  EXPECT_EQ(reports.size(), 1u) << "the failure is reported";
  EXPECT_THAT(MenuItems(), ElementsAre("English\t\tEnglish [x]", "German\t\tDeutsch"));
  EXPECT_EQ(form1->ButtonChangeIcon.GetProperty("Caption"), "Change") << "nothing was applied";
  EXPECT_EQ(ReadSelectedLanguage(fs, ansi, program + "Config\\Option.ini"), "English");
}

TEST_F(LanguageGuiTest, EveryCaptionFitsItsControl) {
  // Run at 100 % and, in the 150 % prefix, at 150 %.
  for (const char* language : {"", "English", "German"}) {
    SCOPED_TRACE(*language ? language : "Russian");
    Choose(language);
    Start();
    for (ui::Form* window : {static_cast<ui::Form*>(form1.get()), static_cast<ui::Form*>(form8.get()),
                             static_cast<ui::Form*>(form10.get())})
      EXPECT_THAT(ClippedCaptions(*window), ElementsAre()) << window->Self().Name();
    // The item count's title in its status-bar panel.
    HWND bar = form1->StatusBar2.hwnd();
    RECT panel{};
    ::SendMessageW(bar, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&panel));
    EXPECT_LE(TextWidth(bar, form1->MessageCaption("LangElements")) + ::MulDiv(6, static_cast<int>(form1->dpi()), 96),
              panel.right - panel.left)
        << "LangElements";
  }
}

}  // namespace
}  // namespace vandrel
