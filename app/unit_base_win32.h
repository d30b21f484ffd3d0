// The main window, TForm1: the drive and folder browser on the left, the
// target folder, tooltip and icon source on the right, the "Изменить" button,
// the Desktop.ini log, and the general menu behind "≡".
//
// Its code is split by concern:
//   unit_base_components_win32.cpp  the controls and menus, and their events
//   unit_base_lifecycle_win32.cpp   creation, showing, activation, closing,
//                                   keys, the wheel, the menu button, About
//   unit_base_browser_win32.cpp     drives, the folder list, up, refresh
//   unit_base_target_win32.cpp      the selected folder: state, Info, Change, Remove
//   unit_base_settings_win32.cpp    Option.ini and the folder context-menu entry
//   unit_base_explorer_win32.cpp    restarting Explorer, clearing its icon cache
//   unit_base_source_win32.cpp      the icon source: dialog, drops, index, save
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/startup.h"
#include "engine/engine_services.h"
#include "engine/folder_state.h"
#include "i18n/message_captions.h"
#include "icons/get_big_icon_win32.h"
#include "icons/icon_source.h"
#include "platform/win32/win32_ansi_codec.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_resource_loader.h"
#include "platform/win32/win32_shell.h"
#include "ui/ui.h"
#include "ui/window_prompts.h"

namespace vandrel {

class TFormIconPicker;

class TForm1 final : public ui::Form {
 public:
  // `arguments`: the command line without the program's own name.
  // `exe_path`: the program's own path (the running executable when empty);
  // it places the settings in portable mode and is what the folder
  // context-menu entry starts.
  TForm1(std::vector<std::string> arguments, std::string version, bool portable_mode, std::string exe_path = {});
  ~TForm1() override;

  // The current caption of a message item of PopupMenuLanguage.
  std::string MessageCaption(std::string_view item);

  void FormCreate();
  void FormShow();
  void FormActivate();
  void FormClose();
  void FormDestroy();
  void SpeedButton_GeneralMenuClick();
  void AboutMenuClick();
  void MenuItem1Click();
  void RefreshListMenuClick();
  bool FormMouseWheel(int wheel_delta);  // true when handled
  void RestGeneralMenuButton();

  // The folder browser.
  void getDrive();
  static std::string GetDriveVolume(char drive);
  void ComboBoxDriveChange();
  void SelectDriveFromPath(const std::string& path);
  void ButtonUPClick();
  void ScanAndAddFoldersToListView(const std::string& path);
  // The picture of listed folder `item`, asked for when the list first draws it.
  int FolderIconIndex(int item);
  // How a folder's own icon is looked up (the shell's index of the
  // path); tests count the lookups.
  void set_folder_icon_lookup(std::function<int(const std::string&)> lookup) {
    folder_icon_lookup_ = lookup ? std::move(lookup) : std::function<int(const std::string&)>(&SystemIconIndex);
  }
  void SetListViewIconSize(bool large);
  void ListViewListDblClick();
  void ButtonRefreshClick();
  void RefreshIconMenuClick();
  // The folder list's menu at a screen point.
  void ShowFileListMenu(POINT at);

  // Styles: the menu "Тема" and the system's mode for apps.
  void UnCheckTheme();
  void ThemeAutoClick();
  void ThemeLightClick();
  void ThemeDarkClick();
  // A system setting changed: with "Системная" checked the style follows the
  // system's mode.
  void WMSettingChange();

  // Languages: the files beside the program, the menu "Язык", the choice.
  void CleanTranslationsLikeGlobload();
  void LoadLanguage();
  void LanguageItemClick(ui::MenuItem& item);
  void globload();
  std::string SelectedLanguage;  // as last read from or written to the settings
  std::string ItemLanguage;      // of the menu item being built or clicked

  // Settings (Option.ini) and the folder context-menu entry.
  std::string PortablePath();
  void LoadNastr();
  void SaveNastr();
  void CheckAndSetRegistryForFileTypes();
  void RegisterContextMenu();
  void UnregisterContextMenu();
  void EmbedFolderMenuClick();
  bool prev_embed_menu_state() const { return prev_embed_menu_state_; }

  // Explorer and its icon cache.
  bool KillTask(const std::string& exe_file_name);
  void RestartExplorerMenu1Click();
  void DeleteIconCacheClick();
  void ClearIconCacheInThread();
  bool clearing_icon_cache() const { return cache_task_.Running(); }
  // Tests end Explorer and wait through the pauses with stand-ins.
  void set_processes(Processes* processes) { processes_ = processes ? processes : &own_processes_; }
  void set_clock(Clock* clock) { clock_ = clock ? clock : &own_clock_; }
  void set_registry(Registry* registry) { registry_ = registry ? registry : &own_registry_; }
  void WaitForIconCacheClearing() { cache_task_.Wait(); }

  // The engine in the window.
  void UpdateFormState();
  void getIcon();
  void ShowReadStatus(const FolderIconInfo& info);
  void ButtonGetInfoClick();
  void ButtonChangeIconClick();
  void IconDeleteMenuClick();

  // The icon source.
  void ImageIconClick();
  void EditIconFileClick();
  void ButtonBrowseIconClick();
  void DropPath(const std::string& path);
  static std::string ResolveShortcut(const std::string& lnk_file);
  void SpinEditIconChange();
  // A picture as the source: the box, the controls, the preview of the icon
  // it becomes; false when it cannot be read (nothing previewed).
  bool ChoosePicture(const std::string& path);
  static bool SpinEditIconKeyDown(WPARAM key);  // true: the key reaches the box
  void ButtonSaveIconClick();
  void SaveIconMenuClick();
  // Every icon of the source at a glance; the choice goes to the index box.
  void ButtonPickIconClick();

  // Questions and messages; tests answer them from a script.
  void set_prompts(Prompts* prompts) { prompts_ = prompts ? prompts : &window_prompts_; }
  // The full path of each listed folder, by item index.
  const std::vector<std::string>& item_paths() const { return item_paths_; }
  // The About window that F1 and "О программе" show modally.
  void set_about_window(ui::Form* about) { about_window_ = about; }
  // The update window that "Проверить обновления" shows modally.
  void set_update_window(ui::Form* update) { update_window_ = update; }
  // The window the button beside the index box opens.
  void set_icon_picker(TFormIconPicker* picker) { icon_picker_ = picker; }
  void CheckUpdateMenuClick();

  bool portable_mode() const { return portable_mode_; }
  bool show_horz_scroll() const { return show_horz_scroll_; }
  bool show_vert_scroll() const { return show_vert_scroll_; }
  const MenuButtonState& menu_button() const { return menu_button_; }
  const std::optional<std::string>& command_line_folder() const { return command_line_folder_; }

  // The controls, in creation order.
  ui::FramedPanel& TabControl1;
  ui::SpeedButton& SpeedButton_GeneralMenu;
  ui::GroupBox& GroupBoxPuth;
  ui::ComboBox& ComboBoxDrive;
  ui::Button& ButtonUP;
  ui::Edit& PathFolder;
  ui::Button& ButtonRefresh;
  ui::StatusBar& StatusBar;
  ui::FramedPanel& TabControl6;
  ui::GroupBox& GroupBox5;
  ui::StatusBar& StatusBar2;
  ui::ListView& ListViewList;
  ui::FramedPanel& TabControl2;
  ui::GroupBox& GroupBox1;
  ui::Edit& EditFolder;
  ui::FramedPanel& TabControl7;
  ui::Image& ImageFolder;
  ui::CheckBox& CheckBoxSys;
  ui::CheckBox& CheckBoxHide;
  ui::CheckBox& CheckBoxReadOnly;
  ui::GroupBox& GroupBox2;
  ui::Edit& EditInfoTip;
  ui::Button& ButtonGetInfo;
  ui::GroupBox& GroupBox3;
  ui::Edit& EditIconFile;
  ui::Button& ButtonBrowseIcon;
  ui::FramedPanel& TabControl5;
  ui::Image& ImageIcon;
  ui::SpinEdit& SpinEditIcon;
  ui::Button& ButtonPickIcon;
  ui::Button& ButtonSaveIcon;
  ui::CheckBox& CheckBoxCopyIcon;
  ui::FramedPanel& TabControl3;
  ui::Button& ButtonChangeIcon;
  ui::GroupBox& GroupBox6;
  ui::ProgressBar& ProgressBar1;
  ui::Memo& MemoLog;

  // The general menu, opened only from "≡".
  ui::PopupMenu& PopupMenuGeneral;
  ui::MenuItem& ThemeMenu;
  ui::MenuItem& ThemeAuto;
  ui::MenuItem& ThemeLight;
  ui::MenuItem& ThemeDark;
  ui::MenuItem& LanguageMenu;
  ui::MenuItem& ViewMenu;
  ui::MenuItem& IconSmallMenu;
  ui::MenuItem& IconBigMenu;
  ui::MenuItem& N3;
  ui::MenuItem& RefreshListMenu;
  ui::MenuItem& N4;
  ui::MenuItem& EmbedFolderMenu;
  ui::MenuItem& N6;
  ui::MenuItem& DeleteIconCache;
  ui::MenuItem& RestartExplorerMenu;
  ui::MenuItem& MenuItem2;
  ui::MenuItem& CheckUpdateMenu;
  ui::MenuItem& N1;
  ui::MenuItem& AboutMenu;
  // The folder list's context menu and the icon box's.
  ui::PopupMenu& PopupMenuFileList;
  ui::MenuItem& RefreshIconMenu;
  ui::MenuItem& N2;
  ui::MenuItem& IconDeleteMenu;
  ui::PopupMenu& PopupMenuIcon;
  ui::MenuItem& AddIconMenu;
  ui::MenuItem& SaveIconMenu;
  // The texts of message boxes and status lines, translated like any caption.
  ui::PopupMenu& PopupMenuLanguage;
  ui::OpenDialog& OpenDialog;
  ui::SaveDialog& SavePictureDialog;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  ui::MenuItem& Item(const ui::MenuSpec& spec) { return AddMenuItem(spec); }
  ui::PopupMenu& AddMessageCaptions();
  void BindEvents();
  EngineServices Services();
  void ClearTarget(bool clear_status, bool clear_tip);
  void ShowFolderIcon(const std::string& icon_source, const std::string& folder);
  void SelectFirstItem();
  void RefreshAfterChange();
  void OpenCommandLineFolder();
  void SelectItemNamed(const std::string& name, bool else_first);
  void SetStatus(const std::string& text);
  void OfferChange();
  void DropFolder(const std::string& path);
  void DropFile(std::string path);
  void SetPreview(IconHandle icon);
  void ShowFolderIndex(int index);
  // The source controls as a source of this kind allows them.
  void EnableSourceControls(SourceKind kind);
  FileDialog IconSaveDialog(std::string file_name);
  void ApplyIndexBox(const IndexBoxSetup& setup);
  void ShowIconMenu(POINT at);

  class Captions final : public MessageCaptions {
   public:
    explicit Captions(TForm1& form) : form_(form) {}
    std::string Caption(std::string_view item) const override;

   private:
    TForm1& form_;
  };

  Win32FileSystem fs_;
  Win32AnsiCodec ansi_;
  Win32Shell shell_;
  Win32ResourceLoader loader_;
  Win32Desktop desktop_;
  Win32Registry own_registry_;
  Registry* registry_ = &own_registry_;
  Win32Processes own_processes_;
  Processes* processes_ = &own_processes_;
  Win32Clock own_clock_;
  Clock* clock_ = &own_clock_;
  ui::BackgroundTask cache_task_;
  bool closing_ = false;  // UI steps of a running clearing then do nothing
  // A language switch lets messages run; a click meanwhile waits its turn
  // (the menu is rebuilt by each switch, so its item must outlive the handler).
  bool switching_language_ = false;
  std::optional<std::string> pending_language_;
  void SwitchLanguage(const std::string& language);
  std::string exe_path_;
  std::string company_;
  ui::WindowPrompts window_prompts_;
  Prompts* prompts_ = &window_prompts_;
  Captions captions_{*this};
  std::vector<std::string> item_paths_;
  // Which listed folders may show an icon of their own (MayShowOwnFolderIcon);
  // every other one shows the generic folder icon, looked up once per listing.
  std::vector<bool> item_own_icon_;
  int generic_folder_icon_ = -1;
  std::function<int(const std::string&)> folder_icon_lookup_ = &SystemIconIndex;
  std::vector<std::string> arguments_;
  bool show_horz_scroll_ = false;
  bool show_vert_scroll_ = true;
  bool prev_embed_menu_state_ = false;
  std::string version_;
  bool portable_mode_;
  MenuButtonState menu_button_;
  ui::Form* about_window_ = nullptr;
  ui::Form* update_window_ = nullptr;
  TFormIconPicker* icon_picker_ = nullptr;
  std::optional<std::string> command_line_folder_;
};

}  // namespace vandrel
