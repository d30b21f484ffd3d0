// The main window, TForm1: the drive and folder browser on the left, the
// target folder, tooltip and icon source on the right, the "Изменить" button,
// the Desktop.ini log, and the general menu behind "≡".
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "i18n/message_captions.h"
#include "app/startup.h"
#include "engine/engine_services.h"
#include "engine/folder_state.h"
#include "icons/icon_source.h"
#include "platform/win32/win32_ansi_codec.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_resource_loader.h"
#include "platform/win32/win32_shell.h"
#include "ui/ui.h"
#include "ui/window_prompts.h"

namespace vandrel {

class TForm1 final : public ui::Form {
 public:
  // `arguments`: the command line without the program's own name.
  TForm1(std::vector<std::string> arguments, std::string version, bool portable_mode);
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
  void SetListViewIconSize(bool large);
  void ListViewListDblClick();
  void ButtonRefreshClick();
  void RefreshIconMenuClick();
  // The folder list's menu at a screen point, or (-1) below the focused item.
  void ShowFileListMenu(LPARAM at);

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
  void WMDropFiles(HDROP drop);
  static std::string ResolveShortcut(const std::string& lnk_file);
  void SpinEditIconChange();
  void ButtonSaveIconClick();
  void SaveIconMenuClick();

  // Questions and messages; tests answer them from a script.
  void set_prompts(Prompts* prompts) { prompts_ = prompts ? prompts : &window_prompts_; }
  // The full path of each listed folder, by item index.
  const std::vector<std::string>& item_paths() const { return item_paths_; }

  // The About window that F1 and "О программе" show modally.
  void set_about_window(ui::Form* about) { about_window_ = about; }

  bool portable_mode() const { return portable_mode_; }
  bool show_horz_scroll() const { return show_horz_scroll_; }
  bool show_vert_scroll() const { return show_vert_scroll_; }
  const MenuButtonState& menu_button() const { return menu_button_; }
  const std::optional<std::string>& command_line_folder() const { return command_line_folder_; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateComponents();
  EngineServices Services();
  int SelectedItem() const;
  std::string ItemCaption(int item) const;
  void ClearTarget(bool clear_status, bool clear_tip);
  void ShowFolderIcon(const std::string& icon_source, const std::string& folder);
  void SelectFirstItem();
  void RefreshAfterChange();
  void OpenCommandLineFolder();
  void SetGlyph(const char* button, const wchar_t* resource);
  void SelectItemNamed(const std::string& name, bool else_first);
  void OfferChange();
  void DropFolder(const std::string& path);
  void DropFile(std::string path);
  void SetPreview(HICON icon);
  void ShowFolderIndex(int index);
  FileDialog IconSaveDialog(std::string file_name);
  void ApplyIndexBox(const IndexBoxSetup& setup);
  std::vector<HICON> glyphs_;

  static LRESULT CALLBACK ListViewWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self);
  // The source box opens the dialog on a click and the icon menu on a right
  // click; the index box lets through only the keys that step or edit it.
  static LRESULT CALLBACK SourceBoxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self);
  static LRESULT CALLBACK SpinEditWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self);
  static bool SpinEditIconKeyDown(WPARAM key);  // true: the key reaches the box

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
  ui::WindowPrompts window_prompts_;
  Prompts* prompts_ = &window_prompts_;
  Captions captions_{*this};
  std::vector<std::string> item_paths_;
  std::vector<std::string> arguments_;
  bool show_horz_scroll_ = false;
  bool show_vert_scroll_ = true;
  bool list_subclassed_ = false;
  bool fixing_scroll_bars_ = false;
  bool prev_embed_menu_state_ = false;
  std::string version_;
  bool portable_mode_;
  MenuButtonState menu_button_;
  ui::Form* about_window_ = nullptr;
  std::optional<std::string> command_line_folder_;
};

}  // namespace vandrel
