// The main window, TForm1: the drive and folder browser on the left, the
// target folder, tooltip and icon source on the right, the "Изменить" button,
// the Desktop.ini log, and the general menu behind "≡".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/startup.h"
#include "ui/ui.h"

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

  // Set by the program: shows the About window modally.
  std::function<void()> show_about;

  bool portable_mode() const { return portable_mode_; }
  bool show_horz_scroll() const { return show_horz_scroll_; }
  bool show_vert_scroll() const { return show_vert_scroll_; }
  const MenuButtonState& menu_button() const { return menu_button_; }
  const std::optional<std::string>& command_line_folder() const { return command_line_folder_; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateComponents();
  void SetGlyph(const char* button, const wchar_t* resource);
  std::vector<HICON> glyphs_;
  void ButtonRefreshClick();

  static LRESULT CALLBACK ListViewWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self);

  std::vector<std::string> arguments_;
  bool show_horz_scroll_ = false;
  bool show_vert_scroll_ = true;
  bool list_subclassed_ = false;
  bool fixing_scroll_bars_ = false;
  bool prev_embed_menu_state_ = false;
  std::string version_;
  bool portable_mode_;
  MenuButtonState menu_button_;
  std::optional<std::string> command_line_folder_;
};

}  // namespace vandrel
