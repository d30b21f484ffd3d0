// Reading a file's version resource: the size-and-read pair of the Windows
// version library (GetFileVersionInfoSizeW, GetFileVersionInfoW).
#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"

namespace vandrel {

class VersionResourceReader {
 public:
  virtual ~VersionResourceReader() = default;
  // The whole version block; nullopt when the file has none or cannot be read.
  virtual std::optional<Bytes> ReadVersionResource(const std::string& path) = 0;
};

}  // namespace vandrel
