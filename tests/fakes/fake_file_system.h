// An in-memory file system that records what was done to it.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vandrel::testing {

class FakeFileSystem final : public FileSystem {
 public:
  std::map<std::string, Bytes> files;
  std::set<std::string> read_only;        // WriteFileAtomically refuses these
  std::set<std::string> unreadable;       // ReadFile throws, OpenForReading fails
  std::set<std::string> fail_writes;      // WriteFileAtomically fails while writing
  std::vector<std::string> replaced;      // paths, in the order they were replaced

  bool FileExists(const std::string& path) override;
  std::optional<Bytes> ReadFile(const std::string& path) override;
  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override;
  void WriteFileAtomically(const std::string& path, std::span<const std::byte> data) override;

  std::string Text(const std::string& path) const;
};

}  // namespace vandrel::testing
