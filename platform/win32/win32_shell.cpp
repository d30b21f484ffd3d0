#include "platform/win32/win32_shell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "platform/win32/wide.h"

namespace vandrel {

bool Win32Shell::RecycleFile(const std::string& path) {
  // SHFileOperationW takes a list ended by an empty entry, and no \\?\ prefix:
  // long paths go as the system gives them.
  std::wstring list = Widen(path);
  list.push_back(L'\0');
  list.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.hwnd = nullptr;
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
  return ::SHFileOperationW(&op) == 0;
}

void Win32Shell::NotifyAssociationsChanged() { ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

void Win32Shell::RefreshDesktop() {
  constexpr WPARAM kRefreshCommand = 41061;  // Explorer's own "Refresh" of the desktop
  if (HWND desktop = ::FindWindowW(L"Progman", L"Program Manager"))
    ::SendMessageW(desktop, WM_COMMAND, kRefreshCommand, 0);
}

std::string Win32Shell::GetSpecialFolder(int csidl) {
  wchar_t path[MAX_PATH + 1] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return Narrow(path);
}

std::string Win32Shell::TempFolderPath() {
  // The answer can exceed MAX_PATH; ask for the size first.
  const DWORD need = ::GetTempPathW(0, nullptr);
  if (need == 0) return {};
  std::wstring buffer(need + 1, L'\0');
  const DWORD n = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (n == 0 || n >= buffer.size()) return {};
  buffer.resize(n);
  return Narrow(buffer);
}

std::string Win32Shell::ToUpperUserLocale(const std::string& text) {
  std::wstring w = Widen(text);
  if (w.empty()) return text;
  const int n = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, w.c_str(), static_cast<int>(w.size()),
                                nullptr, 0, nullptr, nullptr, 0);
  if (n <= 0) return text;
  std::wstring upper(static_cast<std::size_t>(n), L'\0');
  ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, w.c_str(), static_cast<int>(w.size()), upper.data(), n,
                  nullptr, nullptr, 0);
  return Narrow(upper);
}

}  // namespace vandrel
