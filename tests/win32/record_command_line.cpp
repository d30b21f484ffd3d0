// A stand-in for the update installer: it writes the command line it was
// started with to "<its own path>.args" (UTF-8) and ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  wchar_t self[32768];
  const DWORD n = ::GetModuleFileNameW(nullptr, self, 32768);
  if (n == 0 || n >= 32768) return 1;
  const std::wstring path = std::wstring(self, n) + L".args";
  const wchar_t* line = ::GetCommandLineW();
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
  std::string text(bytes > 0 ? bytes - 1 : 0, '\0');
  if (bytes > 1) ::WideCharToMultiByte(CP_UTF8, 0, line, -1, text.data(), bytes, nullptr, nullptr);
  HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  ::WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(f);
  return 0;
}
