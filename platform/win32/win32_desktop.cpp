#include "platform/win32/win32_desktop.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"

namespace vandrel {

std::vector<char> Win32Desktop::LocalDrives() {
  std::vector<char> out;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const std::wstring root = Widen(std::string(1, letter) + ":\\");
    const UINT type = ::GetDriveTypeW(root.c_str());
    if (type == DRIVE_REMOVABLE || type == DRIVE_FIXED) out.push_back(letter);
  }
  return out;
}

bool Win32Desktop::AnyDrive() {
  wchar_t roots[4] = {};
  return ::GetLogicalDriveStringsW(3, roots) != 0;
}

std::string Win32Desktop::VolumeLabel(char drive) {
  wchar_t name[MAX_PATH + 1] = {};
  const std::wstring root = Widen(std::string(1, drive) + ":\\");
  if (!::GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) return {};
  return Narrow(name);
}

std::string Win32Desktop::ResolveShortcut(const std::string& lnk_file) {
  // COM is up on the window's thread from the start; this keeps the call
  // safe from any other thread too.
  const ComApartment com;
  std::string target;
  {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    wchar_t path[MAX_PATH + 1] = {};
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) &&
        SUCCEEDED(file->Load(ToWinPath(lnk_file).c_str(), STGM_READ)) &&
        link->GetPath(path, MAX_PATH, nullptr, SLGP_UNCPRIORITY) == S_OK) {
      path[MAX_PATH] = L'\0';
      target = Narrow(path);
    }
  }
  return target;
}

LocalTime Win32Desktop::Now() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  wchar_t date[128] = {};
  ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128, nullptr);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, Narrow(date)};
}

bool Win32Desktop::LessInUserLocale(const std::string& a, const std::string& b) {
  const std::wstring x = Widen(a), y = Widen(b);
  return ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, x.c_str(), static_cast<int>(x.size()), y.c_str(),
                           static_cast<int>(y.size()), nullptr, nullptr, 0) == CSTR_LESS_THAN;
}

std::string Win32Desktop::ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return Narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

bool Win32Desktop::SetWriteTime(const std::string& path, const LocalTime& time) {
  UniqueHandle file(::CreateFileW(ToWinPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  if (!file.valid()) return false;
  SYSTEMTIME stamp{};
  stamp.wYear = static_cast<WORD>(time.year);
  stamp.wMonth = static_cast<WORD>(time.month);
  stamp.wDay = static_cast<WORD>(time.day);
  stamp.wHour = static_cast<WORD>(time.hour);
  stamp.wMinute = static_cast<WORD>(time.minute);
  stamp.wSecond = static_cast<WORD>(time.second & ~1);
  FILETIME local, utc;
  return ::SystemTimeToFileTime(&stamp, &local) && ::LocalFileTimeToFileTime(&local, &utc) &&
         ::SetFileTime(file.get(), nullptr, nullptr, &utc);
}

void Win32Desktop::Open(const std::string& target) {
  ::ShellExecuteW(::GetActiveWindow(), L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace vandrel
