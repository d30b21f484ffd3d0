// Builds zip archives of stored entries as archivers lay them out, with the
// parts a hostile archive would bend: local headers that disagree with the
// central directory, disk numbers, Zip64 records, counts and sizes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vandrel::testing {

struct ZipEntrySpec {
  std::string name;
  std::string data;
  std::optional<std::string> local_name;           // the local header names another file
  std::optional<std::uint32_t> local_size;         // the local header's sizes (both)
  std::optional<std::uint32_t> declared_size;      // the uncompressed size both headers give
  std::optional<std::uint32_t> directory_offset;   // the directory's offset of the local header
  std::uint16_t flags = 0;                          // 0x0800: the name is UTF-8; 0x0008: a data descriptor
  std::uint16_t disk = 0;                           // the disk the entry starts on
  bool zip64_extra = false;                         // a Zip64 extra field in the directory
};

struct ZipSpec {
  std::vector<ZipEntrySpec> entries;
  std::uint16_t this_disk = 0, directory_disk = 0;
  std::optional<std::uint16_t> count;              // the end record's entry counts
  std::optional<std::uint32_t> directory_size;     // the end record's directory size
  std::optional<std::uint32_t> end_offset;         // the end record's directory offset
  // A second directory of these entries, reached only through a Zip64 end
  // record and locator placed before the classic end record.
  std::optional<std::vector<ZipEntrySpec>> zip64_directory;
  std::string comment;
  std::optional<std::uint16_t> comment_length;     // what the end record says
};

Bytes BuildZip(const ZipSpec& spec);
// Entries of these names holding "content of <name>".
Bytes BuildZip(const std::vector<std::string>& names);

}  // namespace vandrel::testing
