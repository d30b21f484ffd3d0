// Styles on the real windows: the menu "Тема", following the system's mode
// for apps live, and the dark palette's contrast.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "about/unit_about_win32.h"
#include "app/theme_style.h"
#include "app/unit_base_win32.h"
#include "app/unit_icon_picker_win32.h"
#include "shell/theme_selection.h"
#include "tests/fakes/fake_system.h"
#include "tests/win32/gui_support.h"
#include "tests/win32/screenshot.h"
#include "tests/win32/win32_test_support.h"
#include "ui/dark_paint.h"
#include "ui/message_dialog.h"
#include "ui/theme.h"
#include "update/unit_update_win32.h"

namespace vandrel {
namespace {

// Lets the windows shown paint themselves, with the pointer out of the way.
void Settle(int rounds = 20) {
  ::SetCursorPos(0, 0);
  for (int i = 0; i < rounds; ++i) {
    ui::ProcessMessages();
    ::Sleep(25);
  }
}

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

// The user's mode for apps in this prefix's registry, put back afterwards.
class AppsMode {
 public:
  AppsMode() {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
    DWORD size = sizeof old_;
    had_ = ::RegQueryValueExW(key_, L"AppsUseLightTheme", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
           ERROR_SUCCESS;
  }
  ~AppsMode() {
    if (had_) {
      ::RegSetValueExW(key_, L"AppsUseLightTheme", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
    } else {
      ::RegDeleteValueW(key_, L"AppsUseLightTheme");
    }
    ::RegCloseKey(key_);
  }
  // Sets the mode and tells every window, as Windows does when the user switches.
  void Set(bool dark) {
    const DWORD light = dark ? 0 : 1;
    ::RegSetValueExW(key_, L"AppsUseLightTheme", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&light), sizeof light);
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                          SMTO_ABORTIFHUNG, 2000, &answer);
  }

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 1;
  bool had_ = false;
};

TEST_F(ThemeGuiTest, ALiveSwitchOfWindowsModeIsFollowedWithSystemChecked) {
  AppsMode mode;
  form1->set_registry(nullptr);  // the prefix's own registry
  mode.Set(false);
  form1->ThemeAutoClick();
  EXPECT_FALSE(Dark());
  mode.Set(true);
  EXPECT_TRUE(Dark()) << "switched with the system";
  mode.Set(false);
  EXPECT_FALSE(Dark());
  form1->ThemeLightClick();
  mode.Set(true);
  EXPECT_FALSE(Dark()) << "unchanged: the user chose light";
}

TEST_F(ThemeGuiTest, ScreenshotsOfTheWindowsInBothStyles) {
  char dir[MAX_PATH] = {};
  if (::GetEnvironmentVariableA("VANDREL_SCREENSHOTS", dir, MAX_PATH) == 0) GTEST_SKIP() << "no screenshot folder";
  ::CreateDirectoryA(dir, nullptr);
  TForm8 form8([this] { return form1->Caption(); }, "© 2026 Vandrel");
  TForm10 form10({.local_version = "9.0.26.320", .mirrors = {"http://127.0.0.1:9/download/"}});
  TFormIconPicker picker;
  picker.Load(testing::SystemFolder() + "\\shell32.dll", 3);
  const auto shoot = [&](const char* style) {
    for (ui::Form* form : {static_cast<ui::Form*>(form1.get()), static_cast<ui::Form*>(&form8),
                           static_cast<ui::Form*>(&form10), static_cast<ui::Form*>(&picker)}) {
      form->Show();
      Settle();
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

// The mean relative luminance of what a control shows (0 black, 1 white).
double MeanLuminance(const testing::ScreenPixels& p) {
  double sum = 0;
  for (COLORREF c : p.pixels) sum += ui::RelativeLuminance(c);
  return p.pixels.empty() ? 1.0 : sum / static_cast<double>(p.pixels.size());
}

// The contrast of a control's text: its most frequent colour is the
// background, its text the colour that stands out most from it.
std::map<COLORREF, int> ColourCounts(const testing::ScreenPixels& p) {
  std::map<COLORREF, int> counts;
  for (COLORREF c : p.pixels) ++counts[c];
  return counts;
}

COLORREF MostFrequent(const std::map<COLORREF, int>& counts) {
  return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

double TextContrast(const testing::ScreenPixels& p) {
  const std::map<COLORREF, int> counts = ColourCounts(p);
  if (counts.empty()) return 0;
  const COLORREF background = MostFrequent(counts);
  double best = 1;
  for (const auto& [c, n] : counts)
    if (n >= 3) best = std::max(best, ui::ContrastRatio(c, background));  // not a stray pixel of a frame corner
  return best;
}

TEST_F(ThemeGuiTest, TheDarkStyleIsDarkAndItsTextReadable) {
  TForm8 form8([this] { return form1->Caption(); }, "© 2026 Vandrel");
  TForm10 form10({.local_version = "9.0.26.320", .mirrors = {"http://127.0.0.1:9/download/"}});
  form1->FormShow();
  form1->ThemeDarkClick();
  form1->Show();
  Settle();
  // Dark: a mean relative luminance below 0.08 (about sRGB 80 of 255). The
  // client areas: scroll bars are Windows' to draw dark, and Wine draws them light.
  for (const char* name : {"ListViewList", "EditInfoTip", "MemoLog", "StatusBar2", "GroupBox2"}) {
    const auto pixels = testing::CaptureWindow(testing::Named<ui::Control>(*form1, name).hwnd(), true);
    EXPECT_LT(MeanLuminance(pixels), 0.08) << name;
  }
  EXPECT_LT(MeanLuminance(testing::CaptureWindow(form1->hwnd())), 0.08) << "the main window";
  // Text of each kind at 4.5:1 or better.
  for (const char* name : {"ListViewList", "StatusBar2", "CheckBoxSys", "ButtonChangeIcon", "ButtonGetInfo"})
    EXPECT_GE(TextContrast(testing::CaptureWindow(testing::Named<ui::Control>(*form1, name).hwnd())), 4.5) << name;
  EXPECT_GE(TextContrast(testing::CaptureWindow(testing::Named<ui::GroupBox>(*form1, "GroupBox5").frame())), 4.5)
      << "group caption";
  // The drive list, open.
  HWND drives = form1->ComboBoxDrive.hwnd();
  ::SendMessageW(drives, CB_SHOWDROPDOWN, TRUE, 0);
  Settle();
  COMBOBOXINFO info{sizeof info};
  ASSERT_TRUE(::GetComboBoxInfo(drives, &info));
  // An item that is not selected (the selected one takes the system's highlight).
  const LRESULT count = ::SendMessageW(info.hwndList, LB_GETCOUNT, 0, 0);
  const LRESULT selected = ::SendMessageW(info.hwndList, LB_GETCURSEL, 0, 0);
  ASSERT_GE(count, 2) << "Wine has C: and Z:";
  RECT item{};
  ::SendMessageW(info.hwndList, LB_GETITEMRECT, selected == 0 ? 1 : 0, reinterpret_cast<LPARAM>(&item));
  const auto list = testing::CaptureWindow(info.hwndList, true);
  testing::ScreenPixels row{list.width, 0, {}};
  for (int y = std::max<int>(0, item.top); y < std::min<int>(list.height, item.bottom); ++y, ++row.height)
    for (int x = 0; x < list.width; ++x) row.pixels.push_back(list.At(x, y));
  EXPECT_LT(MeanLuminance(row), 0.08) << "the open drive list";
  EXPECT_GE(TextContrast(row), 4.5) << "the open drive list";
  ::SendMessageW(drives, CB_SHOWDROPDOWN, FALSE, 0);
  form1->Hide();
  form8.Show();
  Settle();
  EXPECT_LT(MeanLuminance(testing::CaptureWindow(form8.hwnd())), 0.08) << "the About window";
  EXPECT_GE(TextContrast(testing::CaptureWindow(form8.LabelMainWebSite.hwnd())), 4.5) << "link";
  form8.Hide();
  form10.Show();
  Settle();
  EXPECT_LT(MeanLuminance(testing::CaptureWindow(form10.hwnd())), 0.08) << "the update window";
  EXPECT_GE(TextContrast(testing::CaptureWindow(form10.LabelUpDate.hwnd())), 4.5) << "label";
  form10.Hide();
  // The icon picker, made after the choice, over a file of many icons.
  TFormIconPicker picker;
  picker.Load(testing::SystemFolder() + "\\shell32.dll", 0);
  picker.Show();
  Settle();
  picker.GridIcons.Select(-1);  // the numbers alone: the selection takes the system's highlight
  Settle(4);
  // The icons are as bright as they are: the grid's background and the buttons' strip are dark.
  const auto grid = testing::CaptureWindow(picker.GridIcons.hwnd(), true);
  EXPECT_LT(ui::RelativeLuminance(MostFrequent(ColourCounts(grid))), 0.08) << "the picker's grid";
  EXPECT_LT(MeanLuminance(testing::CaptureWindow(picker.PanelButtons.hwnd())), 0.08) << "the picker's buttons";
  EXPECT_GE(TextContrast(testing::CaptureWindow(picker.ButtonOk.hwnd())), 4.5) << "the picker's button";
  // An index under a cell, on the grid's own background.
  const RECT cell = picker.GridIcons.CellRect(1);
  testing::ScreenPixels caption{cell.right - cell.left, 0, {}};
  for (int y = std::max<int>(0, cell.bottom - picker.Scale(22)); y < std::min<int>(grid.height, cell.bottom);
       ++y, ++caption.height)
    for (int x = std::max<int>(0, cell.left); x < std::min<int>(grid.width, cell.right); ++x)
      caption.pixels.push_back(grid.At(x, y));
  EXPECT_GE(TextContrast(caption), 4.5) << "an index under a cell";
  picker.Hide();
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


// What a timer saw of the program's message box once it had been up a while.
struct DialogShot {
  std::string save_as;  // a PNG of the box, when not empty
  int ticks = 0;
  bool found = false;
  double box_luminance = 1, button_luminance = 0, label_contrast = 0, button_contrast = 0;
};
DialogShot g_shot;

BOOL CALLBACK MeasureChild(HWND child, LPARAM) {
  wchar_t cls[32] = {};
  ::GetClassNameW(child, cls, 32);
  const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
  const auto pixels = testing::CaptureWindow(child);
  if (::lstrcmpiW(cls, L"Static") == 0 && (style & SS_TYPEMASK) != SS_ICON)
    g_shot.label_contrast = TextContrast(pixels);
  if (::lstrcmpiW(cls, L"Button") == 0 && !pixels.pixels.empty())  // the face, not the caption's pixels
    g_shot.button_luminance = std::max(g_shot.button_luminance, ui::RelativeLuminance(MostFrequent(ColourCounts(pixels))));
  if (::lstrcmpiW(cls, L"Button") == 0)
    g_shot.button_contrast = g_shot.button_contrast == 0 ? TextContrast(pixels)
                                                         : std::min(g_shot.button_contrast, TextContrast(pixels));
  return TRUE;
}

void CALLBACK ShootTheBox(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = ::FindWindowW(L"VandrelMessageDialog", nullptr);
  if (box == nullptr || ++g_shot.ticks < 5) return;  // up, and painted
  ::KillTimer(nullptr, id);
  g_shot.found = true;
  ::SetCursorPos(0, 0);
  g_shot.box_luminance = MeanLuminance(testing::CaptureWindow(box, true));
  ::EnumChildWindows(box, &MeasureChild, 0);
  if (!g_shot.save_as.empty()) testing::SaveWindowPng(box, g_shot.save_as);
  ::PostMessageW(box, WM_CLOSE, 0, 0);
}

TEST_F(ThemeGuiTest, TheMessageBoxWearsTheStyle) {
  char dir[MAX_PATH] = {};
  const bool shots = ::GetEnvironmentVariableA("VANDREL_SCREENSHOTS", dir, MAX_PATH) != 0;
  if (shots) ::CreateDirectoryA(dir, nullptr);
  form1->FormShow();
  form1->Show();
  for (const bool dark : {false, true}) {
    SCOPED_TRACE(dark ? "dark" : "light");
    dark ? form1->ThemeDarkClick() : form1->ThemeLightClick();
    g_shot = DialogShot{shots ? std::string(dir) + "\\style-" + (dark ? "dark" : "light") + "-MessageDialog.png" : ""};
    ::SetTimer(nullptr, 0, 100, &ShootTheBox);
    const bool yes = ui::AskYesNo(form1->hwnd(), "Изменить иконку папки?", "Внимание!");
    ASSERT_TRUE(g_shot.found);
    EXPECT_FALSE(yes) << "closing the box answers no";
    if (dark) {
      EXPECT_LT(g_shot.box_luminance, 0.08);
      EXPECT_LT(g_shot.button_luminance, 0.08) << "the buttons' faces are dark too";
    } else {
      EXPECT_GT(g_shot.box_luminance, 0.5);
    }
    EXPECT_GE(g_shot.label_contrast, 4.5);
    EXPECT_GE(g_shot.button_contrast, 4.5);
  }
  form1->Hide();
}

TEST_F(ThemeGuiTest, AWindowMadeAfterTheChoiceWearsTheStyle) {
  form1->ThemeDarkClick();
  TForm8 form8([this] { return form1->Caption(); }, "© 2026 Vandrel");
  EXPECT_EQ(static_cast<COLORREF>(::SendMessageW(form8.tooltip(), TTM_GETTIPBKCOLOR, 0, 0)),
            ui::Theme::Current().Color(ui::ColorRole::kWindow))
      << "its hints";
  form8.Show();
  Settle();
  EXPECT_LT(MeanLuminance(testing::CaptureWindow(form8.hwnd())), 0.08);
  EXPECT_GE(TextContrast(testing::CaptureWindow(form8.LabelMainWebSite.hwnd())), 4.5) << "link";
  form8.Hide();
}


// The share of pixels two captures of one window differ in.
double Difference(const testing::ScreenPixels& a, const testing::ScreenPixels& b) {
  if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 1;
  std::size_t differing = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) differing += a.pixels[i] != b.pixels[i];
  return static_cast<double>(differing) / static_cast<double>(a.pixels.size());
}

TEST_F(ThemeGuiTest, KeyboardFocusStaysVisibleInBothStyles) {
  TForm10 form10({.local_version = "9.0.26.320", .mirrors = {"http://127.0.0.1:9/download/"}});
  form1->FormShow();
  const struct {
    ui::Form* form;
    ui::Control* control;
    ui::Control* elsewhere;  // takes the focus away
  } controls[] = {
      {form1.get(), &form1->ButtonChangeIcon, &form1->ListViewList},
      {form1.get(), &form1->ButtonGetInfo, &form1->ListViewList},
      {form1.get(), &form1->ComboBoxDrive, &form1->ListViewList},
      {&form10, &form10.CheckBoxAutoCheck, &form10.ButtonClose},
      {&form10, &form10.ButtonClose, &form10.CheckBoxAutoCheck},
  };
  for (const bool dark : {false, true}) {
    dark ? form1->ThemeDarkClick() : form1->ThemeLightClick();
    for (const auto& c : controls) {
      SCOPED_TRACE(std::string(dark ? "dark " : "light ") + c.control->Name());
      for (ui::Form* f : {static_cast<ui::Form*>(form1.get()), static_cast<ui::Form*>(&form10)})
        if (f != c.form) f->Hide();  // nothing in front of the control
      if (!::IsWindowVisible(c.form->hwnd())) c.form->Show();
      // As after a key press: Windows shows focus cues once the keyboard is used.
      ::SendMessageW(c.form->hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
      ::SetFocus(c.elsewhere->hwnd());
      Settle(6);
      const auto without = testing::CaptureWindow(c.control->hwnd());
      ::SetFocus(c.control->hwnd());
      Settle(6);
      ASSERT_EQ(::GetFocus(), c.control->hwnd());
      EXPECT_GT(Difference(without, testing::CaptureWindow(c.control->hwnd())), 0.0) << "the focus shows";
    }
  }
  form1->Hide();
  form10.Hide();
}

TEST_F(ThemeGuiTest, TheLightStyleIsTodaysLookAndComesBackWhole) {
  // The light palette is the system's colours, and none of the dark painters runs.
  const ui::Palette light = ui::Palette::Light();
  EXPECT_EQ(light[ui::ColorRole::kWindow], ::GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(light[ui::ColorRole::kControl], ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(light[ui::ColorRole::kText], ::GetSysColor(COLOR_WINDOWTEXT));
  form1->ThemeLightClick();
  EXPECT_EQ(ui::Theme::Current().palette().colors, light.colors);
  LRESULT result = 0;
  bool painted = false;
  EXPECT_FALSE(ui::PaintDarkInstead(form1->hwnd(), WM_PAINT, result, [&](HDC) { painted = true; }));
  EXPECT_FALSE(painted);

  // The windows as they look with no style applied, then after dark and back.
  TForm10 form10({.local_version = "9.0.26.320", .mirrors = {"http://127.0.0.1:9/download/"}});
  form1->FormShow();
  const auto capture = [](ui::Form& form) {
    Settle();
    return testing::CaptureWindow(form.hwnd(), true);
  };
  for (ui::Form* form : {static_cast<ui::Form*>(form1.get()), static_cast<ui::Form*>(&form10)}) {
    SCOPED_TRACE(form->Self().Name());
    form->Show();
    ::SetFocus(nullptr);  // no caret blinking in one capture and not the other
    const auto before = capture(*form);
    form1->ThemeDarkClick();
    const auto dark = capture(*form);
    form1->ThemeLightClick();
    ::SetFocus(nullptr);
    const auto after = capture(*form);
    EXPECT_GT(Difference(before, dark), 0.5) << "the dark style showed";
    EXPECT_LT(Difference(before, after), 0.001) << "the light style came back as it was";
    form->Hide();
  }
}

}  // namespace
}  // namespace vandrel
