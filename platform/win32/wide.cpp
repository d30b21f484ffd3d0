#include "platform/win32/wide.h"

#include <vector>

#include "platform/text.h"

namespace vandrel {

std::wstring Widen(std::string_view utf8) {
  const std::u16string u = Utf8ToUtf16(utf8);
  return std::wstring(u.begin(), u.end());
}

std::string Narrow(std::wstring_view wide) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

std::wstring ToWinPath(const std::string& utf8_path) {
  std::wstring path = Widen(utf8_path);
  if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0) return path;
  // Long paths: make the path canonical first, since \\?\ turns off the
  // processing of "..", "." and forward slashes.
  DWORD need = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (need == 0) return path;
  std::wstring full(need, L'\0');
  need = ::GetFullPathNameW(path.c_str(), need, full.data(), nullptr);
  if (need == 0 || need >= full.size()) return path;
  full.resize(need);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  if (text.empty()) return "System error " + std::to_string(code) + ".";
  return Narrow(text);
}

}  // namespace vandrel
