// File access port. Paths are UTF-8; the Windows adapter widens them and
// handles paths longer than MAX_PATH.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vandrel {

using Bytes = std::vector<std::byte>;

// Random access to a file's bytes, so a parser can read only the parts it needs.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Fills `out` from `offset`; false when the range is not all inside the file
  // or the read fails.
  virtual bool Read(std::uint64_t offset, std::span<std::byte> out) = 0;
};

// A ByteSource over bytes already in memory (tests, fuzzers, resources).
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::byte> data) : data_(data) {}
  std::uint64_t Size() const override { return data_.size(); }
  bool Read(std::uint64_t offset, std::span<std::byte> out) override;

 private:
  std::span<const std::byte> data_;
};

// Windows file attribute bits, the same values on every platform.
inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrNormal = 0x80;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;

struct FolderEntry {
  std::string name;
  std::uint32_t attributes = 0;
};

// The name CreateUniqueFile tries at `attempt` (0 first): the plain name,
// then "-1", "-2", … before the suffix.
std::string UniqueFileCandidate(const std::string& directory, const std::string& name, const std::string& suffix,
                                unsigned attempt);
inline constexpr unsigned kUniqueFileAttempts = 10000;

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The entries of a folder (its path ends with a backslash) in the order
  // the search returns them, hidden and system ones included, "." and ".."
  // too where the system gives them; empty when it cannot be searched.
  virtual std::vector<FolderEntry> ListFolder(const std::string& directory) = 0;

  // The attribute bits of a file or folder; nullopt when they cannot be read.
  virtual std::optional<std::uint32_t> GetAttributes(const std::string& path) = 0;
  // Replaces the whole attribute set; false on failure.
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;

  // True for an existing folder; links are followed.
  virtual bool FolderExists(const std::string& path) = 0;

  // Copies a file, replacing an existing target. Throws Error with the
  // system's reason.
  virtual void CopyFileOver(const std::string& source, const std::string& target) = 0;
  // Renames a file within its volume, replacing an existing target. Throws Error.
  virtual void MoveFileOver(const std::string& source, const std::string& target) = 0;
  // Deletes a file outright; false when it could not be deleted.
  virtual bool RemoveFile(const std::string& path) = 0;
  // Creates a new, empty file `directory + name + suffix`; when that name is
  // taken, `directory + name + "-N" + suffix` for the first free N. Never
  // opens or replaces an existing file. Returns the new file's path. Throws
  // Error with the system's reason.
  virtual std::string CreateUniqueFile(const std::string& directory, const std::string& name,
                                       const std::string& suffix) = 0;

  // The full, normalised form of a path, as GetFullPathNameW gives it: "."
  // and ".." resolved, "/" read as "\", repeated separators collapsed.
  // Throws Error when the path cannot be resolved.
  virtual std::string FullPath(const std::string& path) = 0;

  // Creates a folder with every missing parent; true when it exists afterwards.
  virtual bool CreateFolders(const std::string& path) = 0;

  // True for an existing file (not a folder); links are followed.
  virtual bool FileExists(const std::string& path) = 0;
  // True when the existing file can be opened for writing with no sharing
  // (not read-only, not held open by another program, the user may write it).
  virtual bool IsFileWritable(const std::string& path) = 0;

  // The whole file; nullopt when there is no such file. Throws Error when the
  // file exists but cannot be read.
  virtual std::optional<Bytes> ReadFile(const std::string& path) = 0;

  // Opens a file for random reads; nullptr when it cannot be opened.
  virtual std::unique_ptr<ByteSource> OpenForReading(const std::string& path) = 0;

  // Writes `data` as the file's new content in one step: a temporary file
  // beside the target is written and then takes the target's place, so a
  // failure leaves the old file as it was. A read-only target is refused.
  // Throws Error naming the file and the system's reason.
  virtual void WriteFileAtomically(const std::string& path, std::span<const std::byte> data) = 0;
};

}  // namespace vandrel
