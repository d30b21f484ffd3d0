// Text functions on Windows paths, shared by the browser and the engine.
#pragma once

#include <string>
#include <string_view>

namespace vandrel {

// Replaces each pair of backslashes by one, scanning from the left.
std::string CollapseBackslashes(std::string_view path);

// `path` with one trailing backslash (added unless it already ends with one).
std::string WithTrailingBackslash(std::string_view path);

// The text after the last backslash, slash or colon (Windows reads "/" as a
// separator too).
std::string_view NamePart(std::string_view path);
// The text before the name part: the folder with its trailing separator.
std::string FolderPart(std::string_view path);

// The extension of the name part, from its last dot ("" when none).
std::string_view Extension(std::string_view path);
bool HasExtension(std::string_view path, std::string_view extension);  // without regard to case

// "C:" for C:\..., "\\server\share" for a network path, "" otherwise.
std::string_view DrivePart(std::string_view path);

}  // namespace vandrel
