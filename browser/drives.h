// The drive box and moving up: the text functions behind them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace vandrel {

// "C:\ [System ]": the upper-case letter, ":\ [", the label, " ]".
std::string DriveEntryText(char letter, std::string_view label);

// `word` trimmed at both ends of the characters in `symbols`, compared in the
// upper case that `to_upper` gives (the user's locale). One character that is
// itself a trim character comes back unchanged.
std::string TrimEX(std::string_view word, std::string_view symbols,
                   const std::function<std::string(const std::string&)>& to_upper);

// The parent of an existing folder, with a trailing backslash; empty when the
// folder or its parent does not exist.
std::string GetParentDir(FileSystem& fs, std::string_view start_directory,
                         const std::function<std::string(const std::string&)>& to_upper);

// Which drive-box entry shows the drive of `path` (entries compared in upper
// case); nullopt when none does, and the caller appends one for `letter`.
struct DriveChoice {
  std::optional<std::size_t> index;
  char letter = 0;  // the drive part's first character, upper case
};
DriveChoice SelectDriveFromPath(const std::vector<std::string>& entries, std::string_view path);

// Up stops at a drive root: the path box equal to its drive part, or to the
// drive part and a backslash (an empty box too).
bool IsAtDriveRoot(std::string_view path_box);

}  // namespace vandrel
