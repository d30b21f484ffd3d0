// The main window's part in styles: the menu "Тема" and following the
// system's light or dark mode for apps.
#include "app/theme_style.h"
#include "app/unit_base_win32.h"
#include "shell/theme_selection.h"

namespace vandrel {

void ApplyStyle(std::string_view style_name) {
  const std::optional<Style> style = StyleNamed(style_name);
  if (!style) return;  // not a style of ours: nothing changes
  ui::Theme::Current().UseDark(*style == Style::kDark);
  for (ui::Form* form : ui::Windows().All()) form->ApplyTheme();
}

void TForm1::UnCheckTheme() {
  for (ui::MenuItem* item : ThemeMenu.items) item->SetChecked(false);
}

void TForm1::ThemeAutoClick() {
  RestGeneralMenuButton();
  UnCheckTheme();
  ThemeAuto.SetChecked(true);
  ApplyStyle(SystemStyleName(*registry_));
  ui::ProcessMessages();
}

void TForm1::ThemeLightClick() {
  RestGeneralMenuButton();
  UnCheckTheme();
  ThemeLight.SetChecked(true);
  ApplyStyle(kLightStyleName);
  ui::ProcessMessages();
}

void TForm1::ThemeDarkClick() {
  RestGeneralMenuButton();
  UnCheckTheme();
  ThemeDark.SetChecked(true);
  ApplyStyle(kDarkStyleName);
  ui::ProcessMessages();
}

void TForm1::WMSettingChange() {
  // The check mark is the user's current choice; the settings file holds it
  // only from the last close.
  if (!ThemeAuto.checked) return;
  ApplyStyle(SystemStyleName(*registry_));
  ui::ProcessMessages();
}

}  // namespace vandrel
