// Builds VS_VERSIONINFO blocks as resource compilers lay them out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace vandrel::testing {

struct VersionString {
  std::string name;
  std::u16string value;  // stored with a terminating NUL after it
  std::optional<std::uint16_t> value_length;  // wValueLength; default: characters including the NUL
};

struct VersionTable {
  std::string key;  // e.g. "040904E4"
  std::vector<VersionString> strings;
};

struct VersionSpec {
  std::optional<std::pair<std::uint32_t, std::uint32_t>> fixed;  // dwFileVersionMS, dwFileVersionLS
  std::vector<VersionTable> tables;
  std::optional<std::vector<std::pair<std::uint16_t, std::uint16_t>>> translations;
};

Bytes BuildVersionBlock(const VersionSpec& spec);

// The common case: FileVersion text, a fixed version and one translation.
VersionSpec SimpleVersion(std::u16string file_version, std::uint32_t ms, std::uint32_t ls);

}  // namespace vandrel::testing
