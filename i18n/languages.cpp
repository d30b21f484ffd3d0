#include "i18n/languages.h"

#include <algorithm>
#include <exception>

#include "platform/text.h"

namespace vandrel {
namespace {

bool IsReservedSection(std::string_view name) {
  return EqualsNoCase(name, "Language information") || EqualsNoCase(name, "DestDir");
}

ComponentOwner* FindWindow(const std::vector<ComponentOwner*>& windows, std::string_view name) {
  for (ComponentOwner* w : windows)
    if (EqualsNoCase(w->Self().Name(), name)) return w;
  return nullptr;
}

bool KeyHasItsWindowAndComponent(const std::vector<ComponentOwner*>& windows, std::string_view key) {
  const std::size_t dot = key.find('.');
  if (dot == std::string_view::npos) return false;
  ComponentOwner* window = FindWindow(windows, key.substr(0, dot));
  if (window == nullptr) return false;
  const std::string_view rest = key.substr(dot + 1);
  const std::size_t second = rest.find('.');
  if (second == std::string_view::npos) return true;  // a key of the window itself
  return window->FindComponent(rest.substr(0, second)) != nullptr;
}

}  // namespace

std::vector<std::string> LanguageFileNames(FileSystem& fs, std::string_view program_folder) {
  std::vector<std::string> names;
  for (const FolderEntry& e : fs.ListFolder(LanguageFolder(program_folder))) {
    if (e.name == "." || e.name == "..") continue;
    if (e.name.size() >= 4 && EqualsNoCase(std::string_view(e.name).substr(e.name.size() - 4), ".ini"))
      names.push_back(e.name);
  }
  return names;
}

bool CleanLanguageFile(IniStore& file, const std::vector<ComponentOwner*>& windows) {
  bool changed = false;
  for (const std::string& section : file.SectionNames()) {
    if (IsReservedSection(section)) continue;
    const std::vector<std::string> names = file.EntryNames(section);
    for (std::size_t p = names.size(); p-- > 0;) {
      const std::string& key = names[p];
      const bool repeated = std::any_of(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(p),
                                        [&](const std::string& earlier) { return EqualsNoCase(earlier, key); });
      if (repeated || !KeyHasItsWindowAndComponent(windows, key)) {
        // Removes the first occurrence still there: of a repeated key the last stays.
        file.DeleteEntry(section, key);
        changed = true;
      }
    }
    if (file.EntryNames(section).empty()) {
      file.EraseSection(section);
      changed = true;
    }
  }
  return changed;
}

void CleanTranslationsLikeGlobload(FileSystem& fs, const AnsiCodec& ansi, std::string_view program_folder,
                                   const std::vector<ComponentOwner*>& windows) {
  for (const std::string& name : LanguageFileNames(fs, program_folder)) {
    const std::string path = LanguageFolder(program_folder) + name;
    try {
      if (fs.FileExists(path) && !fs.IsFileWritable(path)) continue;
      IniStore file = IniStore::Open(fs, ansi, path);
      if (CleanLanguageFile(file, windows) && fs.IsFileWritable(path)) file.Save(fs);
    } catch (const std::exception&) {
      // An unreadable or unwritable file stays as it is; the next one is cleaned.
    }
  }
}

std::vector<LanguageMenuEntry> LanguageMenuEntries(FileSystem& fs, const AnsiCodec& ansi,
                                                   std::string_view program_folder, std::string_view selected,
                                                   const std::function<bool(const std::string&, const std::string&)>& less) {
  std::vector<std::string> names = LanguageFileNames(fs, program_folder);
  std::stable_sort(names.begin(), names.end(), less);
  std::vector<LanguageMenuEntry> entries;
  for (const std::string& name : names) {
    LanguageMenuEntry entry;
    entry.language = name.substr(0, name.size() - 4);
    std::string display = entry.language;
    try {
      display = IniStore::Open(fs, ansi, LanguageFolder(program_folder) + name)
                    .ReadString("Language information", "LANGNAME", entry.language);
    } catch (const std::exception&) {
      // Unreadable: the language name stands for itself.
    }
    entry.caption = entry.language + "\t\t" + display;
    entry.checked = EqualsNoCase(entry.language, selected) || entry.language + ".ini" == selected;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string LanguageOfCaption(std::string_view caption) { return std::string(caption.substr(0, caption.find('\t'))); }

void WriteSelectedLanguage(FileSystem& fs, const AnsiCodec& ansi, const std::string& settings_path,
                           std::string_view language) {
  IniStore settings = IniStore::Open(fs, ansi, settings_path);
  settings.WriteString("Language", "Language", language);
  settings.Save(fs);
}

void Globload(const std::vector<ComponentOwner*>& windows, const TranslationContext& context) {
  TTranslation translation;
  for (ComponentOwner* window : windows) {
    try {
      const std::string language = ReadSelectedLanguage(context.fs, context.ansi, context.settings_path);
      const IniStore file =
          IniStore::Open(context.fs, context.ansi, LanguageFilePath(context.program_folder, language));
      if (file.HasSection(context.application_title))
        TranslateForm(translation, *window, context.application_title, context);
    } catch (const std::exception&) {
      // This window keeps its texts; the next one is translated.
    }
  }
}

}  // namespace vandrel
