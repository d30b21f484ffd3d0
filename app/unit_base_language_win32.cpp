// The main window's part in languages: the start-up clean-up, the menu
// "Язык" and a switch of language, applied to every window at once.
#include <utility>

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
  const std::string language = LanguageOfCaption(item.GetProperty("Caption"));
  if (switching_language_) {
    // The running switch takes it up once it is done; nothing is rebuilt
    // under the handler that runs now.
    pending_language_ = language;
    return;
  }
  switching_language_ = true;
  try {
    for (std::optional<std::string> next = language; next; next = std::exchange(pending_language_, std::nullopt))
      SwitchLanguage(*next);
  } catch (...) {
    switching_language_ = false;
    pending_language_.reset();
    throw;
  }
  switching_language_ = false;
}

void TForm1::SwitchLanguage(const std::string& language) {
  ItemLanguage = language;
  // The item has checked itself and unchecked the others. A choice that
  // cannot be saved is not applied: the marks show the language in use.
  try {
    WriteSelectedLanguage(fs_, ansi_, PortablePath(), language);
  } catch (...) {
    LoadLanguage();
    throw;
  }
  SelectedLanguage = language;
  LoadLanguage();  // replaces every item, the clicked one included (kept alive until the next rebuild)
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
