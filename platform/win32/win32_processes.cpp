#include "platform/win32/win32_processes.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include "platform/error.h"
#include "platform/win32/wide.h"

namespace vandrel {

std::vector<ProcessEntry> Win32Processes::List() {
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) throw Error("Cannot list the running processes", SystemErrorText(::GetLastError()));
  std::vector<ProcessEntry> out;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    DWORD session = kUnknownSession;
    if (!::ProcessIdToSessionId(entry.th32ProcessID, &session)) session = kUnknownSession;
    out.push_back(ProcessEntry{entry.th32ProcessID, Narrow(entry.szExeFile), session});
  }
  return out;
}

std::uint32_t Win32Processes::OwnSession() {
  DWORD session = kUnknownSession;
  if (!::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) return kUnknownSession;
  return session;
}

std::string Win32Processes::SystemFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) throw Error("Cannot find the system folder", SystemErrorText(::GetLastError()));
  return Narrow(std::wstring(folder, n));
}

bool Win32Processes::Terminate(std::uint32_t id) {
  UniqueHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, id));
  if (!process.valid()) throw Error("Cannot open process " + std::to_string(id), SystemErrorText(::GetLastError()));
  return ::TerminateProcess(process.get(), 0) != FALSE;
}

void Win32Processes::RunHidden(const std::string& file, const std::string& parameters, const std::string& folder) {
  ::ShellExecuteW(nullptr, L"open", Widen(file).c_str(), Widen(parameters).c_str(),
                  folder.empty() ? nullptr : Widen(folder).c_str(), SW_HIDE);
}

void Win32Processes::Open(const std::string& file, const std::string& parameters) {
  ::ShellExecuteW(nullptr, L"open", Widen(file).c_str(), parameters.empty() ? nullptr : Widen(parameters).c_str(),
                  nullptr, SW_SHOWNORMAL);
}

bool Win32Processes::StartExplorer() {
  wchar_t windows[MAX_PATH + 1] = {};
  const UINT n = ::GetWindowsDirectoryW(windows, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return false;
  std::wstring application = std::wstring(windows) + L"\\explorer.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(application.c_str(), nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &info))
    return false;
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return true;
}

void Win32Clock::Sleep(int milliseconds) { ::Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace vandrel
