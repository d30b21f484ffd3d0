// The main window's controls and menus, made in their design order, and the
// events each one raises.
#include "app/unit_base_win32.h"

#include "app/file_info_utils.h"
#include "common/paths.h"
#include "platform/win32/win32_version_reader.h"

namespace vandrel {

using ui::Dock;
using Type = ui::MenuItemType;

// Regions in docking order: the top strip, the path, the status bar at the
// very bottom, the folder column on the left, the working area.
TForm1::TForm1(std::vector<std::string> arguments, std::string version, bool portable_mode, std::string exe_path)
    : ui::Form(Options{.name = "Form1", .caption = "Vandrel", .client_width = 684, .client_height = 511,
                       .min_width = 700, .min_height = 550, .main_window = true, .double_buffered = true}),
      TabControl1(Add<ui::FramedPanel>({.name = "TabControl1", .dock = Dock::kTop, .height = 32})),
      SpeedButton_GeneralMenu(Add<ui::SpeedButton>({.name = "SpeedButton_GeneralMenu", .parent = &TabControl1,
                                                    .x = 2, .y = 2, .width = 22, .height = 22, .caption = "≡",
                                                    .anchor_right = true, .font = {.face = L"Tahoma", .pixels = 21}})),
      GroupBoxPuth(Add<ui::GroupBox>({.name = "GroupBoxPuth", .dock = Dock::kTop, .height = 45, .caption = "Путь"})),
      ComboBoxDrive(Add<ui::ComboBox>({.name = "ComboBoxDrive", .parent = &GroupBoxPuth, .width = 208, .height = 200})),
      ButtonUP(Add<ui::Button>({.name = "ButtonUP", .parent = &GroupBoxPuth, .x = 212, .width = 24, .height = 24,
                                .hint = "На уровень Вверх", .glyph = L"GLYPH_UP"})),
      PathFolder(Add<ui::Edit>({.name = "PathFolder", .parent = &GroupBoxPuth, .x = 240, .y = 1, .width = 28,
                                .height = 22, .stretch = true, .read_only = true})),
      ButtonRefresh(Add<ui::Button>({.name = "ButtonRefresh", .parent = &GroupBoxPuth, .width = 24, .height = 24,
                                     .hint = "Обновить", .anchor_right = true, .glyph = L"GLYPH_REFRESH"})),
      StatusBar(Add<ui::StatusBar>({.name = "StatusBar", .dock = Dock::kBottom, .height = 19})),
      TabControl6(Add<ui::FramedPanel>({.name = "TabControl6", .dock = Dock::kLeft, .width = 220})),
      GroupBox5(Add<ui::GroupBox>({.name = "GroupBox5", .parent = &TabControl6, .dock = Dock::kFill, .caption = "Папки"})),
      StatusBar2(Add<ui::StatusBar>({.name = "StatusBar2", .parent = &GroupBox5, .dock = Dock::kBottom, .height = 19})),
      ListViewList(Add<ui::ListView>({.name = "ListViewList", .parent = &GroupBox5, .dock = Dock::kFill})),
      TabControl2(Add<ui::FramedPanel>({.name = "TabControl2", .dock = Dock::kFill})),
      GroupBox1(Add<ui::GroupBox>({.name = "GroupBox1", .parent = &TabControl2, .dock = Dock::kTop, .height = 75,
                                   .caption = "Целевая папка", .enabled = false})),  // display only
      EditFolder(Add<ui::Edit>({.name = "EditFolder", .parent = &GroupBox1, .y = 1, .width = 62, .height = 22,
                                .stretch = true, .read_only = true})),
      TabControl7(Add<ui::FramedPanel>({.name = "TabControl7", .parent = &GroupBox1, .width = 54, .height = 54,
                                        .anchor_right = true})),
      ImageFolder(Add<ui::Image>({.name = "ImageFolder", .parent = &TabControl7, .dock = Dock::kFill})),
      CheckBoxSys(Add<ui::CheckBox>({.name = "CheckBoxSys", .parent = &GroupBox1, .y = 32, .width = 90, .height = 17,
                                     .caption = "Системный"})),
      CheckBoxHide(Add<ui::CheckBox>({.name = "CheckBoxHide", .parent = &GroupBox1, .x = 96, .y = 32, .width = 90,
                                      .height = 17, .caption = "Скрытый"})),
      CheckBoxReadOnly(Add<ui::CheckBox>({.name = "CheckBoxReadOnly", .parent = &GroupBox1, .x = 192, .y = 32,
                                          .width = 120, .height = 17, .caption = "Только чтение"})),
      GroupBox2(Add<ui::GroupBox>({.name = "GroupBox2", .parent = &TabControl2, .dock = Dock::kTop, .height = 48,
                                   .caption = "Описание к папке"})),
      EditInfoTip(Add<ui::Edit>({.name = "EditInfoTip", .parent = &GroupBox2, .y = 1, .width = 81, .height = 22,
                                 .stretch = true})),
      ButtonGetInfo(Add<ui::Button>({.name = "ButtonGetInfo", .parent = &GroupBox2, .width = 75, .height = 24,
                                     .caption = "Инфо", .hint = "Получить описание к папке из ее названия",
                                     .anchor_right = true})),
      GroupBox3(Add<ui::GroupBox>({.name = "GroupBox3", .parent = &TabControl2, .dock = Dock::kTop, .height = 75,
                                   .caption = "Источник иконки"})),
      EditIconFile(Add<ui::Edit>({.name = "EditIconFile", .parent = &GroupBox3, .y = 1, .width = 90, .height = 22,
                                  .stretch = true, .read_only = true, .hand_cursor = true})),
      ButtonBrowseIcon(Add<ui::Button>({.name = "ButtonBrowseIcon", .parent = &GroupBox3, .x = 60, .width = 24,
                                        .height = 24, .anchor_right = true, .glyph = L"GLYPH_OPEN"})),
      TabControl5(Add<ui::FramedPanel>({.name = "TabControl5", .parent = &GroupBox3, .width = 54, .height = 54,
                                        .anchor_right = true})),
      ImageIcon(Add<ui::Image>({.name = "ImageIcon", .parent = &TabControl5, .dock = Dock::kFill, .hand_cursor = true})),
      SpinEditIcon(Add<ui::SpinEdit>({.name = "SpinEditIcon", .parent = &GroupBox3, .y = 31, .width = 49, .height = 22,
                                      .enabled = false})),
      ButtonPickIcon(Add<ui::Button>({.name = "ButtonPickIcon", .parent = &GroupBox3, .x = 53, .y = 30, .width = 24,
                                      .height = 24, .hint = "Показать все иконки файла", .enabled = false,
                                      .glyph = L"GLYPH_GRID"})),
      ButtonSaveIcon(Add<ui::Button>({.name = "ButtonSaveIcon", .parent = &GroupBox3, .x = 81, .y = 30, .width = 24,
                                      .height = 24, .enabled = false, .glyph = L"GLYPH_SAVE"})),
      CheckBoxCopyIcon(Add<ui::CheckBox>({.name = "CheckBoxCopyIcon", .parent = &GroupBox3, .x = 112, .y = 33,
                                          .width = 202, .height = 17, .caption = "Копировать иконку в папку",
                                          .hint = "Копировать иконку в папку назначения", .two_state = true})),
      TabControl3(Add<ui::FramedPanel>({.name = "TabControl3", .parent = &TabControl2, .dock = Dock::kTop, .height = 35})),
      ButtonChangeIcon(Add<ui::Button>({.name = "ButtonChangeIcon", .parent = &TabControl3, .dock = Dock::kFill,
                                        .caption = "Изменить", .hint = "Изменить иконку папки"})),
      GroupBox6(Add<ui::GroupBox>({.name = "GroupBox6", .parent = &TabControl2, .dock = Dock::kFill,
                                   .caption = "Журнал Desktop.ini"})),
      ProgressBar1(Add<ui::ProgressBar>({.name = "ProgressBar1", .parent = &GroupBox6, .dock = Dock::kBottom,
                                         .height = 17, .visible = false})),
      MemoLog(Add<ui::Memo>({.name = "MemoLog", .parent = &GroupBox6, .dock = Dock::kFill, .read_only = true})),
      // The general menu, right-aligned.
      PopupMenuGeneral(AddPopupMenu("PopupMenuGeneral", true)),
      ThemeMenu(Item({.name = "ThemeMenu", .parent = &PopupMenuGeneral, .caption = "Тема"})),
      ThemeAuto(Item({.name = "ThemeAuto", .parent = &ThemeMenu, .caption = "Системная", .type = Type::kRadio,
                      .auto_check = true, .checked = true})),
      ThemeLight(Item({.name = "ThemeLight", .parent = &ThemeMenu, .caption = "Светлая", .type = Type::kRadio,
                       .auto_check = true})),
      ThemeDark(Item({.name = "ThemeDark", .parent = &ThemeMenu, .caption = "Темная", .type = Type::kRadio,
                      .auto_check = true})),
      LanguageMenu(Item({.name = "LanguageMenu", .parent = &PopupMenuGeneral, .caption = "Язык", .submenu = true})),
      ViewMenu(Item({.name = "ViewMenu", .parent = &PopupMenuGeneral, .caption = "Вид"})),
      IconSmallMenu(Item({.name = "IconSmallMenu", .parent = &ViewMenu, .caption = "Маленькие значки",
                          .type = Type::kRadio, .auto_check = true, .checked = true})),
      IconBigMenu(Item({.name = "IconBigMenu", .parent = &ViewMenu, .caption = "Большие значки", .type = Type::kRadio,
                        .auto_check = true})),
      N3(Item({.name = "N3", .parent = &PopupMenuGeneral, .caption = "-", .type = Type::kSeparator})),
      RefreshListMenu(Item({.name = "RefreshListMenu", .parent = &PopupMenuGeneral, .caption = "Обновить",
                            .shortcut = "F5"})),
      N4(Item({.name = "N4", .parent = &PopupMenuGeneral, .caption = "-", .type = Type::kSeparator})),
      EmbedFolderMenu(Item({.name = "EmbedFolderMenu", .parent = &PopupMenuGeneral, .caption = "Встроить в меню папок",
                            .type = Type::kCheck, .auto_check = true})),
      N6(Item({.name = "N6", .parent = &PopupMenuGeneral, .caption = "-", .type = Type::kSeparator})),
      DeleteIconCache(Item({.name = "DeleteIconCache", .parent = &PopupMenuGeneral, .caption = "Удалить кэш иконок"})),
      RestartExplorerMenu(Item({.name = "RestartExplorerMenu", .parent = &PopupMenuGeneral,
                                .caption = "Перезагрузить проводник"})),
      MenuItem2(Item({.name = "MenuItem2", .parent = &PopupMenuGeneral, .caption = "-", .type = Type::kSeparator})),
      CheckUpdateMenu(Item({.name = "CheckUpdateMenu", .parent = &PopupMenuGeneral, .caption = "Проверить обновления"})),
      N1(Item({.name = "N1", .parent = &PopupMenuGeneral, .caption = "-", .type = Type::kSeparator})),
      AboutMenu(Item({.name = "AboutMenu", .parent = &PopupMenuGeneral, .caption = "О программе", .shortcut = "F1"})),
      PopupMenuFileList(AddPopupMenu("PopupMenuFileList")),
      RefreshIconMenu(Item({.name = "RefreshIconMenu", .parent = &PopupMenuFileList, .caption = "Обновить",
                            .glyph = L"GLYPH_REFRESH"})),
      N2(Item({.name = "N2", .parent = &PopupMenuFileList, .caption = "-", .type = Type::kSeparator})),
      IconDeleteMenu(Item({.name = "IconDeleteMenu", .parent = &PopupMenuFileList, .caption = "Удалить иконку",
                           .glyph = L"GLYPH_REMOVE"})),
      PopupMenuIcon(AddPopupMenu("PopupMenuIcon")),
      AddIconMenu(Item({.name = "AddIconMenu", .parent = &PopupMenuIcon, .caption = "Добавить иконку"})),  // does nothing, as designed
      SaveIconMenu(Item({.name = "SaveIconMenu", .parent = &PopupMenuIcon, .caption = "Сохранить иконку",
                         .glyph = L"GLYPH_SAVE"})),
      PopupMenuLanguage(AddMessageCaptions()),
      OpenDialog(Add<ui::OpenDialog>({.name = "OpenDialog"})),
      SavePictureDialog(Add<ui::SaveDialog>({.name = "SavePictureDialog"})),
      arguments_(std::move(arguments)),
      version_(std::move(version)),
      portable_mode_(portable_mode) {
  exe_path_ = exe_path.empty() ? desktop_.ExecutablePath() : std::move(exe_path);
  Win32VersionReader versions;
  company_ = GetCompanyName(versions, exe_path_);
  ListViewList.AddColumn("", 200);
  ListViewList.item_text = [this](int item) { return std::string(NamePart(item_paths_[static_cast<std::size_t>(item)])); };
  ListViewList.item_image = [this](int item) { return FolderIconIndex(item); };
  CheckBoxCopyIcon.SetChecked(true);
  // As in any status bar, the last panel reaches the right edge, so a long
  // status text is not cut.
  StatusBar.SetPanels({-1});
  StatusBar2.SetPanels({80, -1});
  OpenDialog.SetProperty("Filter", "Все типы|*.ico;*.exe|Иконки (*.ico)|*.ico|Приложение (*.exe)|*.exe|"
                         "Картинки (*.png;*.jpg;*.bmp;*.gif;*.tif)|*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff");
  OpenDialog.SetProperty("Title", "Выберите файл иконки...");
  SavePictureDialog.SetProperty("Filter", "Icons (*.ico)|*.ico");
  BindEvents();
  // An error here is reported and the program goes on with what was made.
  ui::RunGuarded(hwnd(), [this] { FormCreate(); });
}

ui::PopupMenu& TForm1::AddMessageCaptions() {
  auto& captions = AddPopupMenu("PopupMenuLanguage");
  for (const CaptionItem& item : MainWindowMessageItems())
    AddMenuItem({.name = std::string(item.name), .parent = &captions, .caption = std::string(item.caption)});
  return captions;
}

void TForm1::BindEvents() {
  on_show = [this] { FormShow(); };
  on_activate = [this] { FormActivate(); };
  on_mouse_wheel = [this](int delta) { return FormMouseWheel(delta); };
  on_close = [this] { FormClose(); };
  on_destroy = [this] { FormDestroy(); };
  on_drop_file = [this](const std::string& path) { DropPath(path); };
  keys[VK_F1] = [this] { AboutMenuClick(); };
  keys[VK_F5] = [this] { MenuItem1Click(); };

  SpeedButton_GeneralMenu.on_click = [this] { SpeedButton_GeneralMenuClick(); };
  ComboBoxDrive.on_change = [this] { ComboBoxDriveChange(); };
  ButtonUP.on_click = [this] { ButtonUPClick(); };
  ButtonRefresh.on_click = [this] { ButtonRefreshClick(); };
  ListViewList.on_select = [this] { UpdateFormState(); };
  ListViewList.on_click = [this] { UpdateFormState(); };
  ListViewList.on_double_click = [this] { ListViewListDblClick(); };
  ListViewList.on_context_menu = [this](POINT at, bool) { ShowFileListMenu(at); };
  ButtonGetInfo.on_click = [this] { ButtonGetInfoClick(); };
  EditIconFile.on_click = [this] { EditIconFileClick(); };
  EditIconFile.on_context_menu = [this](POINT at, bool) { ShowIconMenu(at); };
  ButtonBrowseIcon.on_click = [this] { ButtonBrowseIconClick(); };
  ImageIcon.on_click = [this] { ImageIconClick(); };
  ImageIcon.on_context_menu = [this](POINT at, bool) { ShowIconMenu(at); };
  SpinEditIcon.on_change = [this] { SpinEditIconChange(); };
  SpinEditIcon.on_key_down = &TForm1::SpinEditIconKeyDown;
  SpinEditIcon.on_key_press = [](wchar_t) { return false; };  // nothing is typed into the index: it is stepped
  ButtonPickIcon.on_click = [this] { ButtonPickIconClick(); };
  ButtonSaveIcon.on_click = [this] { ButtonSaveIconClick(); };
  ButtonChangeIcon.on_click = [this] { ButtonChangeIconClick(); };

  ThemeAuto.on_click = [this] { ThemeAutoClick(); };
  ThemeLight.on_click = [this] { ThemeLightClick(); };
  ThemeDark.on_click = [this] { ThemeDarkClick(); };
  on_setting_change = [this] { WMSettingChange(); };
  IconSmallMenu.on_click = [this] { SetListViewIconSize(false); };
  IconBigMenu.on_click = [this] { SetListViewIconSize(true); };
  RefreshListMenu.on_click = [this] { MenuItem1Click(); };
  EmbedFolderMenu.on_click = [this] { EmbedFolderMenuClick(); };
  DeleteIconCache.on_click = [this] { DeleteIconCacheClick(); };
  RestartExplorerMenu.on_click = [this] { RestartExplorerMenu1Click(); };
  AboutMenu.on_click = [this] { AboutMenuClick(); };
  CheckUpdateMenu.on_click = [this] { CheckUpdateMenuClick(); };
  RefreshIconMenu.on_click = [this] { RefreshIconMenuClick(); };
  IconDeleteMenu.on_click = [this] { IconDeleteMenuClick(); };
  SaveIconMenu.on_click = [this] { SaveIconMenuClick(); };
}

}  // namespace vandrel
