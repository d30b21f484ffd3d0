// Listing a big folder: the folder list's own listing, from its start to the
// list painted with the visible items' icons, against a bare FindFirstFileW
// loop over the same folder. For each COUNT (10,000 and 100,000 when none is
// given) two folders are made: plain sub-folders, and one where every tenth is
// read-only with a Desktop.ini naming an icon of its own. Run with a display,
// e.g. under Wine:
//   xvfb-run -a build/<preset>/wine-run build/<preset>/folder_list_bench.exe [COUNT...]
// and on Windows from a console: folder_list_bench.exe [COUNT...]
// `--in PATH` lists a folder made beforehand instead (kept as it is): under
// Wine making 100,000 folders through Windows calls takes far longer than
// listing them, so make them from Linux, e.g.
//   python3 -c "import os; [os.makedirs(f'/tmp/big/Folder {i}') for i in range(100000)]"
//   ... folder_list_bench.exe --in 'Z:\tmp\big'
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

constexpr int kRounds = 5;  // each measure's median, the measures taking turns

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Seconds(const std::function<void()>& fn) {
  const auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

// Lists `root` (made by the caller) and prints the figures.
void Measure(vandrel::TForm1& form, const std::wstring& root, const char* what) {
  std::size_t bare_count = 0;
  const auto bare_loop = [&] {
    bare_count = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW((root + L"\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ++bare_count;
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
  };
  int lookups = 0;
  form.set_folder_icon_lookup([&lookups](const std::string& path) {
    ++lookups;
    return vandrel::SystemIconIndex(path);
  });
  const std::string path = vandrel::Narrow(root);
  vandrel::Win32FileSystem fs;
  std::vector<double> bare, listed, search, unpainted;
  for (int r = 0; r < kRounds; ++r) {
    bare.push_back(Seconds(bare_loop));
    listed.push_back(Seconds([&] {
      form.ScanAndAddFoldersToListView(path);
      ::UpdateWindow(form.ListViewList.hwnd());  // the visible items drawn, their icons looked up
    }));
    // Where the time goes: the search with its filters alone, the listing
    // without the last paint.
    search.push_back(Seconds([&] { vandrel::ListFolders(fs, path); }));
    unpainted.push_back(Seconds([&] { form.ScanAndAddFoldersToListView(path); }));
  }
  std::printf("%s: the list holds %zu (the bare loop saw %zu folder entries)\n", what, form.item_paths().size(),
              bare_count);
  std::printf("  bare FindFirstFileW loop:             %9.1f ms\n", Median(bare) * 1000);
  std::printf("  listing until painted with icons:     %9.1f ms  (%d own icon lookups in %d listings)\n",
              Median(listed) * 1000, lookups, 2 * kRounds);
  std::printf("  ratio:                                %9.2f x\n", Median(listed) / Median(bare));
  std::printf("  the search and its filters alone:     %9.1f ms\n", Median(search) * 1000);
  std::printf("  the listing without the last paint:   %9.1f ms\n", Median(unpainted) * 1000);
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  std::vector<int> counts;
  std::wstring ready;  // --in PATH
  for (int i = 1; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"--in" && i + 1 < argc) {
      ready = argv[++i];
    } else {
      counts.push_back(std::max(1, _wtoi(argv[i])));
    }
  }
  ::LocalFree(argv);
  if (counts.empty()) counts = {10000, 100000};
  vandrel::ui::InitializeUi(::GetModuleHandleW(nullptr));
  wchar_t temp[MAX_PATH + 1];
  ::GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring root = std::wstring(temp) + L"vandrel-bench-folders";

  vandrel::TForm1 form({}, "9.0.26.320", false);
  form.Show();
  if (!ready.empty()) {
    Measure(form, ready, vandrel::Narrow(ready).c_str());
    return 0;
  }
  for (int count : counts) {
    for (bool custom : {false, true}) {
      Make(root, count, custom);
      const std::string what = std::to_string(count) + " folders, " +
                               (custom ? "every tenth read-only with an icon of its own" : "plain");
      Measure(form, root, what.c_str());
      Remove(root, count);
    }
  }
  return 0;
}
