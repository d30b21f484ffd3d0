// The windows in-process: components, captions, menus, keys, sizes.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "about/unit_about_win32.h"
#include "i18n/message_captions.h"
#include "app/unit_base_win32.h"
#include "platform/win32/wide.h"
#include "tests/win32/gui_support.h"
#include "tests/win32/screenshot.h"
#include "update/unit_update_win32.h"

namespace vandrel {
namespace {

using ::testing::HasSubstr;

// The update window of these tests asks nothing but a closed port here, should
// a check ever start: no request leaves the machine.
const TForm10::Environment kOfflineUpdates{.local_version = "9.0.26.320", .mirrors = {"http://127.0.0.1:9/download/"}};

class GuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::InitializeUi(::GetModuleHandleW(nullptr)); }
  void SetUp() override {
    form1 = std::make_unique<TForm1>(std::vector<std::string>{"\"D:\\Photos\\Summer\""}, "9.0.26.320", false);
    form8 = std::make_unique<TForm8>([this] { return form1->Caption(); }, "© 2026 Vandrel");
    form1->set_about_window(form8.get());
  }
  std::unique_ptr<TForm1> form1;
  std::unique_ptr<TForm8> form8;
};

// The About window is modal: a timer notes what it showed and closes it.
struct AboutSeen {
  TForm8* form = nullptr;
  int shown = 0;
  std::string version_line;
};
AboutSeen g_about;

void CALLBACK CloseAboutSoon(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  if (g_about.form && ::IsWindowVisible(g_about.form->hwnd())) {
    ++g_about.shown;
    g_about.version_line = g_about.form->LabelVersion.GetProperty("Caption");
    g_about.form->Hide();
  }
}

void CALLBACK CloseMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ::EndMenu();
}

std::wstring WindowText(HWND h) {
  wchar_t buffer[512] = {};
  ::GetWindowTextW(h, buffer, 512);
  return buffer;
}

TEST_F(GuiTest, TheMainWindowHasEveryControlWithItsDesignTexts) {
  struct Expected {
    const char* name;
    ComponentKind kind;
    const char* caption;
    const char* hint;
  } expected[] = {
      {"TabControl1", ComponentKind::kTabControl, nullptr, ""},
      {"SpeedButton_GeneralMenu", ComponentKind::kSpeedButton, "≡", ""},
      {"GroupBoxPuth", ComponentKind::kGroupBox, "Путь", ""},
      {"ComboBoxDrive", ComponentKind::kComboBox, nullptr, ""},
      {"ButtonUP", ComponentKind::kButton, "", "На уровень Вверх"},
      {"PathFolder", ComponentKind::kEdit, nullptr, ""},
      {"ButtonRefresh", ComponentKind::kButton, "", "Обновить"},
      {"StatusBar", ComponentKind::kStatusBar, nullptr, ""},
      {"TabControl6", ComponentKind::kTabControl, nullptr, ""},
      {"GroupBox5", ComponentKind::kGroupBox, "Папки", ""},
      {"StatusBar2", ComponentKind::kStatusBar, nullptr, ""},
      {"ListViewList", ComponentKind::kListView, nullptr, ""},
      {"TabControl2", ComponentKind::kTabControl, nullptr, ""},
      {"GroupBox1", ComponentKind::kGroupBox, "Целевая папка", ""},
      {"EditFolder", ComponentKind::kEdit, nullptr, ""},
      {"TabControl7", ComponentKind::kTabControl, nullptr, ""},
      {"ImageFolder", ComponentKind::kImage, nullptr, ""},
      {"CheckBoxSys", ComponentKind::kCheckBox, "Системный", ""},
      {"CheckBoxHide", ComponentKind::kCheckBox, "Скрытый", ""},
      {"CheckBoxReadOnly", ComponentKind::kCheckBox, "Только чтение", ""},
      {"GroupBox2", ComponentKind::kGroupBox, "Описание к папке", ""},
      {"EditInfoTip", ComponentKind::kEdit, nullptr, ""},
      {"ButtonGetInfo", ComponentKind::kButton, "Инфо", "Получить описание к папке из ее названия"},
      {"GroupBox3", ComponentKind::kGroupBox, "Источник иконки", ""},
      {"EditIconFile", ComponentKind::kEdit, nullptr, ""},
      {"ButtonBrowseIcon", ComponentKind::kButton, "", ""},
      {"TabControl5", ComponentKind::kTabControl, nullptr, ""},
      {"ImageIcon", ComponentKind::kImage, nullptr, ""},
      {"SpinEditIcon", ComponentKind::kSpinEdit, nullptr, ""},
      {"ButtonSaveIcon", ComponentKind::kButton, "", ""},
      {"CheckBoxCopyIcon", ComponentKind::kCheckBox, "Копировать иконку в папку", "Копировать иконку в папку назначения"},
      {"TabControl3", ComponentKind::kTabControl, nullptr, ""},
      {"ButtonChangeIcon", ComponentKind::kButton, "Изменить", "Изменить иконку папки"},
      {"GroupBox6", ComponentKind::kGroupBox, "Журнал Desktop.ini", ""},
      {"ProgressBar1", ComponentKind::kProgressBar, nullptr, ""},
      {"MemoLog", ComponentKind::kMemo, nullptr, ""},
  };
  for (const auto& e : expected) {
    Component* c = form1->FindComponent(e.name);
    ASSERT_NE(c, nullptr) << e.name;
    EXPECT_EQ(c->Kind(), e.kind) << e.name;
    if (e.caption) {
      EXPECT_EQ(c->GetProperty("Caption"), e.caption) << e.name;
    }
    EXPECT_EQ(c->GetProperty("Hint"), e.hint) << e.name;
  }
  EXPECT_EQ(form1->Caption(), "Vandrel 9.0.26.320 " + GetBitness());
  EXPECT_FALSE(form1->GroupBox1.Enabled());
  EXPECT_FALSE(form1->SpinEditIcon.Enabled());
  EXPECT_FALSE(form1->ButtonSaveIcon.Enabled());
  // A first start (no Option.ini): the settings leave the copy option off.
  EXPECT_EQ(::SendMessageW(form1->CheckBoxCopyIcon.hwnd(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(::IsWindowVisible(form1->ProgressBar1.hwnd()));
}

TEST_F(GuiTest, MenusCarryTheirItemsKindsAndShortcuts) {
  auto& general = form1->PopupMenuGeneral;
  std::vector<std::string> names;
  for (auto* item : general.items) names.push_back(item->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"ThemeMenu", "LanguageMenu", "ViewMenu", "N3", "RefreshListMenu", "N4",
                                             "EmbedFolderMenu", "N6", "DeleteIconCache", "RestartExplorerMenu",
                                             "MenuItem2", "CheckUpdateMenu", "N1", "AboutMenu"}));
  EXPECT_TRUE(general.right_aligned);
  // Each item's kind, as the component says and as the menu shows it.
  using Type = ui::MenuItem::Type;
  const struct {
    const char* name;
    Type type;
  } kinds[] = {
      {"ThemeMenu", Type::kItem},        {"ThemeAuto", Type::kRadio},      {"ThemeLight", Type::kRadio},
      {"ThemeDark", Type::kRadio},       {"LanguageMenu", Type::kItem},    {"ViewMenu", Type::kItem},
      {"IconSmallMenu", Type::kRadio},   {"IconBigMenu", Type::kRadio},    {"N3", Type::kSeparator},
      {"RefreshListMenu", Type::kItem},  {"N4", Type::kSeparator},         {"EmbedFolderMenu", Type::kCheck},
      {"N6", Type::kSeparator},          {"DeleteIconCache", Type::kItem}, {"RestartExplorerMenu", Type::kItem},
      {"MenuItem2", Type::kSeparator},   {"CheckUpdateMenu", Type::kItem}, {"N1", Type::kSeparator},
      {"AboutMenu", Type::kItem},        {"RefreshIconMenu", Type::kItem}, {"N2", Type::kSeparator},
      {"IconDeleteMenu", Type::kItem},   {"AddIconMenu", Type::kItem},     {"SaveIconMenu", Type::kItem},
  };
  for (const auto& k : kinds) {
    auto& item = testing::Named<ui::MenuItem>(*form1, k.name);
    EXPECT_EQ(item.type, k.type) << k.name;
    MENUITEMINFOW info{sizeof info};
    info.fMask = MIIM_FTYPE;
    ASSERT_TRUE(::GetMenuItemInfoW(item.owner_menu, item.command, FALSE, &info)) << k.name;
    EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, k.type == Type::kSeparator) << k.name;
    EXPECT_EQ((info.fType & MFT_RADIOCHECK) != 0, k.type == Type::kRadio) << k.name;
  }
  // A first start: no theme and no view item checked, the entry not registered.
  EXPECT_FALSE(form1->ThemeAuto.checked);
  EXPECT_FALSE(form1->IconSmallMenu.checked);
  EXPECT_FALSE(form1->EmbedFolderMenu.checked);
  wchar_t text[128];
  ::GetMenuStringW(general.menu, form1->RefreshListMenu.command, text, 128, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(text), L"Обновить\tF5");
  ::GetMenuStringW(general.menu, form1->AboutMenu.command, text, 128, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(text), L"О программе\tF1");

  // A translated caption keeps its shortcut.
  form1->AboutMenu.SetProperty("Caption", "About");
  ::GetMenuStringW(general.menu, form1->AboutMenu.command, text, 128, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(text), L"About\tF1");

  auto& captions = form1->PopupMenuLanguage;
  ASSERT_EQ(captions.items.size(), MainWindowMessageItems().size());
  for (std::size_t i = 0; i < captions.items.size(); ++i) {
    EXPECT_EQ(captions.items[i]->Name(), MainWindowMessageItems()[i].name);
    EXPECT_EQ(captions.items[i]->GetProperty("Caption"), MainWindowMessageItems()[i].caption);
  }
  testing::Named<ui::MenuItem>(*form1, "LangError").SetProperty("Caption", "Error!");
  EXPECT_EQ(form1->MessageCaption("LangError"), "Error!");
  EXPECT_EQ(form1->OpenDialog.GetProperty("Title"), "Выберите файл иконки...");
  EXPECT_THAT(form1->SavePictureDialog.GetProperty("Filter"), HasSubstr("*.ico"));
}

TEST_F(GuiTest, RadioItemsCheckThemselvesAndCheckItemsToggle) {
  auto& light = form1->ThemeLight;
  ::SendMessageW(form1->hwnd(), WM_COMMAND, MAKEWPARAM(light.command, 0), 0);
  EXPECT_TRUE(light.checked);
  EXPECT_FALSE(form1->ThemeAuto.checked);
  auto& embed = form1->EmbedFolderMenu;
  ::SendMessageW(form1->hwnd(), WM_COMMAND, MAKEWPARAM(embed.command, 0), 0);
  EXPECT_TRUE(embed.checked);
  ::SendMessageW(form1->hwnd(), WM_COMMAND, MAKEWPARAM(embed.command, 0), 0);
  EXPECT_FALSE(embed.checked);
}

TEST_F(GuiTest, F1OpensAboutFromAnyControlAndF5RestsTheMenuButton) {
  g_about = AboutSeen{form8.get()};
  form1->Show();
  MSG key{form1->EditInfoTip.hwnd(), WM_KEYDOWN, VK_F1, 0};
  ::SetTimer(nullptr, 0, 200, &CloseAboutSoon);
  EXPECT_TRUE(form1->HandleKey(key));
  EXPECT_EQ(g_about.shown, 1);

  // The menu button stays down after its menu closed, until F5 rests it.
  ::SetTimer(nullptr, 0, 200, &CloseMenuSoon);
  form1->SpeedButton_GeneralMenuClick();
  ASSERT_TRUE(form1->menu_button().down);
  key.wParam = VK_F5;
  EXPECT_TRUE(form1->HandleKey(key));
  EXPECT_FALSE(form1->menu_button().down);
  EXPECT_TRUE(form1->menu_button().allow_all_up);
  const LRESULT state = ::SendMessageW(form1->SpeedButton_GeneralMenu.hwnd(), BM_GETSTATE, 0, 0);
  EXPECT_FALSE(state & BST_PUSHED);
  form1->Hide();
  key.wParam = VK_F2;
  EXPECT_FALSE(form1->HandleKey(key));
  MSG elsewhere{form8->hwnd(), WM_KEYDOWN, VK_F1, 0};
  EXPECT_FALSE(form1->HandleKey(elsewhere));
}

TEST_F(GuiTest, TheMenuButtonOpensOnceThenOnlyReleases) {
  // The menu is modal: close it from a timer as soon as it is up.
  ::SetTimer(nullptr, 0, 200, &CloseMenuSoon);
  form1->SpeedButton_GeneralMenuClick();
  EXPECT_TRUE(form1->menu_button().down);
  form1->SpeedButton_GeneralMenuClick();  // releases only
  EXPECT_FALSE(form1->menu_button().down);
  EXPECT_TRUE(form1->menu_button().allow_all_up);
}

TEST_F(GuiTest, TheWindowKeepsItsMinimumSizeAndTextIsNotClipped) {
  char dpi[16] = {};
  if (::GetEnvironmentVariableA("VANDREL_WINE_DPI", dpi, sizeof dpi) > 0) {
    EXPECT_EQ(form1->Scale(100), 100 * std::atoi(dpi) / 96);  // the window follows the screen's scaling
  }
  ::SetWindowPos(form1->hwnd(), nullptr, 0, 0, 200, 200, SWP_NOZORDER | SWP_NOMOVE);
  RECT r;
  ::GetWindowRect(form1->hwnd(), &r);
  EXPECT_GE(r.right - r.left, form1->Scale(700));
  EXPECT_GE(r.bottom - r.top, form1->Scale(550));
  HDC dc = ::GetDC(form1->hwnd());
  for (const char* name : {"CheckBoxSys", "CheckBoxHide", "CheckBoxReadOnly", "CheckBoxCopyIcon", "ButtonGetInfo",
                           "ButtonChangeIcon"}) {
    HWND h = testing::Named<ui::Control>(*form1, name).hwnd();
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(h, WM_GETFONT, 0, 0)));
    const std::wstring text = WindowText(h);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    RECT c;
    ::GetClientRect(h, &c);
    // A check box needs room for its box, too.
    const int room = c.right - (std::string_view(name).starts_with("CheckBox") ? form1->Scale(18) : form1->Scale(6));
    EXPECT_LE(extent.cx, room) << name;
  }
  ::ReleaseDC(form1->hwnd(), dc);
}

TEST_F(GuiTest, TheAboutWindowShowsTheCurrentTitleAndKeepsEscape) {
  form1->SetCaption("Vandrel 9.0.26.320 (32-bit) Portable");
  form8->FormShow();
  EXPECT_EQ(form8->LabelVersion.GetProperty("Caption"), "Vandrel 9.0.26.320 (32-bit) Portable");
  EXPECT_EQ(form8->LabelCopyright.GetProperty("Caption"), "© 2026 Vandrel");
  EXPECT_EQ(form8->Caption(), "О программе");
  EXPECT_EQ(form8->Button1.GetProperty("Caption"), "Ok");
  const LONG_PTR ex = ::GetWindowLongPtrW(form8->hwnd(), GWL_EXSTYLE);
  const LONG_PTR style = ::GetWindowLongPtrW(form8->hwnd(), GWL_STYLE);
  EXPECT_TRUE(ex & WS_EX_APPWINDOW);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  form8->Show();
  ::SendMessageW(form8->hwnd(), WM_COMMAND, IDCANCEL, 0);  // what Escape sends
  EXPECT_TRUE(::IsWindowVisible(form8->hwnd()));
  form8->Hide();
  EXPECT_EQ(TForm8::LinkTarget("LabelGMail").rfind("mailto:", 0), 0u);
  EXPECT_EQ(TForm8::LinkTarget("LabelMainWebSite").back(), '/');
  EXPECT_EQ(TForm8::LinkTarget("LabelTelegram").rfind("https://", 0), 0u);
}

TEST_F(GuiTest, TheWheelStepsTheSpinBoxByOneOnlyOverIt) {
  auto& spin = form1->SpinEditIcon;
  spin.SetEnabled(true);
  spin.SetRange(0, 10);
  spin.SetValue(4);
  form1->Show();
  form1->Relayout();  // laying out sets the arrows' buddy again
  ui::ProcessMessages();
  auto wheel = [](HWND to, int delta, const RECT& at) {
    const int x = (at.left + at.right) / 2;
    const int y = (at.top + at.bottom) / 2;
    ::SetCursorPos(x, y);
    ::SendMessageW(to, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), MAKELPARAM(x, y));
  };
  RECT edit, arrows, tip;
  ::GetWindowRect(spin.hwnd(), &edit);
  edit.right -= 8;  // the arrows overlap the edit's right end
  ::GetWindowRect(spin.updown(), &arrows);
  ::GetWindowRect(form1->EditInfoTip.hwnd(), &tip);

  wheel(spin.hwnd(), 360, edit);  // three notches at once: still one step
  EXPECT_EQ(spin.Value(), 5);
  EXPECT_EQ(::GetFocus(), spin.hwnd());
  DWORD from = 1, to = 0;
  ::SendMessageW(spin.hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, static_cast<DWORD>(::GetWindowTextLengthW(spin.hwnd())));
  wheel(spin.hwnd(), -40, edit);  // a fine-grained wheel's small delta: one step down
  EXPECT_EQ(spin.Value(), 4);
  wheel(spin.updown(), 120, arrows);
  wheel(spin.updown(), 240, arrows);
  EXPECT_EQ(spin.Value(), 6);
  spin.SetValue(10);
  wheel(spin.hwnd(), 120, edit);
  EXPECT_EQ(spin.Value(), 10);  // the bounds hold
  // Elsewhere in the window the wheel leaves the index alone.
  wheel(form1->hwnd(), 120, tip);
  EXPECT_EQ(spin.Value(), 10);
  form1->Hide();
}

TEST_F(GuiTest, F1ShowsAboutWithTheTitleAsItsVersionLine) {
  g_about = AboutSeen{form8.get()};
  form1->SetCaption("Vandrel 9.0.26.320 (64-bit) Portable");
  form1->Show();
  MSG key{form1->ButtonChangeIcon.hwnd(), WM_KEYDOWN, VK_F1, 0};
  ::SetTimer(nullptr, 0, 200, &CloseAboutSoon);
  ASSERT_TRUE(form1->HandleKey(key));
  EXPECT_EQ(g_about.shown, 1);
  EXPECT_EQ(g_about.version_line, "Vandrel 9.0.26.320 (64-bit) Portable");
  EXPECT_FALSE(::IsWindowVisible(form8->hwnd()));
  form1->Hide();
}

TEST_F(GuiTest, AHandlersExceptionBecomesAnErrorReportAndTheWindowGoesOn) {
  std::vector<std::string> reports;
  ui::SetErrorReporter([&](HWND, const std::string& text) { reports.push_back(text); });
  auto& button = form1->ButtonGetInfo;
  int clicks = 0;
  button.on_click = [&] {
    ++clicks;
    throw std::runtime_error("Cannot open file \"D:\\A\\Desktop.ini\". Access is denied.");
  };
  ::SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
  ::SendMessageW(button.hwnd(), BM_CLICK, 0, 0);
  ui::SetErrorReporter({});
  EXPECT_EQ(clicks, 2);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_THAT(reports[0], HasSubstr("Access is denied."));
  EXPECT_TRUE(::IsWindow(form1->hwnd()));
}

TEST_F(GuiTest, ScreenshotsOfTheMainAndAboutWindows) {
  char dir[MAX_PATH] = {};
  if (::GetEnvironmentVariableA("VANDREL_SCREENSHOTS", dir, MAX_PATH) == 0) GTEST_SKIP() << "no screenshot folder";
  ::CreateDirectoryA(dir, nullptr);
  auto settle = [] {
    for (int i = 0; i < 20; ++i) {
      ui::ProcessMessages();
      ::Sleep(25);
    }
  };
  ::SetCursorPos(0, 0);
  form1->FormShow();
  form1->Show();
  settle();
  EXPECT_TRUE(testing::SaveWindowPng(form1->hwnd(), std::string(dir) + "\\gui-main-window.png"));
  form8->FormShow();
  form8->Show();
  settle();
  EXPECT_TRUE(testing::SaveWindowPng(form8->hwnd(), std::string(dir) + "\\about-window.png"));
  form8->Hide();
  TForm10 form10(kOfflineUpdates);  // shown without its check
  form10.Show();
  settle();
  EXPECT_TRUE(testing::SaveWindowPng(form10.hwnd(), std::string(dir) + "\\update-window.png"));
  form10.Hide();
  form1->Hide();
}

TEST_F(GuiTest, TheFolderListKeepsOnlyItsVerticalScrollBar) {
  auto& list = form1->ListViewList;
  form1->Show();
  ::SendMessageW(list.hwnd(), WM_SIZE, 0, 0);
  ui::ProcessMessages();
  const LONG_PTR style = ::GetWindowLongPtrW(list.hwnd(), GWL_STYLE);
  EXPECT_FALSE(style & WS_HSCROLL);
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_EQ(list.GetStrings("Columns"), std::vector<std::string>{""});
  form1->Hide();
}

TEST_F(GuiTest, EveryMenuItemIsEnabledAndTheLanguageMenuIsARealSubmenu) {
  for (const char* name : {"ThemeMenu", "ThemeAuto", "ThemeLight", "ThemeDark", "LanguageMenu", "ViewMenu",
                           "IconSmallMenu", "IconBigMenu", "RefreshListMenu", "EmbedFolderMenu", "DeleteIconCache",
                           "RestartExplorerMenu", "CheckUpdateMenu", "AboutMenu", "RefreshIconMenu", "IconDeleteMenu",
                           "SaveIconMenu"}) {
    auto& item = testing::Named<ui::MenuItem>(*form1, name);
    const UINT state = ::GetMenuState(item.owner_menu, item.command, MF_BYCOMMAND);
    EXPECT_EQ(state & MF_GRAYED, 0u) << name;
    EXPECT_TRUE(item.Enabled()) << name;
  }
  MENUITEMINFOW info{sizeof info};
  info.fMask = MIIM_SUBMENU;
  ASSERT_TRUE(::GetMenuItemInfoW(form1->LanguageMenu.owner_menu, form1->LanguageMenu.command, FALSE, &info));
  ASSERT_NE(info.hSubMenu, nullptr);
  EXPECT_EQ(::GetMenuItemCount(info.hSubMenu), 0) << "no language files beside the test program";
}

TEST_F(GuiTest, TheHandCursorShowsWhereItIsDesigned) {
  const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
  auto cursor_over = [](HWND h) {
    ::SetCursor(nullptr);
    ::SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
  };
  for (ui::Control* c : std::initializer_list<ui::Control*>{&form1->EditIconFile, &form1->ImageIcon, &form8->Button1,
                                                            &form8->LabelTelegram, &form8->LabelMainWebSite})
    EXPECT_EQ(cursor_over(c->hwnd()), hand) << c->Name();
  for (ui::Control* c : std::initializer_list<ui::Control*>{&form1->EditInfoTip, &form1->ButtonGetInfo, &form8->LabelVersion})
    EXPECT_NE(cursor_over(c->hwnd()), hand) << c->Name();
  // The main window paints off screen first; the About window has no need.
  EXPECT_TRUE(::GetWindowLongPtrW(form1->hwnd(), GWL_EXSTYLE) & WS_EX_COMPOSITED);
}

TEST_F(GuiTest, TheUpdateWindowExistsWithItsCaption) {
  TForm10 form10(kOfflineUpdates);
  EXPECT_EQ(form10.Caption(), "Обновление");
  EXPECT_TRUE(::GetWindowLongPtrW(form10.hwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
}

}  // namespace
}  // namespace vandrel
