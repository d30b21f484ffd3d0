// Listing a big folder: the folder list's own listing, from its start to the
// list painted with the visible items' icons, against a bare FindFirstFileW
// loop over the same folder. For each COUNT (10,000 and 100,000 when none is
// given) two folders are made: plain sub-folders, and one where every tenth is
// read-only with a Desktop.ini naming an icon of its own. Run with a display,
// e.g. under Wine:
//   xvfb-run -a build/<preset>/wine-run build/<preset>/folder_list_bench.exe [COUNT...]
// and on Windows from a console: folder_list_bench.exe [COUNT...]
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/unit_base_win32.h"
#include "browser/folder_list.h"
#include "platform/win32/wide.h"

namespace {

constexpr int kRounds = 3;  // the median of three

double MedianSeconds(const std::function<void()>& fn) {
  std::vector<double> times;
  for (int r = 0; r < kRounds; ++r) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

std::wstring Folder(const std::wstring& root, int i) { return root + L"\\Folder " + std::to_wstring(i); }

void Make(const std::wstring& root, int count, bool every_tenth_custom) {
  ::CreateDirectoryW(root.c_str(), nullptr);
  for (int i = 0; i < count; ++i) {
    const std::wstring folder = Folder(root, i);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    if (!every_tenth_custom || i % 10 != 0) continue;
    const std::wstring ini = folder + L"\\Desktop.ini";
    HANDLE f = ::CreateFileW(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, nullptr);
    const char text[] = "[.ShellClassInfo]\r\nIconResource=C:\\windows\\system32\\shell32.dll,4\r\n";
    DWORD written = 0;
    ::WriteFile(f, text, sizeof text - 1, &written, nullptr);
    ::CloseHandle(f);
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);
  }
}

void Remove(const std::wstring& root, int count) {
  for (int i = 0; i < count; ++i) {
    const std::wstring folder = Folder(root, i);
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::SetFileAttributesW((folder + L"\\Desktop.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW((folder + L"\\Desktop.ini").c_str());
    ::RemoveDirectoryW(folder.c_str());
  }
  ::RemoveDirectoryW(root.c_str());
}

void Measure(vandrel::TForm1& form, const std::wstring& root, int count, bool custom) {
  Make(root, count, custom);
  std::size_t bare_count = 0;
  const double bare = MedianSeconds([&] {
    bare_count = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((root + L"\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ++bare_count;
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
  });
  int lookups = 0;
  form.set_folder_icon_lookup([&lookups](const std::string& path) {
    ++lookups;
    return vandrel::SystemIconIndex(path);
  });
  const std::string path = vandrel::Narrow(root);
  // Where the time goes: the search with its filters alone, then the list.
  vandrel::Win32FileSystem fs;
  const double search = MedianSeconds([&] { vandrel::ListFolders(fs, path); });
  const double scan = MedianSeconds([&] { form.ScanAndAddFoldersToListView(path); });
  const double listed = MedianSeconds([&] {
    form.ScanAndAddFoldersToListView(path);
    ::UpdateWindow(form.ListViewList.hwnd());  // the visible items drawn, their icons looked up
  });
  std::printf("%d folders, %s: the list holds %zu (the bare loop saw %zu folder entries)\n", count,
              custom ? "every tenth read-only with an icon of its own" : "plain", form.item_paths().size(),
              bare_count);
  std::printf("  bare FindFirstFileW loop:             %9.1f ms\n", bare * 1000);
  std::printf("  listing until painted with icons:     %9.1f ms  (%d own icon lookups in %d listings)\n",
              listed * 1000, lookups, kRounds);
  std::printf("  ratio:                                %9.2f x\n", listed / bare);
  std::printf("  of which: the search and its filters %9.1f ms, the listing without painting %9.1f ms\n",
              search * 1000, scan * 1000);
  Remove(root, count);
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::max(1, _wtoi(argv[i])));
  ::LocalFree(argv);
  if (counts.empty()) counts = {10000, 100000};
  vandrel::ui::InitializeUi(::GetModuleHandleW(nullptr));
  wchar_t temp[MAX_PATH + 1];
  ::GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring root = std::wstring(temp) + L"vandrel-bench-folders";

  vandrel::TForm1 form({}, "9.0.26.320", false);
  form.Show();
  for (int count : counts)
    for (bool custom : {false, true}) Measure(form, root, count, custom);
  return 0;
}
