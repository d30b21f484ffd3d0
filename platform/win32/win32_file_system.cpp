#include "platform/win32/win32_file_system.h"

#include <atomic>

#include "platform/error.h"
#include "platform/win32/wide.h"

namespace vandrel {
namespace {

class HandleSource final : public ByteSource {
 public:
  HandleSource(UniqueHandle h, std::uint64_t size) : h_(std::move(h)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  bool Read(std::uint64_t offset, std::span<std::byte> out) override {
    if (offset > size_ || out.size() > size_ - offset) return false;
    std::size_t done = 0;
    while (done < out.size()) {
      OVERLAPPED at{};
      const std::uint64_t pos = offset + done;
      at.Offset = static_cast<DWORD>(pos & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(pos >> 32);
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
      DWORD got = 0;
      if (!::ReadFile(h_.get(), out.data() + done, want, &got, &at) || got == 0) return false;
      done += got;
    }
    return true;
  }

 private:
  UniqueHandle h_;
  std::uint64_t size_;
};

UniqueHandle OpenExisting(const std::wstring& path) {
  return UniqueHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

[[noreturn]] void Fail(const std::string& what, DWORD code) { throw Error(what, SystemErrorText(code)); }

}  // namespace


std::vector<FolderEntry> Win32FileSystem::ListFolder(const std::string& directory) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAW fd;
  // Basic information without short names, fetched in large batches.
  HANDLE h = ::FindFirstFileExW(ToWinPath(directory + "*.*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE) return entries;
  do {
    entries.push_back(FolderEntry{Narrow(fd.cFileName), fd.dwFileAttributes});
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  return entries;
}

std::optional<std::uint32_t> Win32FileSystem::GetAttributes(const std::string& path) {
  const DWORD a = ::GetFileAttributesW(ToWinPath(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return a;
}

bool Win32FileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  return ::SetFileAttributesW(ToWinPath(path).c_str(), attributes) != FALSE;
}

bool Win32FileSystem::CreateFolders(const std::string& path) {
  // Each missing level from the top down; a level that exists is fine.
  std::string p = path;
  while (p.size() > 3 && p.back() == '\\') p.pop_back();
  for (std::size_t pos = p.find('\\', 3); pos != std::string::npos; pos = p.find('\\', pos + 1))
    ::CreateDirectoryW(ToWinPath(p.substr(0, pos)).c_str(), nullptr);
  ::CreateDirectoryW(ToWinPath(p).c_str(), nullptr);
  return FolderExists(p);
}

bool Win32FileSystem::FolderExists(const std::string& path) {
  const std::wstring w = ToWinPath(path);
  const DWORD a = ::GetFileAttributesW(w.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  if ((a & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // A link or junction: what counts is the target, opened through the link.
  UniqueHandle h(::CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return h.valid() && ::GetFileInformationByHandle(h.get(), &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void Win32FileSystem::CopyFileOver(const std::string& source, const std::string& target) {
  if (!::CopyFileW(ToWinPath(source).c_str(), ToWinPath(target).c_str(), FALSE))
    Fail("Cannot copy \"" + source + "\" to \"" + target + "\"", ::GetLastError());
}

void Win32FileSystem::MoveFileOver(const std::string& source, const std::string& target) {
  if (!::MoveFileExW(ToWinPath(source).c_str(), ToWinPath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    Fail("Cannot move \"" + source + "\" to \"" + target + "\"", ::GetLastError());
}

bool Win32FileSystem::RemoveFile(const std::string& path) { return ::DeleteFileW(ToWinPath(path).c_str()) != FALSE; }

std::string Win32FileSystem::CreateUniqueFile(const std::string& directory, const std::string& name,
                                              const std::string& suffix) {
  DWORD error = ERROR_FILE_EXISTS;
  for (unsigned attempt = 0; attempt < kUniqueFileAttempts && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
       ++attempt) {
    const std::string path = UniqueFileCandidate(directory, name, suffix, attempt);
    UniqueHandle h(::CreateFileW(ToWinPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    if (h.valid()) return path;
    error = ::GetLastError();
  }
  Fail("Cannot create file \"" + directory + name + suffix + "\"", error);
}

std::string Win32FileSystem::FullPath(const std::string& path) {
  const std::wstring w = Widen(path);
  const std::string what = "Cannot resolve the path \"" + path + "\"";
  if (w.empty()) Fail(what, ERROR_INVALID_NAME);
  DWORD need = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (need == 0) Fail(what, ::GetLastError());
  std::wstring full(need, L'\0');
  const DWORD n = ::GetFullPathNameW(w.c_str(), need, full.data(), nullptr);
  if (n == 0 || n >= need) Fail(what, n == 0 ? ::GetLastError() : ERROR_INSUFFICIENT_BUFFER);
  full.resize(n);
  return Narrow(full);
}

bool Win32FileSystem::IsFileWritable(const std::string& path) {
  UniqueHandle h(::CreateFileW(ToWinPath(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
  return h.valid();
}

bool Win32FileSystem::FileExists(const std::string& path) {
  // GetFileAttributesW looks at a link itself; opening it follows the link.
  const std::wstring w = ToWinPath(path);
  const DWORD a = ::GetFileAttributesW(w.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if ((a & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return true;
  UniqueHandle h(::CreateFileW(w.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return h.valid();
}

std::optional<Bytes> Win32FileSystem::ReadFile(const std::string& path) {
  const std::wstring w = ToWinPath(path);
  UniqueHandle h = OpenExisting(w);
  if (!h.valid()) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return std::nullopt;
    Fail("Cannot open file \"" + path + "\"", code);
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(h.get(), &size)) Fail("Cannot read file \"" + path + "\"", ::GetLastError());
  if (static_cast<std::uint64_t>(size.QuadPart) > 0x7FFFFFFFu) Fail("Cannot read file \"" + path + "\"", ERROR_FILE_TOO_LARGE);
  Bytes data(static_cast<std::size_t>(size.QuadPart));
  HandleSource source(std::move(h), data.size());
  if (!source.Read(0, data)) Fail("Cannot read file \"" + path + "\"", ::GetLastError());
  return data;
}

std::unique_ptr<ByteSource> Win32FileSystem::OpenForReading(const std::string& path) {
  UniqueHandle h = OpenExisting(ToWinPath(path));
  if (!h.valid()) return nullptr;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(h.get(), &size)) return nullptr;
  return std::make_unique<HandleSource>(std::move(h), static_cast<std::uint64_t>(size.QuadPart));
}

void Win32FileSystem::WriteFileAtomically(const std::string& path, std::span<const std::byte> data) {
  const std::string what = "Cannot create file \"" + path + "\"";
  const std::wstring target = ToWinPath(path);
  const DWORD old_attributes = ::GetFileAttributesW(target.c_str());
  const bool exists = old_attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (old_attributes & FILE_ATTRIBUTE_DIRECTORY)) Fail(what, ERROR_ACCESS_DENIED);
  if (exists && (old_attributes & FILE_ATTRIBUTE_READONLY)) Fail(what, ERROR_ACCESS_DENIED);

  // The temporary file lives beside the target, so the last step is a rename
  // within one volume.
  static std::atomic<unsigned> counter{0};
  const std::wstring temp = ToWinPath(path + ".~" + std::to_string(::GetCurrentProcessId()) + "-" +
                                      std::to_string(counter++) + ".tmp");
  {
    UniqueHandle h(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) Fail(what, ::GetLastError());
    std::size_t done = 0;
    DWORD error = 0;
    while (done < data.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 30));
      DWORD written = 0;
      if (!::WriteFile(h.get(), data.data() + done, chunk, &written, nullptr) || written == 0) {
        error = ::GetLastError();
        break;
      }
      done += written;
    }
    if (error == 0 && !::FlushFileBuffers(h.get())) error = ::GetLastError();
    h.Reset();
    if (error != 0) {
      ::DeleteFileW(temp.c_str());
      Fail(what, error);
    }
  }
  if (!::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = ::GetLastError();
    ::DeleteFileW(temp.c_str());
    Fail(what, error);
  }
  // An in-place rewrite would have kept the file's attributes (hidden, system)
  // and marked it for archiving.
  if (exists) ::SetFileAttributesW(target.c_str(), (old_attributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_ARCHIVE);
}

}  // namespace vandrel
