// The main window's settings in Option.ini, and the folder context-menu entry
// whose state lives in the registry.
#include "app/settings.h"
#include "app/unit_base_win32.h"
#include "platform/error.h"
#include "shell/context_menu.h"

namespace vandrel {

std::string TForm1::PortablePath() {
  return vandrel::PortablePath(fs_, portable_mode_, exe_path_, shell_.GetSpecialFolder(kCsidlAppData), company_);
}

void TForm1::LoadNastr() {
  CheckAndSetRegistryForFileTypes();
  const MainSettings s = ReadMainSettings(IniStore::Open(fs_, ansi_, PortablePath()));
  // The saved theme item is clicked: it checks itself alone and applies its
  // style. Of several saved as checked the last in menu order wins (only its
  // style is applied, so nothing flickers); with none, none is checked and
  // no style is applied.
  const int theme = CheckedTheme(s.themes);
  ui::MenuItem* themes[] = {&ThemeAuto, &ThemeLight, &ThemeDark};
  for (int i = 0; i < 3; ++i) themes[i]->SetChecked(false);
  if (theme >= 0) themes[theme]->on_click();
  CheckBoxCopyIcon.SetChecked(s.copy_icon);
  IconSmallMenu.SetChecked(s.icon_small);
  if (s.icon_small) SetListViewIconSize(false);
  IconBigMenu.SetChecked(s.icon_big);
  if (s.icon_big) SetListViewIconSize(true);
  if (s.maximized) {
    SetMaximized();
    return;
  }
  const ui::Size now = NormalSize();
  // A size stored on a larger screen, or one since removed, still fits this one.
  SetOuterSize(FitWindowSize({s.width.value_or(now.width), s.height.value_or(now.height)}, MinimumSize(),
                             WorkAreaSize()));
  KeepOnScreen();
}

void TForm1::SaveNastr() {
  IniStore ini = IniStore::Open(fs_, ansi_, PortablePath());
  // A context-menu entry that cannot be changed is reported once the
  // settings are written: it does not cost the user the rest.
  std::optional<Error> menu_failure;
  if (EmbedFolderMenu.checked != prev_embed_menu_state_) {
    try {
      if (EmbedFolderMenu.checked) {
        RegisterContextMenu();
      } else {
        UnregisterContextMenu();
      }
      prev_embed_menu_state_ = EmbedFolderMenu.checked;
    } catch (const Error& e) {
      menu_failure = e;
    }
    shell_.NotifyAssociationsChanged();
    ui::ProcessMessages();
  }
  MainWindowState state;
  state.themes = {ThemeAuto.checked, ThemeLight.checked, ThemeDark.checked};
  state.copy_icon = CheckBoxCopyIcon.Checked();
  state.icon_small = IconSmallMenu.checked;
  state.icon_big = IconBigMenu.checked;
  state.maximized = Maximized();
  const ui::Size size = NormalSize();
  state.height = size.height;
  state.width = size.width;
  WriteMainSettings(ini, state);
  ini.Save(fs_);
  if (menu_failure) throw *menu_failure;
}

void TForm1::CheckAndSetRegistryForFileTypes() {
  prev_embed_menu_state_ = ContextMenuRegistered(*registry_);
  EmbedFolderMenu.SetChecked(prev_embed_menu_state_);
}

void TForm1::RegisterContextMenu() {
  vandrel::RegisterContextMenu(*registry_, MessageCaption("LangIconChange"), exe_path_);
}

void TForm1::UnregisterContextMenu() { vandrel::UnregisterContextMenu(*registry_); }

void TForm1::EmbedFolderMenuClick() {
  // The item has already flipped its check mark.
  try {
    if (EmbedFolderMenu.checked) {
      RegisterContextMenu();
    } else {
      UnregisterContextMenu();
    }
  } catch (const Error& e) {
    // The mark shows what the registry really holds, and the user why.
    CheckAndSetRegistryForFileTypes();
    shell_.NotifyAssociationsChanged();
    prompts_->ShowError(e.what(), MessageCaption("LangError"));
    return;
  }
  shell_.NotifyAssociationsChanged();
  prev_embed_menu_state_ = EmbedFolderMenu.checked;
  ui::ProcessMessages();
}

}  // namespace vandrel
