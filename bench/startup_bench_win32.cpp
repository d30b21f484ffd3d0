// Start-up and memory of Vandrel.exe against an empty window program built
// the same way (empty_window.exe), both found beside this program. Run with a
// display, e.g. under Wine:
//   xvfb-run -a build/<preset>/wine-run build/<preset>/startup_bench.exe [RUNS]
//   xvfb-run -a build/<preset>/wine-run build/<preset>/startup_bench.exe --memory [COUNT...]
//   ... startup_bench.exe --memory --in PATH   (a folder made beforehand: under
//   Wine, make 100,000 folders from Linux; see folder_list_bench)
// Start-up: from process creation to the first idle moment (WaitForInputIdle
// returns, a window of the process is shown; Vandrel has listed the first
// drive's root by then), the median of RUNS (7) runs of each, interleaved.
// Memory: the commit charge (PagefileUsage) of Vandrel at idle after listing
// a folder of COUNT (10,000 and 100,000) sub-folders, above the empty program's.
// Vandrel runs as a portable copy in a folder of the benchmark's own, with the
// start-up update check off: nothing is sent anywhere.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::wstring Beside(const wchar_t* name) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir = self;
  return dir.substr(0, dir.find_last_of(L'\\') + 1) + name;
}

std::wstring TempFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  return std::wstring(temp) + name;
}

void WriteFile(const std::wstring& path, const char* text) {
  HANDLE f = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  ::WriteFile(f, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
  ::CloseHandle(f);
}

// A portable copy of Vandrel that never checks for updates at start.
std::wstring PortableVandrel() {
  const std::wstring dir = TempFolder(L"vandrel-bench-program");
  ::CreateDirectoryW(dir.c_str(), nullptr);
  ::CreateDirectoryW((dir + L"\\Config").c_str(), nullptr);
  ::CopyFileW(Beside(L"Vandrel.exe").c_str(), (dir + L"\\Vandrel.exe").c_str(), FALSE);
  WriteFile(dir + L"\\portable.ini", "");
  WriteFile(dir + L"\\Config\\Option.ini", "[Option]\r\nCheckBoxAutoCheck=0\r\n");
  return dir + L"\\Vandrel.exe";
}

struct Found {
  DWORD pid;
  HWND window;
};

BOOL CALLBACK FindShown(HWND hwnd, LPARAM lp) {
  auto* found = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid == found->pid && ::IsWindowVisible(hwnd) && ::GetWindow(hwnd, GW_OWNER) == nullptr) {
    found->window = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindList(HWND hwnd, LPARAM lp) {
  wchar_t cls[32] = {};
  ::GetClassNameW(hwnd, cls, 32);
  if (std::wstring(cls) == WC_LISTVIEWW) {
    *reinterpret_cast<HWND*>(lp) = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct Run {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
  double seconds = 0;
};

// Starts `exe` and waits for its first idle moment with a window shown.
Run Start(const std::wstring& exe, const std::wstring& argument) {
  Run run;
  std::wstring line = L"\"" + exe + L"\"" + (argument.empty() ? L"" : L" \"" + argument + L"\"");
  STARTUPINFOW si{sizeof si};
  const auto start = std::chrono::steady_clock::now();
  if (!::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &run.process)) {
    std::fwprintf(stderr, L"cannot start %ls\n", exe.c_str());
    std::exit(1);
  }
  ::WaitForInputIdle(run.process.hProcess, 60000);
  Found found{run.process.dwProcessId, nullptr};
  for (int i = 0; i < 60000 && found.window == nullptr; ++i) {
    ::EnumWindows(&FindShown, reinterpret_cast<LPARAM>(&found));
    if (found.window == nullptr) ::Sleep(1);
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.window = found.window;
  return run;
}

void Stop(Run& run) {
  ::TerminateProcess(run.process.hProcess, 0);
  ::WaitForSingleObject(run.process.hProcess, 10000);
  ::CloseHandle(run.process.hProcess);
  ::CloseHandle(run.process.hThread);
  ::Sleep(200);  // the single-instance guard of the program goes with it
}

double CommitMB(const Run& run) {
  PROCESS_MEMORY_COUNTERS counters{sizeof counters};
  ::GetProcessMemoryInfo(run.process.hProcess, &counters, sizeof counters);
  return static_cast<double>(counters.PagefileUsage) / (1024.0 * 1024.0);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

int StartUp(int runs) {
  const std::wstring vandrel = PortableVandrel(), empty = Beside(L"empty_window.exe");
  std::vector<double> program, yardstick;
  for (int i = 0; i < runs; ++i) {
    Run a = Start(empty, L"");
    yardstick.push_back(a.seconds);
    Stop(a);
    Run b = Start(vandrel, L"");
    program.push_back(b.seconds);
    Stop(b);
  }
  std::printf("start-up, median of %d runs each, interleaved\n", runs);
  std::printf("empty window program: %8.1f ms\n", Median(yardstick) * 1000);
  std::printf("Vandrel.exe:          %8.1f ms\n", Median(program) * 1000);
  std::printf("ratio:                %8.2f x\n", Median(program) / Median(yardstick));
  return 0;
}

// Vandrel's commit charge at idle after listing `root` (holding `count`
// sub-folders, one of them "Folder 0"), in MB.
void MeasureListing(const std::wstring& vandrel, const std::wstring& root, int count, double base) {
  // A folder given on the command line: its parent is listed.
  Run b = Start(vandrel, root + L"\\Folder 0");
  HWND list = nullptr;
  ::EnumChildWindows(b.window, &FindList, reinterpret_cast<LPARAM>(&list));
  for (int i = 0; i < 600 && ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) < count; ++i) ::Sleep(100);
  const LRESULT listed = ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  ::Sleep(1000);
  const double used = CommitMB(b);
  Stop(b);
  std::printf("%d folders (%ld listed): Vandrel %.1f MB, %.1f MB above the empty program\n", count,
              static_cast<long>(listed), used, used - base);
}

int CountFolders(const std::wstring& root) {
  int count = 0;
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW((root + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && fd.cFileName[0] != L'.') ++count;
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
  return count;
}

int Memory(const std::vector<int>& counts, const std::wstring& ready) {
  const std::wstring vandrel = PortableVandrel(), empty = Beside(L"empty_window.exe");
  Run a = Start(empty, L"");
  ::Sleep(1000);
  const double base = CommitMB(a);
  Stop(a);
  std::printf("commit charge of the empty window program at idle: %.1f MB\n", base);
  if (!ready.empty()) {
    MeasureListing(vandrel, ready, CountFolders(ready), base);
    return 0;
  }
  for (int count : counts) {
    const std::wstring root = TempFolder(L"vandrel-bench-memory");
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (int i = 0; i < count; ++i) ::CreateDirectoryW((root + L"\\Folder " + std::to_wstring(i)).c_str(), nullptr);
    MeasureListing(vandrel, root, count, base);
    for (int i = 0; i < count; ++i) ::RemoveDirectoryW((root + L"\\Folder " + std::to_wstring(i)).c_str());
    ::RemoveDirectoryW(root.c_str());
  }
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  ::LocalFree(argv);
  if (!args.empty() && args[0] == L"--memory") {
    std::vector<int> counts;
    std::wstring ready;
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == L"--in" && i + 1 < args.size()) {
        ready = args[++i];
      } else {
        counts.push_back(std::max(1, _wtoi(args[i].c_str())));
      }
    }
    if (counts.empty()) counts = {10000, 100000};
    return Memory(counts, ready);
  }
  return StartUp(args.empty() ? 7 : std::max(1, _wtoi(args[0].c_str())));
}
