#include "i18n/languages.h"

#include <algorithm>
#include <exception>
#include <unordered_map>
#include <unordered_set>

#include "platform/text.h"

namespace vandrel {
namespace {

bool IsReservedSection(std::string_view name) {
  return EqualsNoCase(name, "Language information") || EqualsNoCase(name, "DestDir");
}

// The name with its letters folded, for comparing names without case.
std::string Folded(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t pos = 0; pos < name.size();) AppendUtf8(out, FoldCase(NextCodePoint(name, pos)));
  return out;
}

// Every window's components by folded name, looked up once per key.
class KnownNames {
 public:
  explicit KnownNames(const std::vector<ComponentOwner*>& windows) {
    for (ComponentOwner* w : windows) {
      auto& components = windows_[Folded(w->Self().Name())];
      for (Component* c : w->Components()) components.insert(Folded(c->Name()));
    }
  }
  // "Window.Property" or "Window.Component.Property" of a window and
  // component of this version.
  bool Has(std::string_view key) const {
    const std::size_t dot = key.find('.');
    if (dot == std::string_view::npos) return false;
    const auto window = windows_.find(Folded(key.substr(0, dot)));
    if (window == windows_.end()) return false;
    const std::string_view rest = key.substr(dot + 1);
    const std::size_t second = rest.find('.');
    if (second == std::string_view::npos) return true;  // a key of the window itself
    return window->second.count(Folded(rest.substr(0, second))) > 0;
  }

 private:
  std::unordered_map<std::string, std::unordered_set<std::string>> windows_;
};

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
  const KnownNames known(windows);
  bool changed = false;
  for (const std::string& section : file.SectionNames()) {
    if (IsReservedSection(section)) continue;
    const std::vector<std::string> names = file.EntryNames(section);
    // One pass from the end: of a repeated key the last stays, and a key no
    // window of this version has goes.
    std::vector<bool> keep(names.size(), false);
    std::unordered_set<std::string> seen;
    for (std::size_t p = names.size(); p-- > 0;) {
      const bool later_one_kept = !seen.insert(Folded(names[p])).second;
      keep[p] = !later_one_kept && known.Has(names[p]);
      changed = changed || !keep[p];
    }
    file.RetainEntries(section, keep);
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
      // A file read as something it is not (UTF-16 without its mark, UTF-8
      // the code page cannot carry) would be written back damaged: it stays
      // as it is, and is still offered and applied.
      const std::optional<Bytes> bytes = fs.ReadFile(path);
      if (!bytes || !DecodesFaithfully(*bytes, ansi)) continue;
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
