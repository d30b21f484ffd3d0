// An in-memory file system that records what was done to it. Paths are
// Windows paths, matched without regard to ASCII case as Windows does.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vandrel::testing {

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

class FakeFileSystem final : public FileSystem {
 public:
  std::map<std::string, Bytes, NoCaseLess> files;
  std::set<std::string, NoCaseLess> folders;
  std::map<std::string, std::uint32_t, NoCaseLess> attributes;  // files default to ARCHIVE, folders to DIRECTORY
  std::set<std::string, NoCaseLess> read_only;    // writes, copies and moves onto these fail
  std::set<std::string, NoCaseLess> unreadable;   // ReadFile throws, OpenForReading and copies fail
  std::set<std::string, NoCaseLess> fail_writes;  // writes, copies and moves onto these fail
  std::set<std::string, NoCaseLess> fail_moves_from;  // renames of these fail
  std::vector<std::string> replaced;              // paths written, in order
  // Every change, in order: "attr PATH 0x6", "write PATH", "copy A -> B",
  // "move A -> B", "remove PATH", "create PATH". Shared with FakeShell when given to it.
  std::vector<std::string>* log = &own_log;
  std::vector<std::string> own_log;

  std::vector<FolderEntry> ListFolder(const std::string& directory) override;
  std::optional<std::uint32_t> GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  bool FileExists(const std::string& path) override;
  bool IsFileWritable(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  bool CreateFolders(const std::string& path) override;
  std::set<std::string, NoCaseLess> uncreatable;  // CreateFolders fails for these and below
  std::optional<Bytes> ReadFile(const std::string& path) override;
  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override;
  void WriteFileAtomically(const std::string& path, std::span<const std::byte> data) override;
  void CopyFileOver(const std::string& source, const std::string& target) override;
  void MoveFileOver(const std::string& source, const std::string& target) override;
  bool RemoveFile(const std::string& path) override;
  std::string CreateUniqueFile(const std::string& directory, const std::string& name,
                               const std::string& suffix) override;
  // Windows' rules on the text alone; relative paths start from `current_folder`.
  std::string FullPath(const std::string& path) override;
  std::string current_folder = "C:\\Work\\";

  std::string Text(const std::string& path) const;
  std::uint32_t AttributesOf(const std::string& path) const;

 private:
  void CheckWritable(const std::string& path, const char* what);
};

}  // namespace vandrel::testing
