#include "app/unit_base_win32.h"

#include <shellapi.h>

#include "app/message_captions.h"

namespace vandrel {

using vandrel::ComponentKind;
using ui::ControlSpec;
using ui::Dock;
using ui::MenuItem;

TForm1::TForm1(std::vector<std::string> arguments, std::string version, bool portable_mode)
    : ui::Form(Options{"Form1", "Vandrel", 684, 511, 700, 550, true, false}),
      arguments_(std::move(arguments)),
      version_(std::move(version)),
      portable_mode_(portable_mode) {
  CreateComponents();
  on_show = [this] { FormShow(); };
  on_activate = [this] { FormActivate(); };
  on_close = [this] { FormClose(); };
  on_destroy = [this] { FormDestroy(); };
  keys[VK_F1] = [this] { AboutMenuClick(); };
  keys[VK_F5] = [this] { MenuItem1Click(); };
  FormCreate();
}

TForm1::~TForm1() {
  for (HICON g : glyphs_) ::DestroyIcon(g);
}

void TForm1::SetGlyph(const char* button, const wchar_t* resource) {
  auto& b = Get<ui::Control>(button);
  HICON icon = static_cast<HICON>(::LoadImageW(ui::Instance(), resource, IMAGE_ICON, Scale(16), Scale(16), 0));
  if (icon == nullptr) return;  // a build without the glyph resources
  glyphs_.push_back(icon);
  ::SetWindowLongPtrW(b.hwnd(), GWL_STYLE, ::GetWindowLongPtrW(b.hwnd(), GWL_STYLE) | BS_ICON);
  ::SendMessageW(b.hwnd(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

void TForm1::CreateComponents() {
  using K = ComponentKind;
  // Regions in docking order: the top strip, the path, the status bar at the
  // very bottom, the folder column on the left, the working area.
  auto& tab1 = Add({"TabControl1", K::kTabControl, nullptr, Dock::kTop, 0, 0, 0, 32});
  auto& menu_button = Add({"SpeedButton_GeneralMenu", K::kSpeedButton, &tab1, Dock::kNone, 2, 2, 22, 22, "≡", "", 0,
                           true});
  menu_button.on_click = [this] { SpeedButton_GeneralMenuClick(); };

  auto& path = Add({"GroupBoxPuth", K::kGroupBox, nullptr, Dock::kTop, 0, 0, 0, 45, "Путь"});
  Add({"ComboBoxDrive", K::kComboBox, &path, Dock::kNone, 0, 0, 208, 200});
  Add({"ButtonUP", K::kButton, &path, Dock::kNone, 212, 0, 24, 24, "", "На уровень Вверх"});
  auto& path_box = Add({"PathFolder", K::kEdit, &path, Dock::kNone, 240, 1, 28, 22, "", "", ES_READONLY, false, true});
  (void)path_box;
  auto& refresh = Add({"ButtonRefresh", K::kButton, &path, Dock::kNone, 0, 0, 24, 24, "", "Обновить", 0, true});
  refresh.on_click = [this] { ButtonRefreshClick(); };

  Add({"StatusBar", K::kStatusBar, nullptr, Dock::kBottom, 0, 0, 0, 19});

  auto& tab6 = Add({"TabControl6", K::kTabControl, nullptr, Dock::kLeft, 0, 0, 220, 0});
  auto& folders = Add({"GroupBox5", K::kGroupBox, &tab6, Dock::kFill, 0, 0, 0, 0, "Папки"});
  Add({"StatusBar2", K::kStatusBar, &folders, Dock::kBottom, 0, 0, 0, 19});
  auto& list = Add({"ListViewList", K::kListView, &folders, Dock::kFill, 0, 0, 0, 0, "", "",
                    LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS});
  ListView_SetExtendedListViewStyle(list.hwnd(), LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  list.AddColumn("", 200);

  auto& work = Add({"TabControl2", K::kTabControl, nullptr, Dock::kFill});
  auto& target = Add({"GroupBox1", K::kGroupBox, &work, Dock::kTop, 0, 0, 0, 75, "Целевая папка"});
  Add({"EditFolder", K::kEdit, &target, Dock::kNone, 0, 1, 62, 22, "", "", ES_READONLY, false, true});
  auto& tab7 = Add({"TabControl7", K::kTabControl, &target, Dock::kNone, 0, 0, 54, 54, "", "", 0, true});
  Add({"ImageFolder", K::kImage, &tab7, Dock::kFill});
  Add({"CheckBoxSys", K::kCheckBox, &target, Dock::kNone, 0, 32, 90, 17, "Системный"});
  Add({"CheckBoxHide", K::kCheckBox, &target, Dock::kNone, 96, 32, 90, 17, "Скрытый"});
  Add({"CheckBoxReadOnly", K::kCheckBox, &target, Dock::kNone, 192, 32, 120, 17, "Только чтение"});
  target.SetEnabled(false);  // display only: the program shows, the user cannot change

  auto& tip = Add({"GroupBox2", K::kGroupBox, &work, Dock::kTop, 0, 0, 0, 48, "Описание к папке"});
  Add({"EditInfoTip", K::kEdit, &tip, Dock::kNone, 0, 1, 81, 22, "", "", 0, false, true});
  Add({"ButtonGetInfo", K::kButton, &tip, Dock::kNone, 0, 0, 75, 24, "Инфо",
       "Получить описание к папке из ее названия", 0, true});

  auto& source = Add({"GroupBox3", K::kGroupBox, &work, Dock::kTop, 0, 0, 0, 75, "Источник иконки"});
  Add({"EditIconFile", K::kEdit, &source, Dock::kNone, 0, 1, 90, 22, "", "", ES_READONLY, false, true});
  Add({"ButtonBrowseIcon", K::kButton, &source, Dock::kNone, 60, 0, 24, 24, "", "", 0, true});
  auto& tab5 = Add({"TabControl5", K::kTabControl, &source, Dock::kNone, 0, 0, 54, 54, "", "", 0, true});
  Add({"ImageIcon", K::kImage, &tab5, Dock::kFill});
  auto& spin = Add({"SpinEditIcon", K::kSpinEdit, &source, Dock::kNone, 0, 31, 49, 22});
  spin.SetEnabled(false);
  auto& save = Add({"ButtonSaveIcon", K::kButton, &source, Dock::kNone, 53, 30, 24, 24});
  save.SetEnabled(false);
  auto& copy = Add({"CheckBoxCopyIcon", K::kCheckBox, &source, Dock::kNone, 84, 33, 230, 17,
                    "Копировать иконку в папку", "Копировать иконку в папку назначения", BS_AUTOCHECKBOX});
  ::SendMessageW(copy.hwnd(), BM_SETCHECK, BST_CHECKED, 0);

  auto& tab3 = Add({"TabControl3", K::kTabControl, &work, Dock::kTop, 0, 0, 0, 35});
  Add({"ButtonChangeIcon", K::kButton, &tab3, Dock::kFill, 0, 0, 0, 0, "Изменить", "Изменить иконку папки"});

  auto& log = Add({"GroupBox6", K::kGroupBox, &work, Dock::kFill, 0, 0, 0, 0, "Журнал Desktop.ini"});
  auto& progress = Add({"ProgressBar1", K::kProgressBar, &log, Dock::kBottom, 0, 0, 0, 17});
  progress.SetVisible(false);
  Add({"MemoLog", K::kMemo, &log, Dock::kFill, 0, 0, 0, 0, "", "", ES_READONLY});

  SetGlyph("ButtonUP", L"GLYPH_UP");
  SetGlyph("ButtonRefresh", L"GLYPH_REFRESH");
  SetGlyph("ButtonBrowseIcon", L"GLYPH_OPEN");
  SetGlyph("ButtonSaveIcon", L"GLYPH_SAVE");

  auto& status = Get<ui::Control>("StatusBar");
  status.SetPanels({50});
  auto& folder_status = Get<ui::Control>("StatusBar2");
  folder_status.SetPanels({80, 130});

  // The general menu, right-aligned, opened only from "≡".
  auto& general = AddPopupMenu("PopupMenuGeneral");
  general.right_aligned = true;
  auto& theme = AddMenuItem(general, "ThemeMenu", "Тема");
  for (auto [name, caption] : {std::pair{"ThemeAuto", "Системная"}, {"ThemeLight", "Светлая"}, {"ThemeDark", "Темная"}}) {
    auto& item = AddMenuItem(theme, name, caption, MenuItem::Type::kRadio);
    item.auto_check = true;
  }
  Get<MenuItem>("ThemeAuto").SetChecked(true);
  AddMenuItem(general, "LanguageMenu", "Язык");
  auto& view = AddMenuItem(general, "ViewMenu", "Вид");
  for (auto [name, caption] : {std::pair{"IconSmallMenu", "Маленькие значки"}, {"IconBigMenu", "Большие значки"}}) {
    auto& item = AddMenuItem(view, name, caption, MenuItem::Type::kRadio);
    item.auto_check = true;
  }
  Get<MenuItem>("IconSmallMenu").SetChecked(true);
  AddMenuItem(general, "N3", "-", MenuItem::Type::kSeparator);
  auto& refresh_item = AddMenuItem(general, "RefreshListMenu", "Обновить");
  refresh_item.shortcut = "F5";
  refresh_item.SetProperty("Caption", "Обновить");
  refresh_item.on_click = [this] { MenuItem1Click(); };
  AddMenuItem(general, "N4", "-", MenuItem::Type::kSeparator);
  auto& embed = AddMenuItem(general, "EmbedFolderMenu", "Встроить в меню папок", MenuItem::Type::kCheck);
  embed.auto_check = true;
  AddMenuItem(general, "N6", "-", MenuItem::Type::kSeparator);
  AddMenuItem(general, "DeleteIconCache", "Удалить кэш иконок");
  AddMenuItem(general, "RestartExplorerMenu", "Перезагрузить проводник");
  AddMenuItem(general, "MenuItem2", "-", MenuItem::Type::kSeparator);
  AddMenuItem(general, "CheckUpdateMenu", "Проверить обновления");
  AddMenuItem(general, "N1", "-", MenuItem::Type::kSeparator);
  auto& about = AddMenuItem(general, "AboutMenu", "О программе");
  about.shortcut = "F1";
  about.SetProperty("Caption", "О программе");
  about.on_click = [this] { AboutMenuClick(); };

  // The folder list's context menu and the icon box's.
  auto& file_list = AddPopupMenu("PopupMenuFileList");
  AddMenuItem(file_list, "RefreshIconMenu", "Обновить").glyph = 6;
  AddMenuItem(file_list, "N2", "-", MenuItem::Type::kSeparator);
  AddMenuItem(file_list, "IconDeleteMenu", "Удалить иконку").glyph = 3;
  auto& icon_menu = AddPopupMenu("PopupMenuIcon");
  AddMenuItem(icon_menu, "AddIconMenu", "Добавить иконку");  // does nothing, as designed
  AddMenuItem(icon_menu, "SaveIconMenu", "Сохранить иконку");

  // The texts of message boxes and status lines, translated like any caption.
  auto& captions = AddPopupMenu("PopupMenuLanguage");
  for (const CaptionItem& item : MainWindowMessageItems())
    AddMenuItem(captions, std::string(item.name), std::string(item.caption));

  auto& open = Add({"OpenDialog", K::kOpenDialog});
  open.SetProperty("Filter", "Все типы|*.ico;*.exe|Иконки (*.ico)|*.ico|Приложение (*.exe)|*.exe");
  open.SetProperty("Title", "Выберите файл иконки...");
  auto& save_dialog = Add({"SavePictureDialog", K::kSaveDialog});
  save_dialog.SetProperty("Filter", "Icons (*.ico)|*.ico");
}

std::string TForm1::MessageCaption(std::string_view item) {
  if (ui::Control* c = Find(item)) return c->GetProperty("Caption");
  return std::string(item);
}

void TForm1::FormCreate() {
  SetCaption(ComposeTitle("Vandrel", version_, portable_mode_));
  Get<ui::Control>("SpinEditIcon").SetSpinRange(0, 0);
  ui::ProcessMessages();
  show_horz_scroll_ = false;
  show_vert_scroll_ = true;
  prev_embed_menu_state_ = false;
  // The folder list sees every message first to keep its scroll bars as set.
  list_subclassed_ = ::SetWindowSubclass(Get<ui::Control>("ListViewList").hwnd(), &TForm1::ListViewWndProc, 1,
                                         reinterpret_cast<DWORD_PTR>(this)) != FALSE;
  Relayout();
  CenterOnDesktop();
  ui::ProcessMessages();
}

void TForm1::FormShow() { Get<ui::Control>("StatusBar2").SetPanelText(0, MessageCaption("LangElements"), true); }

void TForm1::FormActivate() {
  ::DragAcceptFiles(hwnd(), TRUE);
  // The folder named on the command line; listing and selecting it comes
  // with the folder list.
  command_line_folder_ = FolderArgument(arguments_);
}

void TForm1::FormClose() {
  ::DragAcceptFiles(hwnd(), FALSE);
  if (list_subclassed_) ::RemoveWindowSubclass(Get<ui::Control>("ListViewList").hwnd(), &TForm1::ListViewWndProc, 1);
  list_subclassed_ = false;
}

LRESULT CALLBACK TForm1::ListViewWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  auto* form = reinterpret_cast<TForm1*>(self);
  // Showing a bar sends messages of its own; fix the bars once per outer message.
  if (!form->fixing_scroll_bars_ && msg != WM_NCDESTROY) {
    form->fixing_scroll_bars_ = true;
    ::ShowScrollBar(hwnd, SB_HORZ, form->show_horz_scroll_);
    ::ShowScrollBar(hwnd, SB_VERT, form->show_vert_scroll_);
    form->fixing_scroll_bars_ = false;
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}
void TForm1::FormDestroy() { ::DragAcceptFiles(hwnd(), FALSE); }

void TForm1::RestGeneralMenuButton() {
  RestMenuButton(menu_button_);
  ::SendMessageW(Get<ui::Control>("SpeedButton_GeneralMenu").hwnd(), BM_SETSTATE, FALSE, 0);
}

void TForm1::SpeedButton_GeneralMenuClick() {
  auto& button = Get<ui::Control>("SpeedButton_GeneralMenu");
  if (ClickMenuButton(menu_button_) == MenuButtonClick::kCloseMenu) {
    ::SendMessageW(button.hwnd(), BM_SETSTATE, FALSE, 0);
    ::EndMenu();
    ui::ProcessMessages();
    return;
  }
  ::SendMessageW(button.hwnd(), BM_SETSTATE, TRUE, 0);
  ui::ProcessMessages();
  // Below the button, extending to the left from its bottom-right corner.
  RECT r;
  ::GetWindowRect(button.hwnd(), &r);
  Get<ui::PopupMenu>("PopupMenuGeneral").Popup(r.right, r.bottom);
}

void TForm1::AboutMenuClick() {
  RestGeneralMenuButton();
  if (show_about) show_about();
}

void TForm1::MenuItem1Click() {
  RestGeneralMenuButton();
  ButtonRefreshClick();
}

void TForm1::RefreshListMenuClick() { MenuItem1Click(); }

void TForm1::ButtonRefreshClick() {
  // Listing the path box's folder again comes with the folder list.
}

bool TForm1::FormMouseWheel(int wheel_delta) {
  POINT p;
  ::GetCursorPos(&p);
  auto& spin = Get<ui::Control>("SpinEditIcon");
  HWND under = ::WindowFromPoint(p);
  if (under != spin.hwnd() && under != spin.updown()) return false;
  if (!spin.Enabled()) return false;
  spin.Focus();
  spin.SetSpinValue(spin.SpinValue() + (wheel_delta > 0 ? 1 : -1));  // one step per event
  ::SendMessageW(spin.hwnd(), EM_SETSEL, 0, -1);
  return true;
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE:
      RestGeneralMenuButton();
      break;
    case WM_MOUSEWHEEL:
      if (FormMouseWheel(GET_WHEEL_DELTA_WPARAM(wp))) return 0;
      break;
    case WM_CONTEXTMENU:
      return 0;  // right clicks on the background open nothing
    default:
      break;
  }
  return ui::Form::HandleMessage(msg, wp, lp);
}

}  // namespace vandrel
