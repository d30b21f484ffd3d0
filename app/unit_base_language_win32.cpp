// The main window's part in languages: the start-up clean-up, the menu
// "Язык" and a switch of language, applied to every window at once.
#include "app/unit_base_win32.h"
#include "common/paths.h"
#include "config/product.h"
#include "i18n/languages.h"
#include "platform/error.h"
#include "shell/context_menu.h"

namespace vandrel {
namespace {

std::vector<ComponentOwner*> ProgramWindows() {
  std::vector<ComponentOwner*> windows;
  for (ui::Form* form : ui::Windows().All()) windows.push_back(form);
  return windows;
}

}  // namespace

void TForm1::CleanTranslationsLikeGlobload() {
  vandrel::CleanTranslationsLikeGlobload(fs_, ansi_, FolderPart(exe_path_), ProgramWindows());
}

void TForm1::LoadLanguage() {
  LanguageMenu.ClearOwnItems();
  SelectedLanguage = ReadSelectedLanguage(fs_, ansi_, PortablePath());
  const auto less = [this](const std::string& a, const std::string& b) { return desktop_.LessInUserLocale(a, b); };
  for (const LanguageMenuEntry& entry : LanguageMenuEntries(fs_, ansi_, FolderPart(exe_path_), SelectedLanguage, less)) {
    ItemLanguage = entry.language;
    ui::MenuItem& item = LanguageMenu.AddOwnItem({.name = entry.language, .caption = entry.caption,
                                                  .type = ui::MenuItemType::kRadio, .auto_check = true,
                                                  .checked = entry.checked, .plain_caption = true});
    item.on_click = [this, &item] { LanguageItemClick(item); };
  }
}

void TForm1::LanguageItemClick(ui::MenuItem& item) {
  ItemLanguage = LanguageOfCaption(item.GetProperty("Caption"));
  SelectedLanguage = ItemLanguage;
  // The item has checked itself and unchecked the others.
  WriteSelectedLanguage(fs_, ansi_, PortablePath(), SelectedLanguage);
  LoadLanguage();  // replaces every item, this one included
  globload();
  // The folder context-menu entry speaks the new language too.
  if (ContextMenuRegistered(*registry_)) {
    try {
      RegisterContextMenu();
    } catch (const Error&) {
      // The entry keeps its old caption; the menu's check mark still tells the truth.
    }
  }
  RefreshListMenuClick();
}

void TForm1::globload() {
  const TranslationContext context{fs_, ansi_, PortablePath(), FolderPart(exe_path_), std::string(kApplicationTitle),
                                   [] { ui::ProcessMessages(); }};
  Globload(ProgramWindows(), context);
}

}  // namespace vandrel
