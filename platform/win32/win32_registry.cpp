#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <vector>

#include "platform/error.h"
#include "platform/win32/wide.h"

namespace vandrel {
namespace {

struct KeyCloser {
  HKEY key = nullptr;
  ~KeyCloser() {
    if (key) ::RegCloseKey(key);
  }
};

[[noreturn]] void Fail(const std::string& what, const std::string& key, LSTATUS status) {
  throw Error(what + " \"HKEY_CURRENT_USER\\" + key + "\"", SystemErrorText(static_cast<DWORD>(status)));
}

LSTATUS DeleteKeyAndSubkeys(HKEY parent, const std::wstring& name) {
  KeyCloser k;
  LSTATUS s = ::RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &k.key);
  if (s == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (s != ERROR_SUCCESS) return s;
  // Subkeys first: a key with subkeys cannot be deleted.
  for (;;) {
    wchar_t sub[256];
    DWORD length = 256;
    s = ::RegEnumKeyExW(k.key, 0, sub, &length, nullptr, nullptr, nullptr, nullptr);
    if (s == ERROR_NO_MORE_ITEMS) break;
    if (s != ERROR_SUCCESS) return s;
    s = DeleteKeyAndSubkeys(k.key, sub);
    if (s != ERROR_SUCCESS) return s;
  }
  ::RegCloseKey(k.key);
  k.key = nullptr;
  s = ::RegDeleteKeyW(parent, name.c_str());
  return s == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : s;
}

}  // namespace

bool Win32Registry::KeyExists(const std::string& key) {
  KeyCloser k;
  return ::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0, KEY_READ, &k.key) == ERROR_SUCCESS;
}

void Win32Registry::CreateKey(const std::string& key) {
  KeyCloser k;
  const LSTATUS s = ::RegCreateKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_WRITE, nullptr, &k.key, nullptr);
  if (s != ERROR_SUCCESS) Fail("Cannot create the registry key", key, s);
}

void Win32Registry::SetString(const std::string& key, const std::string& name, const std::string& value) {
  KeyCloser k;
  LSTATUS s = ::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(key).c_str(), 0, KEY_WRITE, &k.key);
  if (s != ERROR_SUCCESS) Fail("Cannot open the registry key", key, s);
  const std::wstring w = Widen(value);
  s = ::RegSetValueExW(k.key, name.empty() ? nullptr : Widen(name).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(w.c_str()), static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
  if (s != ERROR_SUCCESS) Fail("Cannot write the registry value \"" + name + "\" of", key, s);
}

std::optional<std::uint32_t> Win32Registry::ReadDword(const std::string& key, const std::string& name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegGetValueW(HKEY_CURRENT_USER, Widen(key).c_str(), Widen(name).c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

std::optional<std::string> Win32Registry::ReadString(const std::string& key, const std::string& name) {
  const std::wstring k = Widen(key), n = Widen(name);
  DWORD size = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, k.c_str(), n.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (::RegGetValueW(HKEY_CURRENT_USER, k.c_str(), n.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.resize(wcsnlen(value.c_str(), value.size()));
  return Narrow(value);
}

void Win32Registry::DeleteTree(const std::string& key) {
  const LSTATUS s = DeleteKeyAndSubkeys(HKEY_CURRENT_USER, Widen(key));
  if (s != ERROR_SUCCESS) Fail("Cannot delete the registry key", key, s);
}

}  // namespace vandrel
