#include "platform/win32/win32_shell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "platform/win32/wide.h"

namespace vandrel {
namespace {

// SHFileOperationW answers with system error codes and, for some failures,
// with the old DE_* codes of its own.
std::string RecycleErrorText(int code) {
  switch (code) {
    case 0x71: return "The source and the target are the same file.";
    case 0x78: return "Access is denied.";
    case 0x79: return "The path is too deep.";
    case 0x7C: return "The path is not valid.";
    case 0x7E: return "The name is too long.";
    case 0x402: return "The path is not valid or cannot be reached.";
    case 0x10000: return "An unknown error occurred.";
    default: return SystemErrorText(static_cast<DWORD>(code));
  }
}

// The shell's file operations take no \\?\ paths. A path too long for them
// goes as its short form when the volume keeps short names.
bool ShellPath(const std::string& path, std::wstring& out) {
  out = Widen(path);
  if (out.size() < MAX_PATH) return true;
  const std::wstring long_form = ToWinPath(path);
  const DWORD need = ::GetShortPathNameW(long_form.c_str(), nullptr, 0);
  if (need == 0) return false;
  std::wstring short_form(need, L'\0');
  const DWORD n = ::GetShortPathNameW(long_form.c_str(), short_form.data(), need);
  if (n == 0 || n >= need) return false;
  short_form.resize(n);
  if (short_form.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    short_form = L"\\\\" + short_form.substr(8);
  } else if (short_form.rfind(L"\\\\?\\", 0) == 0) {
    short_form = short_form.substr(4);
  }
  if (short_form.size() >= MAX_PATH) return false;
  out = short_form;
  return true;
}

void NotifyPath(LONG event, const std::string& path) {
  std::wstring w = Widen(path);
  while (w.size() > 3 && w.back() == L'\\') w.pop_back();
  ::SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, w.c_str(), nullptr);
}

}  // namespace

bool Win32Shell::RecycleFile(const std::string& path, std::string& reason) {
  std::wstring list;
  if (!ShellPath(path, list)) {
    reason = "The path is too long for the recycle bin.";
    return false;
  }
  // A list of names ended by an empty one.
  list.push_back(L'\0');
  list.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.hwnd = nullptr;
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
  const int result = ::SHFileOperationW(&op);
  if (result != 0) {
    reason = RecycleErrorText(result);
    return false;
  }
  if (op.fAnyOperationsAborted) {
    reason = "The operation was cancelled.";
    return false;
  }
  return true;
}

void Win32Shell::NotifyItemUpdated(const std::string& path) { NotifyPath(SHCNE_UPDATEITEM, path); }

void Win32Shell::NotifyFolderUpdated(const std::string& path) { NotifyPath(SHCNE_UPDATEDIR, path); }

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
