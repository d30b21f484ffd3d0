#include "i18n/translation.h"

#include <charconv>
#include <exception>

#include "common/ini_store.h"
#include "common/paths.h"
#include "platform/text.h"

namespace vandrel {
namespace {

void LetMessagesRun(const TranslationContext& context) {
  if (context.process_messages) context.process_messages();
}

std::string WindowName(ComponentOwner& window) { return window.Self().Name(); }

// The lines of a text, as a string list loads them: CR LF, LF or CR end a
// line, and a last line break makes no empty line.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

// UTF-16 little endian with its mark, each line ended by CR LF.
Bytes Utf16LeLines(const std::vector<std::string>& lines) {
  Bytes out{std::byte{0xFF}, std::byte{0xFE}};
  for (const std::string& line : lines) {
    for (char16_t c : Utf8ToUtf16(line + "\r\n")) {
      out.push_back(static_cast<std::byte>(c & 0xFF));
      out.push_back(static_cast<std::byte>(c >> 8));
    }
  }
  return out;
}

bool IsSkipped(ComponentOwner& window, Component& component) {
  switch (component.Kind()) {
    case ComponentKind::kStatusBar:
    case ComponentKind::kComboBox:
    case ComponentKind::kEdit:
      return true;
    default:
      break;
  }
  const std::string form = WindowName(window);
  const std::string& name = component.Name();
  return (EqualsNoCase(form, "Form8") && EqualsNoCase(name, "LabelCopyright")) ||
         (EqualsNoCase(form, "Form10") && (EqualsNoCase(name, "LabelLocalVersion") || EqualsNoCase(name, "LabelServerVersion")));
}

// What a component shows of the user's data rather than a text of the
// program: the main window's view of a folder's Desktop.ini.
bool IsContent(ComponentOwner& window, Component& component, std::string_view property) {
  return property == "Text" && EqualsNoCase(WindowName(window), "Form1") && EqualsNoCase(component.Name(), "MemoLog");
}

// Reads the section into Values and the log into Log; false when there is
// no language file.
bool Load(TTranslation& t, std::string_view section, const TranslationContext& context, std::string& log_path) {
  const std::string language = ReadSelectedLanguage(context.fs, context.ansi, context.settings_path);
  const std::string path = LanguageFilePath(context.program_folder, language);
  log_path = MissingKeyLogPath(context.program_folder, context.application_title);
  if (!context.fs.FileExists(path)) return false;
  t.Values.clear();
  t.Log.clear();
  const IniStore file = IniStore::Open(context.fs, context.ansi, path);
  for (const IniSection& s : file.sections()) {
    if (!EqualsNoCase(s.name, section)) continue;
    for (const IniEntry& e : s.entries) t.Values.push_back(e.value ? e.name + "=" + *e.value : e.name);
    break;  // a repeated section is ignored
  }
  if (context.fs.FileExists(log_path)) {
    if (const auto bytes = context.fs.ReadFile(log_path)) {
      TextEncoding found = TextEncoding::kNone;
      t.Log = SplitLines(DecodeText(*bytes, context.ansi, found));
    }
  }
  return true;
}

}  // namespace

std::string LanguageFolder(std::string_view program_folder) {
  return WithTrailingBackslash(program_folder) + "Language\\";
}

std::string LanguageFilePath(std::string_view program_folder, std::string_view language) {
  // A setting that names the file itself ("English.ini") means that language.
  if (language.size() >= 4 && language.substr(language.size() - 4) == ".ini") language.remove_suffix(4);
  return LanguageFolder(program_folder) + std::string(language) + ".ini";
}

std::string MissingKeyLogPath(std::string_view program_folder, std::string_view application_title) {
  std::string folder(program_folder);
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return FolderPart(folder) + std::string(application_title) + ".log";
}

std::string ReadSelectedLanguage(FileSystem& fs, const AnsiCodec& ansi, const std::string& settings_path) {
  return IniStore::Open(fs, ansi, settings_path).ReadString("Language", "Language", "");
}

bool IsUntranslatable(std::string_view text) {
  if (text.empty() || text == "-") return true;
  // A whole 32-bit integer: decimal with a sign, or hexadecimal after "$" or "0x".
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  int base = 10;
  if (!digits.empty() && digits[0] == '$') {
    base = 16;
    digits.remove_prefix(1);
  } else if (digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  if (digits.empty() || digits[0] == '-' || digits[0] == '+') return false;
  unsigned long long value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (error != std::errc() || end != digits.data() + digits.size()) return false;
  if (base == 16) return value <= 0xFFFFFFFFull;  // hex may spell a negative number
  return negative ? value <= 2147483648ull : value <= 2147483647ull;
}

int FindKey(const TTranslation& translation, std::string_view key) {
  for (std::size_t i = 0; i < translation.Values.size(); ++i) {
    const std::string& entry = translation.Values[i];
    const std::size_t equals = entry.find('=');
    if (equals != std::string::npos && EqualsNoCase(std::string_view(entry).substr(0, equals), key))
      return static_cast<int>(i);
  }
  return -1;
}

std::string LookupKey(TTranslation& translation, std::string_view key, const std::string& default_text,
                      const TranslationContext& context) {
  std::string result;
  if (const int i = FindKey(translation, key); i >= 0) {
    const std::string& entry = translation.Values[static_cast<std::size_t>(i)];
    result = entry.substr(entry.find('=') + 1);
    translation.Values.erase(translation.Values.begin() + i);  // a repeated key takes the next entry
  } else {
    translation.Log.push_back(std::string(key) + "=" + default_text);
    result = default_text;
  }
  LetMessagesRun(context);
  return result;
}

void TranslateText(TTranslation& translation, std::string& text, std::string_view key,
                   const TranslationContext& context) {
  if (IsUntranslatable(text)) return;
  std::string result = LookupKey(translation, key, text, context);
  if (!result.empty()) text = std::move(result);
}

void TranslateProperty(TTranslation& translation, std::string_view property, Component& component,
                       const TranslationContext& context) {
  if (!component.HasProperty(property)) return;
  const std::string value = component.GetProperty(property);
  if (IsUntranslatable(value)) return;
  const std::string key = WindowName(*translation.Form) + "." + component.Name() + "." + std::string(property);
  const std::string result = LookupKey(translation, key, value, context);
  if (!result.empty()) component.SetProperty(property, result);
}

void TranslateStrings(TTranslation& translation, Component& component, std::string_view list, std::string_view prefix,
                      const TranslationContext& context) {
  const std::vector<std::string> strings = component.GetStrings(list);
  for (std::size_t i = 0; i < strings.size(); ++i) {
    if (IsUntranslatable(strings[i])) continue;
    const std::string result =
        LookupKey(translation, std::string(prefix) + "[" + std::to_string(i) + "]", strings[i], context);
    if (!result.empty()) component.SetString(list, i, result);
  }
}

void TranslateForm(TTranslation& translation, ComponentOwner& window, std::string_view section,
                   const TranslationContext& context) {
  translation.Section = std::string(section);
  std::string log_path;
  try {
    if (!Load(translation, section, context, log_path)) return;
    translation.Form = &window;
    const std::string form = WindowName(window);
    Component& self = window.Self();
    if (!EqualsNoCase(form, "Form1")) {
      // No filter here: an empty value empties the caption.
      self.SetProperty("Caption", LookupKey(translation, form + ".Caption", self.GetProperty("Caption"), context));
    }
    if (EqualsNoCase(form, "Form10")) {
      // The title once, however often a language is applied.
      const std::string caption = self.GetProperty("Caption");
      const std::string title = " " + context.application_title;
      if (caption.size() < title.size() || caption.compare(caption.size() - title.size(), title.size(), title) != 0)
        self.SetProperty("Caption", caption + title);
    }
    for (Component* component : window.Components()) {
      if (IsSkipped(window, *component)) continue;
      for (const char* property : {"Caption", "Hint", "Title", "Text", "TextHint"})
        if (!IsContent(window, *component, property)) TranslateProperty(translation, property, *component, context);
      const std::string prefix = form + "." + component->Name();
      Component* label = component->AttachedLabel();
      if (label != nullptr) {
        const std::string text = label->GetProperty("Caption");
        if (!text.empty() && text != "-") {
          const std::string result = LookupKey(translation, prefix + ".Caption", text, context);
          if (!result.empty()) label->SetProperty("Caption", result);
        }
      }
      if (component->Kind() == ComponentKind::kOpenDialog || component->Kind() == ComponentKind::kSaveDialog)
        TranslateProperty(translation, "Filter", *component, context);
      if (label != nullptr) TranslateProperty(translation, "Caption", *label, context);
      switch (component->Kind()) {
        case ComponentKind::kListView: {
          const std::vector<std::string> columns = component->GetStrings("Columns");
          for (std::size_t i = 0; i < columns.size(); ++i) {
            std::string caption = columns[i];
            TranslateText(translation, caption, prefix + ".Columns[" + std::to_string(i) + "].Caption", context);
            if (caption != columns[i]) component->SetString("Columns", i, caption);
          }
          break;
        }
        case ComponentKind::kTabControl:
          TranslateStrings(translation, *component, "Tabs", prefix + ".Tabs ", context);
          break;
        case ComponentKind::kCheckListBox:
          TranslateStrings(translation, *component, "Items", prefix + ".Items ", context);
          break;
        default:
          break;
      }
      LetMessagesRun(context);
    }
  } catch (const std::exception&) {
    // This window keeps what it has; the next one is translated as usual.
    translation.Values.clear();
    translation.Log.clear();
    return;
  }
  translation.Values.clear();
  if (!translation.Log.empty() && context.fs.FileExists(log_path)) {
    try {
      context.fs.WriteFileAtomically(log_path, Utf16LeLines(translation.Log));
    } catch (const std::exception&) {
      // A log that cannot be written is no reason to stop.
    }
  }
  translation.Log.clear();
}

}  // namespace vandrel
