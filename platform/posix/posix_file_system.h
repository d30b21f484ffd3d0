// The file-system port over POSIX calls, for the native build and its tests.
// Attributes map as Wine maps them: read-only is "no write permission",
// hidden is a name beginning with a dot; system is not kept.
#pragma once

#include "platform/file_system.h"

namespace vandrel {

class PosixFileSystem final : public FileSystem {
 public:
  std::vector<FolderEntry> ListFolder(const std::string& directory) override;
  std::optional<std::uint32_t> GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  bool FileExists(const std::string& path) override;
  bool IsFileWritable(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  bool CreateFolders(const std::string& path) override;
  void CopyFileOver(const std::string& source, const std::string& target) override;
  void MoveFileOver(const std::string& source, const std::string& target) override;
  bool RemoveFile(const std::string& path) override;
  std::string CreateUniqueFile(const std::string& directory, const std::string& name,
                               const std::string& suffix) override;
  std::string FullPath(const std::string& path) override;
  std::optional<Bytes> ReadFile(const std::string& path) override;
  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override;
  void WriteFileAtomically(const std::string& path, std::span<const std::byte> data) override;
};

}  // namespace vandrel
