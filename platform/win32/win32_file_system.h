// The file-system port over the wide Win32 file functions.
#pragma once

#include "platform/file_system.h"

namespace vandrel {

class Win32FileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) override;
  std::optional<Bytes> ReadFile(const std::string& path) override;
  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override;
  void WriteFileAtomically(const std::string& path, std::span<const std::byte> data) override;
};

}  // namespace vandrel
