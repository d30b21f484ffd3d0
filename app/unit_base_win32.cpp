#include "app/unit_base_win32.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <dbt.h>
#include <windowsx.h>

#include "i18n/message_captions.h"
#include "browser/drives.h"
#include "browser/folder_list.h"
#include "common/paths.h"
#include "engine/folder_state.h"
#include "engine/icon_delete.h"
#include "engine/icon_install.h"
#include "icons/get_big_icon_win32.h"
#include "icons/icon_extraction.h"
#include "icons/icon_source.h"
#include "platform/error.h"
#include "platform/text.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"

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
  on_mouse_wheel = [this](int delta) { return FormMouseWheel(delta); };
  on_close = [this] { FormClose(); };
  on_destroy = [this] { FormDestroy(); };
  keys[VK_F1] = [this] { AboutMenuClick(); };
  keys[VK_F5] = [this] { MenuItem1Click(); };
  FormCreate();
}

TForm1::~TForm1() {
  // The controls outlive this object by a moment: their procedures must not
  // reach it any more.
  FormClose();
  ::RemoveWindowSubclass(Get<ui::Control>("EditIconFile").hwnd(), &TForm1::SourceBoxWndProc, 2);
  ::RemoveWindowSubclass(Get<ui::Control>("SpinEditIcon").hwnd(), &TForm1::SpinEditWndProc, 3);
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
  auto& drives = Add({"ComboBoxDrive", K::kComboBox, &path, Dock::kNone, 0, 0, 208, 200});
  drives.on_change = [this] { ComboBoxDriveChange(); };
  auto& up = Add({"ButtonUP", K::kButton, &path, Dock::kNone, 212, 0, 24, 24, "", "На уровень Вверх"});
  up.on_click = [this] { ButtonUPClick(); };
  auto& path_box = Add({"PathFolder", K::kEdit, &path, Dock::kNone, 240, 1, 28, 22, "", "", ES_READONLY, false, true});
  (void)path_box;
  auto& refresh = Add({"ButtonRefresh", K::kButton, &path, Dock::kNone, 0, 0, 24, 24, "", "Обновить", 0, true});
  refresh.on_click = [this] { ButtonRefreshClick(); };

  Add({"StatusBar", K::kStatusBar, nullptr, Dock::kBottom, 0, 0, 0, 19});

  auto& tab6 = Add({"TabControl6", K::kTabControl, nullptr, Dock::kLeft, 0, 0, 220, 0});
  auto& folders = Add({"GroupBox5", K::kGroupBox, &tab6, Dock::kFill, 0, 0, 0, 0, "Папки"});
  Add({"StatusBar2", K::kStatusBar, &folders, Dock::kBottom, 0, 0, 0, 19});
  auto& list = Add({"ListViewList", K::kListView, &folders, Dock::kFill, 0, 0, 0, 0, "", "",
                    LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS});
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
  auto& get_info = Add({"ButtonGetInfo", K::kButton, &tip, Dock::kNone, 0, 0, 75, 24, "Инфо",
                        "Получить описание к папке из ее названия", 0, true});
  get_info.on_click = [this] { ButtonGetInfoClick(); };

  auto& source = Add({"GroupBox3", K::kGroupBox, &work, Dock::kTop, 0, 0, 0, 75, "Источник иконки"});
  auto& source_box = Add({"EditIconFile", K::kEdit, &source, Dock::kNone, 0, 1, 90, 22, "", "", ES_READONLY, false, true});
  ::SetWindowSubclass(source_box.hwnd(), &TForm1::SourceBoxWndProc, 2, reinterpret_cast<DWORD_PTR>(this));
  auto& browse = Add({"ButtonBrowseIcon", K::kButton, &source, Dock::kNone, 60, 0, 24, 24, "", "", 0, true});
  browse.on_click = [this] { ButtonBrowseIconClick(); };
  auto& tab5 = Add({"TabControl5", K::kTabControl, &source, Dock::kNone, 0, 0, 54, 54, "", "", 0, true});
  auto& preview = Add({"ImageIcon", K::kImage, &tab5, Dock::kFill});
  preview.on_click = [this] { ImageIconClick(); };
  auto& spin = Add({"SpinEditIcon", K::kSpinEdit, &source, Dock::kNone, 0, 31, 49, 22});
  spin.SetEnabled(false);
  spin.on_change = [this] { SpinEditIconChange(); };
  ::SetWindowSubclass(spin.hwnd(), &TForm1::SpinEditWndProc, 3, reinterpret_cast<DWORD_PTR>(this));
  auto& save = Add({"ButtonSaveIcon", K::kButton, &source, Dock::kNone, 53, 30, 24, 24});
  save.SetEnabled(false);
  save.on_click = [this] { ButtonSaveIconClick(); };
  auto& copy = Add({"CheckBoxCopyIcon", K::kCheckBox, &source, Dock::kNone, 84, 33, 230, 17,
                    "Копировать иконку в папку", "Копировать иконку в папку назначения", BS_AUTOCHECKBOX});
  ::SendMessageW(copy.hwnd(), BM_SETCHECK, BST_CHECKED, 0);

  auto& tab3 = Add({"TabControl3", K::kTabControl, &work, Dock::kTop, 0, 0, 0, 35});
  auto& change = Add({"ButtonChangeIcon", K::kButton, &tab3, Dock::kFill, 0, 0, 0, 0, "Изменить", "Изменить иконку папки"});
  change.on_click = [this] { ButtonChangeIconClick(); };

  auto& log = Add({"GroupBox6", K::kGroupBox, &work, Dock::kFill, 0, 0, 0, 0, "Журнал Desktop.ini"});
  auto& progress = Add({"ProgressBar1", K::kProgressBar, &log, Dock::kBottom, 0, 0, 0, 17});
  progress.SetVisible(false);
  Add({"MemoLog", K::kMemo, &log, Dock::kFill, 0, 0, 0, 0, "", "", ES_READONLY});

  SetGlyph("ButtonUP", L"GLYPH_UP");
  SetGlyph("ButtonRefresh", L"GLYPH_REFRESH");
  SetGlyph("ButtonBrowseIcon", L"GLYPH_OPEN");
  SetGlyph("ButtonSaveIcon", L"GLYPH_SAVE");

  // As in any status bar, the last panel reaches the right edge, so a long
  // status text is not cut.
  auto& status = Get<ui::Control>("StatusBar");
  status.SetPanels({-1});
  auto& folder_status = Get<ui::Control>("StatusBar2");
  folder_status.SetPanels({80, -1});

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
  Get<MenuItem>("IconSmallMenu").on_click = [this] { SetListViewIconSize(false); };
  Get<MenuItem>("IconBigMenu").on_click = [this] { SetListViewIconSize(true); };
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
  auto& refresh_icon = AddMenuItem(file_list, "RefreshIconMenu", "Обновить");
  refresh_icon.SetGlyph(L"GLYPH_REFRESH");
  refresh_icon.on_click = [this] { RefreshIconMenuClick(); };
  AddMenuItem(file_list, "N2", "-", MenuItem::Type::kSeparator);
  auto& remove = AddMenuItem(file_list, "IconDeleteMenu", "Удалить иконку");
  remove.SetGlyph(L"GLYPH_REMOVE");
  remove.on_click = [this] { IconDeleteMenuClick(); };
  auto& icon_menu = AddPopupMenu("PopupMenuIcon");
  AddMenuItem(icon_menu, "AddIconMenu", "Добавить иконку");  // does nothing, as designed
  auto& save_icon = AddMenuItem(icon_menu, "SaveIconMenu", "Сохранить иконку");
  save_icon.SetGlyph(L"GLYPH_SAVE");
  save_icon.on_click = [this] { SaveIconMenuClick(); };

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
  // The list shares the shell's system image lists; it never destroys them.
  SetListViewIconSize(false);
  getDrive();
  // The settings are read here once the settings store exists.
  ComboBoxDriveChange();
  Relayout();
  CenterOnDesktop();
  ui::ProcessMessages();
}

void TForm1::FormShow() { Get<ui::Control>("StatusBar2").SetPanelText(0, MessageCaption("LangElements"), true); }

void TForm1::FormActivate() {
  ::DragAcceptFiles(hwnd(), TRUE);
  command_line_folder_ = FolderArgument(arguments_);
  if (!command_line_folder_) return;
  ui::ProcessMessages();
  try {
    OpenCommandLineFolder();
  } catch (...) {
    // A folder that cannot be opened leaves the window as it is.
  }
}

void TForm1::OpenCommandLineFolder() {
  const std::string& path = *command_line_folder_;
  if (!fs_.FolderExists(path)) return;
  SelectDriveFromPath(path);
  Get<ui::Control>("PathFolder").SetProperty("Text", CommandLineParent(path));
  ScanAndAddFoldersToListView(CollapseBackslashes(Get<ui::Control>("PathFolder").GetProperty("Text")));
  SelectItemNamed(CommandLineName(path), false);
}

void TForm1::SelectItemNamed(const std::string& name, bool else_first) {
  HWND list = Get<ui::Control>("ListViewList").hwnd();
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  const int count = ListView_GetItemCount(list);
  const std::string wanted = shell_.ToUpperUserLocale(name);
  int found = -1;
  for (int i = 0; i < count && found < 0; ++i)
    if (shell_.ToUpperUserLocale(ItemCaption(i)) == wanted) found = i;
  if (found < 0 && else_first && count > 0) found = 0;
  if (found < 0) return;
  ListView_SetItemState(list, found, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list, found, FALSE);
}

void TForm1::FormClose() {
  ::DragAcceptFiles(hwnd(), FALSE);
  if (list_subclassed_) ::RemoveWindowSubclass(Get<ui::Control>("ListViewList").hwnd(), &TForm1::ListViewWndProc, 1);
  list_subclassed_ = false;
}

void TForm1::ShowFileListMenu(LPARAM at) {
  HWND list = Get<ui::Control>("ListViewList").hwnd();
  POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (at == -1) {
    // From the keyboard (the menu key, Shift+F10): below the focused item.
    RECT r{};
    const int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    if (focused >= 0 && ListView_GetItemRect(list, focused, &r, LVIR_LABEL)) {
      p = POINT{r.left, r.bottom};
    } else {
      p = POINT{0, 0};
    }
    ::ClientToScreen(list, &p);
  }
  Get<ui::PopupMenu>("PopupMenuFileList").Popup(p.x, p.y);
}

LRESULT CALLBACK TForm1::ListViewWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  auto* form = reinterpret_cast<TForm1*>(self);
  if (msg == WM_CONTEXTMENU) {
    // A right click and the keyboard both open the list's menu.
    ui::RunGuarded(form->hwnd(), [form, lp] { form->ShowFileListMenu(lp); });
    return 0;
  }
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
  if (about_window_ != nullptr) about_window_->ShowModal();
}

void TForm1::MenuItem1Click() {
  RestGeneralMenuButton();
  ButtonRefreshClick();
}

void TForm1::RefreshListMenuClick() { MenuItem1Click(); }


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

std::string TForm1::Captions::Caption(std::string_view item) const { return form_.MessageCaption(item); }

EngineServices TForm1::Services() {
  return EngineServices{fs_, ansi_, shell_, *prompts_, captions_, loader_, [] { ui::ProcessMessages(); }};
}

int TForm1::SelectedItem() const {
  return ListView_GetNextItem(const_cast<TForm1*>(this)->Get<ui::Control>("ListViewList").hwnd(), -1, LVNI_SELECTED);
}

std::string TForm1::ItemCaption(int item) const {
  wchar_t text[MAX_PATH * 4] = {};
  ListView_GetItemText(const_cast<TForm1*>(this)->Get<ui::Control>("ListViewList").hwnd(), item, 0, text,
                       static_cast<int>(std::size(text)));
  return Narrow(text);
}

void TForm1::ClearTarget(bool clear_status, bool clear_tip) {
  if (clear_status) Get<ui::Control>("StatusBar").SetPanelText(0, "", true);
  Get<ui::Control>("ImageFolder").SetIcon(nullptr);
  Get<ui::Control>("ImageIcon").SetIcon(nullptr);
  Get<ui::Control>("EditIconFile").SetProperty("Text", "");
  Get<ui::Control>("EditFolder").SetProperty("Text", "");
  if (clear_tip) Get<ui::Control>("EditInfoTip").SetProperty("Text", "");
}

void TForm1::getDrive() {
  HWND box = Get<ui::Control>("ComboBoxDrive").hwnd();
  ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const std::wstring root = Widen(std::string(1, letter) + ":\\");
    const UINT type = ::GetDriveTypeW(root.c_str());
    if (type != DRIVE_REMOVABLE && type != DRIVE_FIXED) continue;
    const std::wstring entry = Widen(DriveEntryText(letter, GetDriveVolume(letter)));
    ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  ::SendMessageW(box, CB_SETCURSEL, 0, 0);
}

std::string TForm1::GetDriveVolume(char drive) {
  wchar_t name[MAX_PATH + 1] = {};
  const std::wstring root = Widen(std::string(1, drive) + ":\\");
  if (!::GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) return {};
  return Narrow(name);
}

void TForm1::ComboBoxDriveChange() {
  ClearTarget(true, false);
  const std::string entry = Get<ui::Control>("ComboBoxDrive").GetProperty("Text");
  const std::string root = std::string(DrivePart(entry)) + "\\";
  Get<ui::Control>("PathFolder").SetProperty("Text", root);
  ScanAndAddFoldersToListView(root);
  ui::ProcessMessages();
}

void TForm1::SelectDriveFromPath(const std::string& path) {
  HWND box = Get<ui::Control>("ComboBoxDrive").hwnd();
  std::vector<std::string> entries;
  const int count = static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(::SendMessageW(box, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    ::SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(text.size() - 1);
    entries.push_back(Narrow(text));
  }
  const DriveChoice choice = vandrel::SelectDriveFromPath(entries, path);
  if (choice.index) {
    ::SendMessageW(box, CB_SETCURSEL, *choice.index, 0);
    return;
  }
  const std::wstring entry = Widen(DriveEntryText(choice.letter, GetDriveVolume(choice.letter)));
  const LRESULT added = ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  ::SendMessageW(box, CB_SETCURSEL, added, 0);
}

void TForm1::ButtonUPClick() {
  ClearTarget(true, true);
  auto& path_box = Get<ui::Control>("PathFolder");
  const std::string p = path_box.GetProperty("Text");
  if (IsAtDriveRoot(p)) return;
  path_box.SetProperty("Text", GetParentDir(fs_, CollapseBackslashes(p), [this](const std::string& t) {
                         return shell_.ToUpperUserLocale(t);
                       }));
  ScanAndAddFoldersToListView(CollapseBackslashes(path_box.GetProperty("Text")));
  ui::ProcessMessages();
}

void TForm1::ScanAndAddFoldersToListView(const std::string& path) {
  HWND list = Get<ui::Control>("ListViewList").hwnd();
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  item_paths_.clear();
  try {
    const std::vector<ListedFolder> folders = ListFolders(fs_, path);
    item_paths_.reserve(folders.size());
    for (const ListedFolder& f : folders) {
      // One shell lookup per folder: its index in the system image list.
      SHFILEINFOW info{};
      ::SHGetFileInfoW(Widen(f.full_path).c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX);
      std::wstring caption = Widen(f.caption);
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
      item.iItem = static_cast<int>(item_paths_.size());
      item.pszText = caption.data();
      item.iImage = info.iIcon;
      item.lParam = static_cast<LPARAM>(item_paths_.size());
      item_paths_.push_back(f.full_path);
      ListView_InsertItem(list, &item);
    }
  } catch (...) {
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    throw;
  }
  ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  SelectFirstItem();
  auto& counter = Get<ui::Control>("StatusBar2");
  counter.SetPanelText(0, MessageCaption("LangElements"), true);
  counter.SetPanelText(1, std::to_string(item_paths_.size()));
  ui::ProcessMessages();
}

void TForm1::SelectFirstItem() {
  HWND list = Get<ui::Control>("ListViewList").hwnd();
  if (ListView_GetItemCount(list) == 0) return;
  ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list, 0, TRUE);
}

void TForm1::SetListViewIconSize(bool large) {
  // The shell's own lists, shared: the list never destroys them.
  SHFILEINFOW info{};
  const auto list = reinterpret_cast<HIMAGELIST>(
      ::SHGetFileInfoW(L"", 0, &info, sizeof info, SHGFI_SYSICONINDEX | (large ? 0 : SHGFI_SMALLICON)));
  if (list == nullptr) return;
  HWND view = Get<ui::Control>("ListViewList").hwnd();
  ListView_SetImageList(view, list, LVSIL_SMALL);
  ListView_SetImageList(view, list, LVSIL_NORMAL);
}

void TForm1::ListViewListDblClick() {
  const int current = SelectedItem();
  if (current < 0) return;
  ClearTarget(true, true);
  auto& path_box = Get<ui::Control>("PathFolder");
  path_box.SetProperty("Text", EnterFolder(path_box.GetProperty("Text"), ItemCaption(current)));
  ScanAndAddFoldersToListView(CollapseBackslashes(path_box.GetProperty("Text")));
  SelectFirstItem();
  ui::ProcessMessages();
}

void TForm1::ButtonRefreshClick() {
  ClearTarget(true, true);
  RefreshIconMenuClick();
}

void TForm1::RefreshIconMenuClick() {
  RestGeneralMenuButton();
  ClearTarget(false, true);
  const std::string box = Get<ui::Control>("PathFolder").GetProperty("Text");
  if (box.empty()) return;
  const std::string p = CollapseBackslashes(box);
  if (!fs_.FolderExists(p)) return;  // the list keeps what it showed
  ScanAndAddFoldersToListView(p);
  ui::ProcessMessages();
}

void TForm1::ShowFolderIcon(const std::string& icon_source, const std::string& folder) {
  Get<ui::Control>("ImageFolder").SetIcon(GetShellIcon(folder).release());
  Get<ui::Control>("ImageIcon").SetIcon(icon_source.empty() ? nullptr : GetShellIcon(icon_source).release());
}

void TForm1::UpdateFormState() {
  const int item = SelectedItem();
  auto enable = [this](const char* name, bool on) { Get<ui::Control>(name).SetEnabled(on); };
  if (item < 0 || static_cast<std::size_t>(item) >= item_paths_.size()) {
    ClearTarget(false, true);
    Get<ui::Control>("MemoLog").SetProperty("Text", "");
    for (const char* box : {"CheckBoxSys", "CheckBoxHide", "CheckBoxReadOnly"})
      ::SendMessageW(Get<ui::Control>(box).hwnd(), BM_SETCHECK, BST_UNCHECKED, 0);
    for (const char* name : {"ButtonBrowseIcon", "ButtonGetInfo", "ButtonChangeIcon", "CheckBoxCopyIcon"})
      enable(name, false);
    return;
  }
  Get<ui::Control>("ImageFolder").SetIcon(nullptr);
  Get<ui::Control>("ImageIcon").SetIcon(nullptr);
  enable("ButtonBrowseIcon", true);
  enable("ButtonGetInfo", true);
  EngineServices s = Services();
  const FormState state = ReadFormState(s, item_paths_[static_cast<std::size_t>(item)],
                                        Get<ui::Control>("PathFolder").GetProperty("Text"), ItemCaption(item));
  auto check = [this](const char* name, bool on) {
    ::SendMessageW(Get<ui::Control>(name).hwnd(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  };
  check("CheckBoxReadOnly", state.attributes.read_only);
  check("CheckBoxHide", state.attributes.hidden);
  check("CheckBoxSys", state.attributes.system);
  Get<ui::Control>("EditFolder").SetProperty("Text", state.icon.folder);
  ShowFolderIndex(state.icon.icon_index);
  Get<ui::Control>("EditInfoTip").SetProperty("Text", state.icon.tip);
  Get<ui::Control>("EditIconFile").SetProperty("Text", state.icon.icon_source);
  ShowFolderIcon(state.icon.icon_source, state.icon.folder);
  ShowReadStatus(state.icon);
  // The log box shows Windows line ends.
  Get<ui::Control>("MemoLog").SetProperty("Text", state.log.value_or(""));
  switch (state.source_kind) {
    case SourceKind::kNone:
      enable("SpinEditIcon", false);
      enable("ButtonSaveIcon", false);
      enable("CheckBoxCopyIcon", false);
      break;
    case SourceKind::kExecutable:
      enable("SpinEditIcon", true);
      enable("ButtonSaveIcon", true);
      enable("CheckBoxCopyIcon", true);
      break;
    case SourceKind::kIco:
      enable("SpinEditIcon", false);
      enable("CheckBoxCopyIcon", true);
      enable("ButtonSaveIcon", false);
      break;
    case SourceKind::kOther:
      break;
  }
}

void TForm1::ShowReadStatus(const FolderIconInfo& info) {
  if (!info.problem.empty()) {
    Get<ui::Control>("StatusBar").SetPanelText(0, info.problem, true);
  } else if (info.has_desktop_ini) {
    Get<ui::Control>("StatusBar").SetPanelText(0, "", true);
  }
}

void TForm1::ShowFolderIndex(int index) {
  // The folder's own index is shown as it stands: the bounds of an earlier
  // source must not clamp it, or "Изменить" would write another icon.
  auto& spin = Get<ui::Control>("SpinEditIcon");
  spin.SetSpinRange(0, 0);
  spin.SetSpinValue(index);
}

void TForm1::getIcon() {
  const int item = SelectedItem();
  if (item < 0 || static_cast<std::size_t>(item) >= item_paths_.size()) return;
  EngineServices s = Services();
  const FolderIconInfo info = GetIcon(s, item_paths_[static_cast<std::size_t>(item)]);
  Get<ui::Control>("EditFolder").SetProperty("Text", info.folder);
  ShowFolderIndex(info.icon_index);
  Get<ui::Control>("EditInfoTip").SetProperty("Text", info.tip);
  Get<ui::Control>("EditIconFile").SetProperty("Text", info.icon_source);
  ShowFolderIcon(info.icon_source, info.folder);
  ShowReadStatus(info);
}

void TForm1::ButtonGetInfoClick() {
  const std::string folder = Get<ui::Control>("EditFolder").GetProperty("Text");
  if (folder.empty()) return;
  Get<ui::Control>("EditInfoTip").SetProperty("Text", InfoTipFromFolder(folder));
  ui::ProcessMessages();
  if (Get<ui::Control>("EditIconFile").GetProperty("Text").empty()) return;
  auto& change = Get<ui::Control>("ButtonChangeIcon");
  change.SetEnabled(true);
  SetDefaultButton(&change);
  change.Focus();
}

void TForm1::RefreshAfterChange() {
  SelectFirstItem();
  Get<ui::Control>("ListViewList").Focus();
  getIcon();
  ui::ProcessMessages();
  try {
    EngineServices s = Services();
    Get<ui::Control>("MemoLog")
        .SetProperty("Text", ReadLogText(s, Get<ui::Control>("EditFolder").GetProperty("Text") + "Desktop.ini")
                                 .value_or(""));
  } catch (...) {
    // The log box is a view; a file that cannot be read leaves it empty.
  }
  ui::ProcessMessages();
  ButtonRefreshClick();
  ui::ProcessMessages();
}

void TForm1::ButtonChangeIconClick() {
  Get<ui::Control>("StatusBar").SetPanelText(0, "", true);
  const int item = SelectedItem();
  ChangeRequest request;
  request.has_selection = item >= 0;
  if (request.has_selection) request.caption = ItemCaption(item);
  request.install.folder = Get<ui::Control>("EditFolder").GetProperty("Text");
  request.install.source = Get<ui::Control>("EditIconFile").GetProperty("Text");
  request.install.index = Get<ui::Control>("SpinEditIcon").SpinValue();
  request.install.tip = Get<ui::Control>("EditInfoTip").GetProperty("Text");
  request.install.copy =
      ::SendMessageW(Get<ui::Control>("CheckBoxCopyIcon").hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
  EngineServices s = Services();
  const ChangeResult result = vandrel::ButtonChangeIconClick(s, request, [this] { RefreshAfterChange(); });
  if (!result.status.empty()) Get<ui::Control>("StatusBar").SetPanelText(0, result.status, true);
}

void TForm1::IconDeleteMenuClick() {
  RestGeneralMenuButton();
  EngineServices s = Services();
  const RemoveResult result =
      vandrel::IconDeleteMenuClick(s, Get<ui::Control>("EditFolder").GetProperty("Text"),
                                   Get<ui::Control>("EditIconFile").GetProperty("Text"), [this] { RefreshAfterChange(); });
  if (!result.status.empty()) Get<ui::Control>("StatusBar").SetPanelText(0, result.status, true);
}

// ---------------------------------------------------------------- the icon source

void TForm1::SetPreview(HICON icon) { Get<ui::Control>("ImageIcon").SetIcon(icon); }

void TForm1::OfferChange() {
  auto& change = Get<ui::Control>("ButtonChangeIcon");
  Get<ui::Control>("CheckBoxCopyIcon").SetEnabled(true);
  change.SetEnabled(true);
  SetDefaultButton(&change);
  if (::IsWindowVisible(change.hwnd()) && change.Enabled()) change.Focus();
}

void TForm1::ApplyIndexBox(const IndexBoxSetup& setup) {
  auto& spin = Get<ui::Control>("SpinEditIcon");
  spin.SetSpinRange(setup.min, setup.max);
  spin.SetEnabled(setup.enabled);
  Get<ui::Control>("ButtonSaveIcon").SetEnabled(setup.save_enabled);
}

void TForm1::EditIconFileClick() { ImageIconClick(); }
void TForm1::ButtonBrowseIconClick() { ImageIconClick(); }

void TForm1::ImageIconClick() {
  auto& source = Get<ui::Control>("EditIconFile");
  auto& spin = Get<ui::Control>("SpinEditIcon");
  auto& dialog = Get<ui::Control>("OpenDialog");
  FileDialog open;
  open.kind = FileDialog::Kind::kOpen;
  open.title = dialog.GetProperty("Title");
  open.filter = dialog.GetProperty("Filter");
  if (const std::optional<std::string> picked = prompts_->ChooseFile(open)) {
    const std::string& path = *picked;
    const SourceKind kind = ClassifySource(path);
    if (kind == SourceKind::kExecutable) {
      source.SetProperty("Text", path);
      spin.SetSpinValue(0);
      const IndexBoxSetup setup = ChosenExecutableSetup(GetIconCountSimple(fs_, loader_, path));
      ApplyIndexBox(setup);
      if (setup.preview_index) SpinEditIconChange();
      SetPreview(GetShellIcon(path).release());
      Get<ui::Control>("StatusBar").SetPanelText(0, "", true);
      Get<ui::Control>("CheckBoxCopyIcon").SetEnabled(true);
    } else if (kind == SourceKind::kIco) {
      // The index box keeps its value: an .ico has only the one icon.
      source.SetProperty("Text", path);
      SetPreview(GetShellIcon(path).release());
      spin.SetEnabled(false);
      Get<ui::Control>("ButtonSaveIcon").SetEnabled(false);
      Get<ui::Control>("CheckBoxCopyIcon").SetEnabled(true);
    }
  }
  if (!source.GetProperty("Text").empty()) OfferChange();
}

std::string TForm1::ResolveShortcut(const std::string& lnk_file) {
  Win32FileSystem fs;
  if (!fs.FileExists(lnk_file)) return {};
  // COM is up on the window's thread from the start; this keeps the call
  // safe from any other thread too.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string target;
  {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    wchar_t path[MAX_PATH + 1] = {};
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) &&
        SUCCEEDED(file->Load(ToWinPath(lnk_file).c_str(), STGM_READ)) &&
        link->GetPath(path, MAX_PATH, nullptr, SLGP_UNCPRIORITY) == S_OK) {
      path[MAX_PATH] = L'\0';
      target = Narrow(path);
    }
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return target;
}

void TForm1::WMDropFiles(HDROP drop) {
  // The drop is released however this ends.
  struct Release {
    HDROP drop;
    ~Release() { ::DragFinish(drop); }
  } release{drop};
  if (::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0) return;
  // Only the first item counts; its whole path is read, however long.
  const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
  if (length == 0) return;
  std::wstring name(length + 1, L'\0');
  if (::DragQueryFileW(drop, 0, name.data(), length + 1) == 0) return;
  name.resize(length);
  const std::string path = Narrow(name);
  if (fs_.FolderExists(path)) {
    DropFolder(path);
  } else {
    DropFile(path);
  }
}

void TForm1::DropFolder(const std::string& path) {
  HWND list = Get<ui::Control>("ListViewList").hwnd();
  ListView_DeleteAllItems(list);
  item_paths_.clear();
  SelectDriveFromPath(path);
  const std::string parent = CommandLineParent(path);
  Get<ui::Control>("PathFolder").SetProperty("Text", parent);
  ScanAndAddFoldersToListView(CollapseBackslashes(parent));
  std::string_view folder = path;
  if (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  SelectItemNamed(std::string(NamePart(folder)), true);
}

void TForm1::DropFile(std::string path) {
  if (HasExtension(path, ".lnk")) {
    path = ResolveShortcut(path);
    if (path.empty() || !fs_.FileExists(path)) return;  // a shortcut to a folder is not a source
  }
  const SourceKind kind = ClassifySource(path);
  if (kind != SourceKind::kExecutable && kind != SourceKind::kIco) return;
  Get<ui::Control>("EditIconFile").SetProperty("Text", path);
  auto& spin = Get<ui::Control>("SpinEditIcon");
  if (kind == SourceKind::kIco) {
    UniqueIcon icon = GetShellIcon(path);
    const bool shown = icon != nullptr;
    SetPreview(icon.release());
    spin.SetEnabled(false);
    spin.SetSpinValue(0);
    Get<ui::Control>("CheckBoxCopyIcon").SetEnabled(true);
    Get<ui::Control>("ButtonSaveIcon").SetEnabled(false);
    if (!shown) return;
  } else {
    spin.SetSpinValue(0);
    const IndexBoxSetup setup = DroppedExecutableSetup(GetIconCountSimple(fs_, loader_, path));
    ApplyIndexBox(setup);
    if (setup.show_preview) {
      Get<ui::Control>("CheckBoxCopyIcon").SetEnabled(true);
      SetPreview(GetShellIcon(path).release());
    } else {
      SetPreview(nullptr);
    }
  }
  OfferChange();
  Get<ui::Control>("StatusBar").SetPanelText(0, "", true);
}

void TForm1::SpinEditIconChange() {
  const std::string source(TrimControl(Get<ui::Control>("EditIconFile").GetProperty("Text")));
  if (source.empty() || !fs_.FileExists(source)) {
    SetPreview(nullptr);
    return;
  }
  SetPreview(nullptr);
  const int index = Get<ui::Control>("SpinEditIcon").SpinValue();
  // ExtractIconW takes any index: a negative one names a resource id, as in
  // an icon location.
  HICON extracted = ::ExtractIconW(ui::Instance(), ToWinPath(source).c_str(), static_cast<UINT>(index));
  if (extracted == nullptr || extracted == reinterpret_cast<HICON>(1)) return;
  // 48 x 48 on a standard screen, sharp on a scaled one.
  const int size = Scale(48);
  HICON copy = static_cast<HICON>(::CopyImage(extracted, IMAGE_ICON, size, size, LR_COPYFROMRESOURCE));
  if (copy != nullptr) {
    ::DestroyIcon(extracted);
    SetPreview(copy);
  } else {
    SetPreview(extracted);
  }
}

bool TForm1::SpinEditIconKeyDown(WPARAM key) {
  switch (key) {
    case VK_BACK: case VK_TAB: case VK_RETURN: case VK_ESCAPE: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN: case VK_DELETE:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK TForm1::SpinEditWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_KEYDOWN:
      if (!SpinEditIconKeyDown(wp)) return 0;
      break;
    case WM_CHAR:
    case WM_PASTE:
      return 0;  // nothing is typed into the index: it is stepped
    default:
      break;
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK TForm1::SourceBoxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  auto* form = reinterpret_cast<TForm1*>(self);
  if (msg == WM_CONTEXTMENU) {
    // The icon menu replaces the edit box's own.
    return ::SendMessageW(form->hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lp);
  }
  const LRESULT r = ::DefSubclassProc(hwnd, msg, wp, lp);
  if (msg == WM_LBUTTONUP) ui::RunGuarded(form->hwnd(), [form] { form->EditIconFileClick(); });
  return r;
}

FileDialog TForm1::IconSaveDialog(std::string file_name) {
  // A name typed without an extension is saved as .ico.
  FileDialog save;
  save.kind = FileDialog::Kind::kSave;
  save.title = Get<ui::Control>("SavePictureDialog").GetProperty("Title");
  save.filter = Get<ui::Control>("SavePictureDialog").GetProperty("Filter");
  save.default_extension = "ico";
  save.file_name = std::move(file_name);
  return save;
}

void TForm1::ButtonSaveIconClick() {
  const std::string source = Get<ui::Control>("EditIconFile").GetProperty("Text");
  const std::optional<std::string> target = prompts_->ChooseFile(IconSaveDialog(ProposedIconFileName(source)));
  if (!target) return;
  IconServices services{fs_, loader_, *prompts_, captions_};
  try {
    ExtractIconByIndex(services, source, *target, Get<ui::Control>("SpinEditIcon").SpinValue());
  } catch (const Error& e) {
    prompts_->ShowError(e.what(), MessageCaption("LangError"));
  }
}

void TForm1::SaveIconMenuClick() {
  const std::string source = Get<ui::Control>("EditIconFile").GetProperty("Text");
  if (source.empty()) {
    prompts_->ShowError(MessageCaption("LangTarget"), MessageCaption("LangError"));
    return;
  }
  if (!HasExtension(source, ".ico")) return;  // executables are saved with the save button
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  wchar_t date[128] = {};
  ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128, nullptr);
  const FileDialog save = IconSaveDialog(IconCopyFileName(Narrow(date), now.wHour, now.wMinute, now.wSecond));
  ui::ProcessMessages();
  const std::optional<std::string> target = prompts_->ChooseFile(save);
  if (!target) return;
  // A plain file with the time of saving; problems here are not reported. A
  // copy that failed (the source itself picked as the target, a locked
  // file) leaves the target alone.
  try {
    fs_.CopyFileOver(source, *target);
  } catch (const Error&) {
    ui::ProcessMessages();
    return;
  }
  fs_.SetAttributes(*target, kAttrNormal);
  UniqueHandle file(::CreateFileW(ToWinPath(*target).c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  if (file.valid()) {
    // Two-second steps, as a DOS date and time stores it.
    SYSTEMTIME stamp = now;
    stamp.wSecond = static_cast<WORD>(stamp.wSecond & ~1);
    stamp.wMilliseconds = 0;
    FILETIME local, utc;
    if (::SystemTimeToFileTime(&stamp, &local) && ::LocalFileTimeToFileTime(&local, &utc))
      ::SetFileTime(file.get(), nullptr, nullptr, &utc);
  }
  ui::ProcessMessages();
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE:
      RestGeneralMenuButton();
      break;
    case WM_CONTEXTMENU: {
      // The source box and the preview share the icon menu; right clicks on
      // the background open nothing.
      const auto from = reinterpret_cast<HWND>(wp);
      if (from == Get<ui::Control>("EditIconFile").hwnd() || from == Get<ui::Control>("ImageIcon").hwnd()) {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (lp == -1) {  // from the keyboard: at the control
          RECT r;
          ::GetWindowRect(from, &r);
          p = POINT{r.left, r.bottom};
        }
        Get<ui::PopupMenu>("PopupMenuIcon").Popup(p.x, p.y);
      }
      return 0;
    }
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_DEVICECHANGE: {
      const LRESULT r = ui::Form::HandleMessage(msg, wp, lp);
      if (wp == DBT_DEVICEARRIVAL) {
        wchar_t roots[4] = {};
        if (::GetLogicalDriveStringsW(3, roots) != 0) getDrive();
      } else if (wp == DBT_DEVICEREMOVECOMPLETE) {
        getDrive();
      }
      return r;
    }
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->hwndFrom != Get<ui::Control>("ListViewList").hwnd()) break;
      if (hdr->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
        if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
          UpdateFormState();
      } else if (hdr->code == NM_CLICK) {
        UpdateFormState();
      } else if (hdr->code == NM_DBLCLK) {
        ListViewListDblClick();
      }
      return 0;
    }
    default:
      break;
  }
  return ui::Form::HandleMessage(msg, wp, lp);
}

}  // namespace vandrel
