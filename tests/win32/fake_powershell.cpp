// A stand-in for PowerShell in the portable update script's test: it writes
// its command line to "<its own folder>\powershell.args" (UTF-8), then does
// what the script's command asks of PowerShell: it unpacks the archive named
// in "OpenRead('...')" into the current folder, every entry relative to it,
// folders first made, files overwritten. It reads stored entries only (the
// test's archives hold nothing else) and knows nothing of PowerShell itself.
// Copied as timeout.exe, which Wine 8 lacks, it waits the seconds of "/t N";
// given "--wait" it stands for a running program and waits a minute.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& w) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(n > 0 ? n : 0, '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring Wide(const std::string& s) {
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n > 0 ? n : 0, L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

bool WriteAll(const std::wstring& path, const std::string& bytes) {
  HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(f);
  return ok && written == bytes.size();
}

bool ReadAll(const std::wstring& path, std::string& bytes) {
  HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  ::GetFileSizeEx(f, &size);
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  const BOOL ok = bytes.empty() || ::ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  ::CloseHandle(f);
  return ok && read == bytes.size();
}

unsigned U16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
unsigned long U32(const std::string& b, std::size_t at) {
  return U16(b, at) | static_cast<unsigned long>(U16(b, at + 2)) << 16;
}

// Unpacks the stored entries of `zip` by its central directory; false on
// anything it does not understand.
bool Unpack(const std::string& zip) {
  if (zip.size() < 22) return false;
  const std::size_t end = zip.size() - 22;  // the test's archives have no comment
  if (U32(zip, end) != 0x06054b50) return false;
  const unsigned count = U16(zip, end + 10);
  std::size_t pos = U32(zip, end + 16);
  for (unsigned n = 0; n < count; ++n) {
    if (pos + 46 > zip.size() || U32(zip, pos) != 0x02014b50 || U16(zip, pos + 10) != 0) return false;
    const unsigned long size = U32(zip, pos + 20);
    const unsigned name_length = U16(zip, pos + 28), extra = U16(zip, pos + 30), comment = U16(zip, pos + 32);
    const std::size_t local = U32(zip, pos + 42);
    std::wstring name = Wide(zip.substr(pos + 46, name_length));
    for (wchar_t& c : name)
      if (c == L'/') c = L'\\';
    if (local + 30 > zip.size()) return false;
    const std::size_t data = local + 30 + U16(zip, local + 26) + U16(zip, local + 28);
    if (data + size > zip.size()) return false;
    if (!name.empty() && name.back() == L'\\') {
      ::CreateDirectoryW(name.c_str(), nullptr);
    } else if (!WriteAll(name, zip.substr(data, size))) {
      ::WriteConsoleA(::GetStdHandle(STD_OUTPUT_HANDLE), "Skipping\r\n", 10, nullptr, nullptr);
    }
    pos += 46 + name_length + extra + comment;
  }
  return true;
}

}  // namespace

int wmain() {
  const std::wstring line = ::GetCommandLineW();
  wchar_t self[32768];
  const DWORD n = ::GetModuleFileNameW(nullptr, self, 32768);
  std::wstring folder(self, n);
  const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
  folder.erase(folder.find_last_of(L'\\') + 1);
  if (line.find(L" --wait") != std::wstring::npos) {
    ::Sleep(60'000);
    return 0;
  }
  if (_wcsnicmp(name.c_str(), L"timeout", 7) == 0) {
    const std::size_t t = line.find(L"/t ");
    const int seconds = t == std::wstring::npos ? 0 : _wtoi(line.c_str() + t + 3);
    ::Sleep(static_cast<DWORD>(std::min(std::max(seconds, 0), 10)) * 1000);
    return 0;
  }
  WriteAll(folder + L"powershell.args", Utf8(line));
  // The archive's name: a single-quoted PowerShell string, '' standing for '.
  const std::wstring open = L"OpenRead('";
  std::size_t at = line.find(open);
  if (at == std::wstring::npos) return 2;
  std::wstring zip_name;
  for (at += open.size(); at < line.size(); ++at) {
    if (line[at] == L'\'') {
      if (at + 1 < line.size() && line[at + 1] == L'\'') {
        zip_name += L'\'';
        ++at;
        continue;
      }
      break;
    }
    zip_name += line[at];
  }
  std::string zip;
  if (!ReadAll(zip_name, zip) || !Unpack(zip)) return 3;
  return 0;
}
