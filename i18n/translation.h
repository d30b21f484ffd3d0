// The translation engine: applies a section of a language file to a window,
// key by key ("Form1.ButtonChangeIcon.Caption"), and collects the keys the
// file lacks in a missing-key log that serves a translator as a template.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/component.h"
#include "platform/ansi_codec.h"
#include "platform/file_system.h"

namespace vandrel {

// What the engine takes from its surroundings.
struct TranslationContext {
  FileSystem& fs;
  const AnsiCodec& ansi;
  std::string settings_path;      // Option.ini: the selected language
  std::string program_folder;     // the running executable's, with a trailing backslash
  std::string application_title;  // "Vandrel": the section applied, and the log's name
  // Lets waiting window messages run, so windows repaint while a language is
  // applied; may be empty.
  std::function<void()> process_messages;
};

// "<program folder>Language\": where the language files lie.
std::string LanguageFolder(std::string_view program_folder);
// "<program folder>Language\<language>.ini"; a language given with ".ini"
// names the same file.
std::string LanguageFilePath(std::string_view program_folder, std::string_view language);
// "<the folder above the program folder>\<title>.log": beside the program's folder.
std::string MissingKeyLogPath(std::string_view program_folder, std::string_view application_title);
// The setting "Language" of section "Language"; empty when absent.
std::string ReadSelectedLanguage(FileSystem& fs, const AnsiCodec& ansi, const std::string& settings_path);

// True for the texts never looked up: empty, "-", or a whole 32-bit integer.
bool IsUntranslatable(std::string_view text);

// One application of a language file to one window after another.
struct TTranslation {
  ComponentOwner* Form = nullptr;
  std::vector<std::string> Values;  // the section's unused entries, "name=value", in file order
  std::vector<std::string> Log;     // the missing-key log's lines
  std::string Section;
};

// The position in Values of the first entry named `key` (without regard to case); -1 if none.
int FindKey(const TTranslation& translation, std::string_view key);
// The entry's value, which is then used up; else `default_text`, logged as missing.
std::string LookupKey(TTranslation& translation, std::string_view key, const std::string& default_text,
                      const TranslationContext& context);
// Replaces `text` by its translation unless it is untranslatable or the translation is empty.
void TranslateText(TTranslation& translation, std::string& text, std::string_view key,
                   const TranslationContext& context);
void TranslateProperty(TTranslation& translation, std::string_view property, Component& component,
                       const TranslationContext& context);
// Each string of a list ("Columns", "Tabs", "Items") under "<prefix>[i]".
void TranslateStrings(TTranslation& translation, Component& component, std::string_view list, std::string_view prefix,
                      const TranslationContext& context);
// Applies section `section` of the selected language file to `window`. An
// error ends this window's translation quietly.
void TranslateForm(TTranslation& translation, ComponentOwner& window, std::string_view section,
                   const TranslationContext& context);

}  // namespace vandrel
