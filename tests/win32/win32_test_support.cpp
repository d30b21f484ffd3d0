#include "tests/win32/win32_test_support.h"

#include <shellapi.h>

#include <cstdlib>
#include <wincrypt.h>

#include "platform/win32/wide.h"

namespace vandrel::testing {

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH + 1];
  ::GetTempPathW(MAX_PATH + 1, temp);
  static int counter = 0;
  path_ = Narrow(temp) + "vandrel-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++);
  ::CreateDirectoryW(Widen(path_).c_str(), nullptr);
}

namespace {
void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = dir + L"\\" + name;
      ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        ::DeleteFileW(full.c_str());
      }
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
  }
  ::RemoveDirectoryW(dir.c_str());
}
}  // namespace

TempFolder::~TempFolder() { RemoveTree(L"\\\\?\\" + Widen(path_)); }

std::string SystemFolder() {
  wchar_t dir[MAX_PATH + 1];
  const UINT n = ::GetSystemDirectoryW(dir, MAX_PATH + 1);
  return Narrow(std::wstring(dir, n));
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW((L"\\\\?\\" + Widen(folder) + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = fd.cFileName;
    if (name != L"." && name != L"..") names.push_back(Narrow(name));
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  return names;
}

bool TrustInThisPrefix(const std::string& der_file) {
  HANDLE f = ::CreateFileW(Widen(der_file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::vector<BYTE> der(65536);
  DWORD n = 0;
  const BOOL read = ::ReadFile(f, der.data(), static_cast<DWORD>(der.size()), &n, nullptr);
  ::CloseHandle(f);
  if (!read || n == 0) return false;
  HCERTSTORE root = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (root == nullptr) return false;
  const BOOL added =
      ::CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), n, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  ::CertCloseStore(root, 0);
  return added != FALSE;
}

IconBitmap IconPixels(HICON icon) {
  IconBitmap image;
  ICONINFO info{};
  if (icon == nullptr || !::GetIconInfo(icon, &info)) return image;
  BITMAP bm{};
  ::GetObjectW(info.hbmColor, sizeof bm, &bm);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB};
  image.width = bm.bmWidth;
  image.height = bm.bmHeight;
  image.pixels.resize(static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight));
  HDC dc = ::CreateCompatibleDC(nullptr);
  ::GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(bm.bmHeight), image.pixels.data(), &bi, DIB_RGB_COLORS);
  ::DeleteDC(dc);
  ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  return image;
}

std::string EnvText(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string HostFile(const std::string& host_path) {
  std::string path = "Z:" + host_path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  HANDLE f = ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string text;
  char buffer[65536];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ::ReadFile(f, buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0) text.append(buffer, read);
  ::CloseHandle(f);
  if (!ok) return std::nullopt;
  return text;
}

std::string TextOnceItHolds(const std::string& path, const std::string& needle) {
  std::string text;
  for (int attempt = 0; attempt < 50; ++attempt) {
    text = ReadWholeFile(path).value_or("");
    if (text.find(needle) != std::string::npos) break;
    ::Sleep(100);
  }
  return text;
}

}  // namespace vandrel::testing
