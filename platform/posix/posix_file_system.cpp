#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/error.h"

namespace vandrel {
namespace {

std::string Reason(int err) { return std::strerror(err); }

class FdSource final : public ByteSource {
 public:
  FdSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  ~FdSource() override { ::close(fd_); }
  FdSource(const FdSource&) = delete;
  FdSource& operator=(const FdSource&) = delete;

  std::uint64_t Size() const override { return size_; }
  bool Read(std::uint64_t offset, std::span<std::byte> out) override {
    if (offset > size_ || out.size() > size_ - offset) return false;
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
  std::uint64_t size_;
};

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

std::vector<FolderEntry> PosixFileSystem::ListFolder(const std::string& directory) {
  std::vector<FolderEntry> entries;
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return entries;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (auto bits = GetAttributes(directory + (directory.empty() || directory.back() == '/' ? "" : "/") + name))
      entries.push_back(FolderEntry{name, *bits});
  }
  ::closedir(dir);
  return entries;
}

std::optional<std::uint32_t> PosixFileSystem::GetAttributes(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  std::uint32_t bits = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if ((st.st_mode & 0222) == 0) bits |= kAttrReadOnly;
  const auto slash = path.find_last_of('/');
  if (path.compare(slash == std::string::npos ? 0 : slash + 1, 1, ".") == 0) bits |= kAttrHidden;
  return bits;
}

bool PosixFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  const mode_t mode = (attributes & kAttrReadOnly) ? (st.st_mode & ~0222) : (st.st_mode | 0200);
  return ::chmod(path.c_str(), mode & 07777) == 0;
}

bool PosixFileSystem::FolderExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::CreateFolders(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return FolderExists(path);
}

void PosixFileSystem::CopyFileOver(const std::string& source, const std::string& target) {
  const auto data = ReadFile(source);
  if (!data) throw Error("Cannot copy \"" + source + "\"", Reason(ENOENT));
  WriteFileAtomically(target, *data);
}

void PosixFileSystem::MoveFileOver(const std::string& source, const std::string& target) {
  if (::rename(source.c_str(), target.c_str()) != 0)
    throw Error("Cannot move \"" + source + "\" to \"" + target + "\"", Reason(errno));
}

bool PosixFileSystem::RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::string PosixFileSystem::CreateUniqueFile(const std::string& directory, const std::string& name,
                                              const std::string& suffix) {
  int err = EEXIST;
  for (unsigned attempt = 0; attempt < kUniqueFileAttempts && err == EEXIST; ++attempt) {
    const std::string path = UniqueFileCandidate(directory, name, suffix, attempt);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    err = errno;
  }
  throw Error("Cannot create file \"" + directory + name + suffix + "\"", Reason(err));
}

std::string PosixFileSystem::FullPath(const std::string& path) {
  if (path.empty()) throw Error("Cannot resolve the path \"\"", Reason(ENOENT));
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(path, ec);
  if (ec) throw Error("Cannot resolve the path \"" + path + "\"", ec.message());
  std::string text = full.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool PosixFileSystem::IsFileWritable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool PosixFileSystem::FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<Bytes> PosixFileSystem::ReadFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw Error("Cannot open file \"" + path + "\"", Reason(errno));
  }
  FdSource closer(fd, 0);  // closes the descriptor on every path
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) throw Error("Cannot open file \"" + path + "\"", Reason(EISDIR));
  Bytes data;
  std::byte buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw Error("Cannot read file \"" + path + "\"", Reason(errno));
    if (n == 0) break;
    data.insert(data.end(), buffer, buffer + n);
  }
  return data;
}

std::unique_ptr<ByteSource> PosixFileSystem::OpenForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FdSource>(fd, static_cast<std::uint64_t>(st.st_size));
}

void PosixFileSystem::WriteFileAtomically(const std::string& path, std::span<const std::byte> data) {
  const std::string what = "Cannot create file \"" + path + "\"";
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  // A file nobody may write is read-only, as the Windows attribute is, even for root.
  if (exists && (S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0)) throw Error(what, Reason(EACCES));

  std::random_device random;
  const std::string temp = DirectoryOf(path) + "/.vandrel-" + std::to_string(random()) + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? (st.st_mode & 07777) : 0644);
  if (fd < 0) throw Error(what, Reason(errno));
  std::size_t done = 0;
  int err = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? errno : EIO;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    throw Error(what, Reason(err));
  }
}

}  // namespace vandrel
