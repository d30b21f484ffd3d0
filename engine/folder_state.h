// Reading a folder's icon state: its Desktop.ini, attributes and the controls
// that fit the icon source.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/engine_services.h"

namespace vandrel {

// `text` cut before the first occurrence of `c`; unchanged when it has none.
std::string Work(std::string_view text, char c);

// What the window shows for a folder after reading it.
struct FolderIconInfo {
  std::string folder;       // full path with a trailing backslash
  std::string icon_source;  // empty when no source file was found
  int icon_index = 0;
  std::string tip;
  bool has_desktop_ini = false;  // the status bar is cleared when it was read
  std::string problem;           // Desktop.ini could not be used (too large): the status text
};

// Reads the folder of a list item (its full path without trailing backslash).
// Errors while Desktop.ini is read reach the caller.
FolderIconInfo GetIcon(EngineServices& s, const std::string& item_path);

struct FolderAttributes {
  bool read_only = false;
  bool hidden = false;
  bool system = false;
};

// The attributes of path box + "\" + caption; all false when unreadable.
FolderAttributes GetAttrFolder(EngineServices& s, const std::string& path_box, const std::string& caption);

// Which icon controls the source's extension enables.
enum class SourceKind {
  kNone,        // empty source: index box, save button and copy option disabled
  kExecutable,  // .exe or .dll: all three enabled
  kIco,         // .ico: only the copy option enabled
  kOther,       // any other extension: the three keep their states
};
SourceKind ClassifySource(std::string_view icon_source);

// The text of a file for the log box (byte-order mark, else the ANSI code
// page); nullopt when there is no such file. A file too large for a
// Desktop.ini is not read: the text then says so.
std::optional<std::string> ReadLogText(EngineServices& s, const std::string& path);

struct FormState {
  FolderAttributes attributes;
  FolderIconInfo icon;
  std::optional<std::string> log;  // Desktop.ini's text, when it exists
  SourceKind source_kind = SourceKind::kNone;
};

// Everything UpdateFormState shows for the selected list item.
FormState ReadFormState(EngineServices& s, const std::string& item_path, const std::string& path_box,
                        const std::string& caption);

// The tooltip the "Info" button proposes: the folder's own name.
std::string InfoTipFromFolder(std::string_view edit_folder);

}  // namespace vandrel
