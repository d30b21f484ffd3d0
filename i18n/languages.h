// Which language is in force: the language files beside the program, their
// start-up clean-up against the windows of this version, the entries of the
// language menu, and applying the selected language to every window.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ini_store.h"
#include "i18n/component.h"
#include "i18n/translation.h"

namespace vandrel {

// The names of the entries "Language\*.ini" finds in the program folder
// (without "." and ".."), as the folder lists them.
std::vector<std::string> LanguageFileNames(FileSystem& fs, std::string_view program_folder);

// Removes from one language file the keys no window of this version has: a
// key without a dot, one of no window, one of no component of its window
// (the property is not checked), and every occurrence but the last of a
// repeated key; a section left empty goes. "Language information" and
// "DestDir" are never touched. True when anything was removed.
bool CleanLanguageFile(IniStore& file, const std::vector<ComponentOwner*>& windows);

// Cleans every language file that can be written; a file that is read-only,
// held open or unreadable is left as it is, and one that needed nothing is
// not rewritten.
void CleanTranslationsLikeGlobload(FileSystem& fs, const AnsiCodec& ansi, std::string_view program_folder,
                                   const std::vector<ComponentOwner*>& windows);

// One item of the language menu.
struct LanguageMenuEntry {
  std::string language;  // the file's base name
  std::string caption;   // language, two tabs, display name
  bool checked = false;
};
// The language menu, sorted by file name without regard to case in the
// user's locale (`less` compares so). The item of `selected` is checked:
// the same name in any case, or the name with ".ini" exactly.
std::vector<LanguageMenuEntry> LanguageMenuEntries(FileSystem& fs, const AnsiCodec& ansi,
                                                   std::string_view program_folder, std::string_view selected,
                                                   const std::function<bool(const std::string&, const std::string&)>& less);

// The language a menu item's caption names: the text before its first tab.
std::string LanguageOfCaption(std::string_view caption);

// Saves the user's choice at once.
void WriteSelectedLanguage(FileSystem& fs, const AnsiCodec& ansi, const std::string& settings_path,
                           std::string_view language);

// Applies the selected language to each window in turn; the settings and the
// language file are read again for each.
void Globload(const std::vector<ComponentOwner*>& windows, const TranslationContext& context);

}  // namespace vandrel
