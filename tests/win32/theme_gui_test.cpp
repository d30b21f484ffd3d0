// Styles on the real windows: the menu "Тема", following the system's mode
// for apps live, and the dark palette's contrast.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "about/unit_about_win32.h"
#include "app/theme_style.h"
#include "app/unit_base_win32.h"
#include "shell/theme_selection.h"
#include "tests/fakes/fake_system.h"
#include "tests/win32/screenshot.h"
#include "ui/theme.h"
#include "update/unit_update_win32.h"

namespace vandrel {
namespace {

constexpr char kPersonalize[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

class ThemeGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::InitializeUi(::GetModuleHandleW(nullptr)); }
  void SetUp() override {
    form1 = std::make_unique<TForm1>(std::vector<std::string>{}, "9.0.26.320", false);
    form1->set_registry(&registry);
    registry.keys[kPersonalize];
  }
  void TearDown() override { ApplyStyle(kLightStyleName); }  // the next tests see today's look
  void SystemDark(bool dark) { registry.dwords[kPersonalize]["AppsUseLightTheme"] = dark ? 0 : 1; }
  std::string Checked() {
    std::string out;
    for (ui::MenuItem* item : form1->ThemeMenu.items)
      if (item->checked) out += item->Name() + " ";
    return out;
  }
  static bool Dark() { return ui::Theme::Current().dark(); }

  testing::FakeRegistry registry;
  std::unique_ptr<TForm1> form1;
};

TEST_F(ThemeGuiTest, EachItemAppliesItsStyleAndIsTheOnlyOneChecked) {
  SystemDark(true);
  form1->ThemeAutoClick();
  EXPECT_TRUE(Dark());
  EXPECT_EQ(Checked(), "ThemeAuto ");
  EXPECT_EQ(ui::Theme::Current().Color(ui::ColorRole::kControl), ui::Palette::Dark()[ui::ColorRole::kControl]);
  SystemDark(false);
  form1->ThemeAutoClick();
  EXPECT_FALSE(Dark());
  registry.dwords.clear();  // no value: light
  form1->ThemeDarkClick();
  EXPECT_TRUE(Dark()) << "dark whatever the system says";
  EXPECT_EQ(Checked(), "ThemeDark ");
  form1->ThemeLightClick();
  EXPECT_FALSE(Dark());
  EXPECT_EQ(Checked(), "ThemeLight ");
  EXPECT_EQ(ui::Theme::Current().Color(ui::ColorRole::kControl), ::GetSysColor(COLOR_BTNFACE)) << "today's look";
  ApplyStyle("Windows11 Modern Purple");
  EXPECT_FALSE(Dark()) << "an unknown style changes nothing";
}

TEST_F(ThemeGuiTest, ASystemChangeIsFollowedOnlyWithSystemChecked) {
  SystemDark(false);
  form1->ThemeAutoClick();
  SystemDark(true);
  ::SendMessageW(form1->hwnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
  EXPECT_TRUE(Dark());
  SystemDark(false);
  ::SendMessageW(form1->hwnd(), WM_SETTINGCHANGE, 0, 0);  // whatever the change, the mode is read again
  EXPECT_FALSE(Dark());
  form1->ThemeLightClick();
  SystemDark(true);
  ::SendMessageW(form1->hwnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
  EXPECT_FALSE(Dark()) << "the user chose light";
}

TEST_F(ThemeGuiTest, ScreenshotsOfTheWindowsInBothStyles) {
  char dir[MAX_PATH] = {};
  if (::GetEnvironmentVariableA("VANDREL_SCREENSHOTS", dir, MAX_PATH) == 0) GTEST_SKIP() << "no screenshot folder";
  ::CreateDirectoryA(dir, nullptr);
  TForm8 form8([this] { return form1->Caption(); }, "© 2026 Vandrel");
  TForm10 form10({.local_version = "9.0.26.320", .mirrors = {"http://127.0.0.1:9/download/"}});
  const auto shoot = [&](const char* style) {
    for (ui::Form* form : {static_cast<ui::Form*>(form1.get()), static_cast<ui::Form*>(&form8),
                           static_cast<ui::Form*>(&form10)}) {
      ::SetCursorPos(0, 0);
      form->Show();
      for (int i = 0; i < 20; ++i) {
        ui::ProcessMessages();
        ::Sleep(25);
      }
      EXPECT_TRUE(testing::SaveWindowPng(form->hwnd(), std::string(dir) + "\\style-" + style + "-" +
                                                           form->Self().Name() + ".png"));
      form->Hide();
    }
  };
  form1->FormShow();
  form1->ThemeLightClick();
  shoot("light");
  form1->ThemeDarkClick();
  shoot("dark");
}

TEST(DarkPalette, TextStaysReadableOnEveryBackground) {
  EXPECT_NEAR(ui::ContrastRatio(RGB(0, 0, 0), RGB(255, 255, 255)), 21.0, 0.01);
  EXPECT_NEAR(ui::ContrastRatio(RGB(10, 20, 30), RGB(10, 20, 30)), 1.0, 0.01);
  const ui::Palette p = ui::Palette::Dark();
  using R = ui::ColorRole;
  for (R back : {R::kWindow, R::kControl})
    for (R text : {R::kText, R::kDisabledText, R::kLink})
      EXPECT_GE(ui::ContrastRatio(p[text], p[back]), 4.5) << static_cast<int>(text) << " on " << static_cast<int>(back);
  EXPECT_GE(ui::ContrastRatio(RGB(255, 255, 255), p[R::kSelection]), 4.5) << "selected text";
}

}  // namespace
}  // namespace vandrel
