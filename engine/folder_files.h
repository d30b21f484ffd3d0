// The few files of a folder that the engine may change: its Desktop.ini and
// the icon copies the program put there. Names read from a Desktop.ini come
// from whoever wrote it, so they are checked before any file is touched.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "common/ini_store.h"
#include "engine/engine_services.h"

namespace vandrel {

// Real Desktop.ini files are well under a kilobyte; anything past this is not
// read.
inline constexpr std::uint64_t kMaxDesktopIniSize = 1024 * 1024;

// The plain file name a stored icon name leads to inside the folder: the text
// after its last "\\", "/" or ":". Nothing for an empty name, "." or "..", a
// name with a character no file name can hold, one that ends in a dot or a
// blank (Windows would cut those off), or a device name such as NUL or COM1.
std::optional<std::string> PlainFileName(std::string_view stored_name);

// The folder's copy of an icon that a stored name leads to: a plain name
// ending in ".ico", or nothing.
std::optional<std::string> IcoCopyName(std::string_view stored_name);

// The folder's .ico copies that a Desktop.ini names: those of IconFile and of
// IconResource (before its first comma).
std::vector<std::string> NamedIcoCopies(const IniStore& desktop_ini);

// The size of a Desktop.ini that is too large to read; nothing when the file
// is missing, unopenable (reading it then reports why) or small enough.
std::optional<std::uint64_t> OversizedDesktopIni(FileSystem& fs, const std::string& path);

// The text that says a folder's Desktop.ini is too large.
std::string DesktopIniTooLargeText(const MessageCaptions& captions, const std::string& path, std::uint64_t size);

// Moves a file to the recycle bin; throws Error with the reason when the file
// is still there afterwards.
void RecycleOrFail(EngineServices& s, const std::string& path);

// A tooltip as one INI line: line breaks and other control characters
// become blanks.
std::string TooltipLine(std::string_view tip);

}  // namespace vandrel
