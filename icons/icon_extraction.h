// Icons inside executables: counting an .exe's or .dll's icon groups, and
// writing one group out as a standalone .ico file.
//
// The icon index is the zero-based position of a group among the file's
// RT_GROUP_ICON resources in the loader's enumeration order, which is the
// meaning Explorer and ExtractIconW give the index of an icon location.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "i18n/message_captions.h"
#include "platform/file_system.h"
#include "platform/prompts.h"
#include "platform/resource_file.h"

namespace vandrel {

// The largest .ico file we assemble. Real icon groups are a few megabytes at
// most; a corrupt group that names one huge image thousands of times must not
// exhaust memory.
inline constexpr std::uint64_t kMaxIcoFileSize = 64ull * 1024 * 1024;

struct IconServices {
  FileSystem& fs;
  ResourceLoader& loader;
  Prompts& prompts;
  const MessageCaptions& captions;
};

// Number of icon groups; 0 when the file is missing or is not an executable.
int GetIconCountSimple(FileSystem& fs, ResourceLoader& loader, const std::string& exe_file);

// The groups in enumeration order; the position of a name is its icon index.
std::vector<ResourceName> ListIconGroups(ResourceFile& file);

// Assembles the .ico file of one group in memory; nullopt when the group is
// missing, shorter than its 6-byte header, or too damaged to give an icon.
std::optional<Bytes> BuildIcoFile(ResourceFile& file, const ResourceName& group);

// The image of an .ico file to draw at size x size: the smallest at least
// that large (the most colours among equal sizes), else the largest; empty
// when no entry's image lies wholly inside the file.
std::span<const std::byte> IcoImageFor(std::span<const std::byte> ico, int size);

// Writes the group's .ico file, replacing an existing one. True when the
// output file exists afterwards. Write errors travel to the caller.
bool SaveIconGroup(ResourceFile& file, const ResourceName& group, const std::string& output_ico_file,
                   FileSystem& fs);

// Writes the group at `icon_index` of `exe_file` to `output_ico_file`. Problems
// with the executable or the index are shown through the prompts; a damaged
// group writes nothing and shows nothing. True when this call wrote the file.
bool ExtractIconByIndex(IconServices& services, const std::string& exe_file,
                        const std::string& output_ico_file, std::int32_t icon_index);

}  // namespace vandrel
