// The main window's life: creation, showing, activation and closing, its
// keys and wheel, the "≡" button and the About window.
#include "app/unit_base_win32.h"

#include <dbt.h>

#include "icons/get_big_icon_win32.h"
#include "icons/picture_decoder_win32.h"

namespace vandrel {

TForm1::~TForm1() {
  // A clearing of the icon cache runs to its end (Explorer must come back);
  // its steps for the window do nothing from now on.
  closing_ = true;
  cache_task_.Wait();
  // The window goes first, while everything its handlers use still exists.
  AcceptDroppedFiles(false);
  DestroyNow();
}

std::string TForm1::MessageCaption(std::string_view item) {
  if (ui::Control* c = Find(item)) return c->GetProperty("Caption");
  return std::string(item);
}

std::string TForm1::Captions::Caption(std::string_view item) const { return form_.MessageCaption(item); }

EngineServices TForm1::Services() {
  return EngineServices{fs_, ansi_, shell_, *prompts_, captions_, loader_, [] { ui::ProcessMessages(); }, &DecodePicture};
}

void TForm1::FormCreate() {
  SetCaption(ComposeTitle("Vandrel", version_, portable_mode_));
  SpinEditIcon.SetRange(0, 0);
  ui::ProcessMessages();
  show_horz_scroll_ = false;
  show_vert_scroll_ = true;
  prev_embed_menu_state_ = false;
  // The folder list keeps its scroll bars as set, whatever it would show.
  ListViewList.KeepScrollBars(show_horz_scroll_, show_vert_scroll_);
  // The list shares the shell's system image lists; it never destroys them.
  SetListViewIconSize(false);
  getDrive();
  // Settings that cannot be read are reported; the window goes on with the rest.
  ui::RunGuarded(hwnd(), [this] { LoadNastr(); });
  ComboBoxDriveChange();
  Relayout();
  CenterOnDesktop();
  ui::ProcessMessages();
}

void TForm1::FormShow() { StatusBar2.SetPanelText(0, MessageCaption("LangElements"), true); }

void TForm1::FormActivate() {
  AcceptDroppedFiles(true);
  command_line_folder_ = FolderArgument(arguments_);
  if (!command_line_folder_) return;
  LoadNastr();
  ui::ProcessMessages();
  try {
    OpenCommandLineFolder();
  } catch (...) {
    // A folder that cannot be opened leaves the window as it is.
  }
}

void TForm1::FormClose() {
  // Settings that cannot be written are reported, and the window still closes.
  ui::RunGuarded(hwnd(), [this] { SaveNastr(); });
  AcceptDroppedFiles(false);
}

void TForm1::FormDestroy() {
  closing_ = true;
  AcceptDroppedFiles(false);
}

void TForm1::RestGeneralMenuButton() {
  RestMenuButton(menu_button_);
  SpeedButton_GeneralMenu.SetPushed(false);
}

void TForm1::SpeedButton_GeneralMenuClick() {
  if (ClickMenuButton(menu_button_) == MenuButtonClick::kCloseMenu) {
    SpeedButton_GeneralMenu.SetPushed(false);
    ui::PopupMenu::CloseOpenMenu();
    ui::ProcessMessages();
    return;
  }
  SpeedButton_GeneralMenu.SetPushed(true);
  ui::ProcessMessages();
  // Below the button, extending to the left from its bottom-right corner.
  PopupMenuGeneral.PopupUnder(SpeedButton_GeneralMenu);
}

void TForm1::AboutMenuClick() {
  RestGeneralMenuButton();
  if (about_window_ != nullptr) about_window_->ShowModal();
}

void TForm1::CheckUpdateMenuClick() {
  RestGeneralMenuButton();
  if (update_window_ != nullptr) update_window_->ShowModal();
}

void TForm1::MenuItem1Click() {
  RestGeneralMenuButton();
  ButtonRefreshClick();
}

void TForm1::RefreshListMenuClick() { MenuItem1Click(); }

bool TForm1::FormMouseWheel(int wheel_delta) {
  if (!SpinEditIcon.UnderCursor() || !SpinEditIcon.Enabled()) return false;
  SpinEditIcon.Focus();
  SpinEditIcon.SetValue(SpinEditIcon.Value() + (wheel_delta > 0 ? 1 : -1));  // one step per event
  SpinEditIcon.SelectAll();
  return true;
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE:
      RestGeneralMenuButton();
      break;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // Windows ends the session without closing the window: the settings
      // are written as when it closes. No box may hold the logoff up.
      if (wp) {
        try {
          SaveNastr();
        } catch (...) {
        }
      }
      return 0;
    case WM_DEVICECHANGE: {
      const LRESULT r = ui::Form::HandleMessage(msg, wp, lp);
      if ((wp == DBT_DEVICEARRIVAL && desktop_.AnyDrive()) || wp == DBT_DEVICEREMOVECOMPLETE) getDrive();
      return r;
    }
    default:
      break;
  }
  return ui::Form::HandleMessage(msg, wp, lp);
}

}  // namespace vandrel
