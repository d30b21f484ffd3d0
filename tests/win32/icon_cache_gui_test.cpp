// A real clearing of Explorer's icon cache under Wine: taskkill, the command
// interpreter and a new explorer.exe. It ends Explorer, so it runs in a
// prefix of its own (see tests/CMakeLists.txt), never beside other tests.
#include <windows.h>
#include <shlobj.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <set>

#include "app/unit_base_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_processes.h"
#include "platform/text.h"
#include "shell/explorer.h"
#include "tests/fakes/fake_system.h"
#include "tests/win32/gui_support.h"
#include "tests/win32/win32_test_support.h"

namespace vandrel {
namespace {

using ::testing::ElementsAre;

std::set<std::uint32_t> ExplorerIds() {
  std::set<std::uint32_t> ids;
  for (const ProcessEntry& p : Win32Processes().List())
    if (EqualsNoCase(p.exe_name, "explorer.exe")) ids.insert(p.id);
  return ids;
}

void MakeFile(const std::string& path, DWORD attributes) {
  Win32FileSystem fs;
  fs.CreateFolders(path.substr(0, path.find_last_of('\\')));
  const std::string text = "cache";
  fs.WriteFileAtomically(path, std::as_bytes(std::span(text.data(), text.size())));
  ::SetFileAttributesW(ToWinPath(path).c_str(), attributes);
}

TEST(IconCacheWineTest, AClearingDeletesTheCacheFilesShowsEachStageAndStartsExplorerAgain) {
  ui::InitializeUi(::GetModuleHandleW(nullptr));
  wchar_t local[MAX_PATH] = {};
  ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local), S_OK);
  const std::string base = Narrow(local);
  const std::string explorer = base + "\\Microsoft\\Windows\\Explorer\\";
  MakeFile(base + "\\IconCache.db", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(explorer + "iconcache_32.db", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(explorer + "thumbcache_96.db", FILE_ATTRIBUTE_NORMAL);
  MakeFile(explorer + "keep.db", FILE_ATTRIBUTE_NORMAL);
  const std::set<std::uint32_t> before = ExplorerIds();

  testing::TempFolder dir;
  TForm1 form({}, "9.0.26.320", true, dir.File("Vandrel.exe"));
  form.Show();
  form.DeleteIconCacheClick();
  EXPECT_TRUE(form.clearing_icon_cache());
  EXPECT_FALSE(form.DeleteIconCache.Enabled()) << "a second clearing cannot start meanwhile";
  EXPECT_FALSE(form.RestartExplorerMenu.Enabled()) << "nor a restart of Explorer, which would cut it short";
  EXPECT_TRUE(form.ProgressBar1.Visible());

  // The window stays responsive; watch its status line change.
  std::vector<std::string> shown;
  const DWORD start = ::GetTickCount();
  while (form.clearing_icon_cache() && ::GetTickCount() - start < 90000) {
    ui::ProcessMessages();
    std::string text = form.StatusBar.PanelText(0);
    text.erase(0, text.find_first_not_of('\t'));
    if (!text.empty() && (shown.empty() || shown.back() != text)) shown.push_back(text);
    ::Sleep(20);
  }
  form.WaitForIconCacheClearing();
  ui::ProcessMessages();
  const DWORD took = ::GetTickCount() - start;
  EXPECT_THAT(shown, ElementsAre("Завершение процесса Explorer...", "Очистка основного кэша иконок...",
                                 "Очистка дополнительного кэша иконок...", "Удаление файлов кэша...",
                                 "Запуск проводника Windows...", "Очистка кэша завершена!"));
  EXPECT_GE(took, 12000u);
  EXPECT_FALSE(form.ProgressBar1.Visible());
  EXPECT_TRUE(form.DeleteIconCache.Enabled());
  EXPECT_TRUE(form.RestartExplorerMenu.Enabled());

  Win32FileSystem fs;
  EXPECT_FALSE(fs.FileExists(base + "\\IconCache.db"));
  EXPECT_FALSE(fs.FileExists(explorer + "iconcache_32.db"));
  EXPECT_FALSE(fs.FileExists(explorer + "thumbcache_96.db"));
  EXPECT_TRUE(fs.FileExists(explorer + "keep.db"));

  // The Explorers of before were ended, each by its id; a new one runs and
  // is closed again here.
  for (std::uint32_t id : before) EXPECT_FALSE(ExplorerIds().count(id)) << "Explorer " << id << " still runs";
  std::set<std::uint32_t> started;
  for (std::uint32_t id : ExplorerIds())
    if (!before.count(id)) started.insert(id);
  EXPECT_FALSE(started.empty());
  Win32Processes processes;
  for (std::uint32_t id : started) processes.Terminate(id);
}

TEST(IconCacheWindowTest, TheStatusTextsAreTheCaptionsOfTheMomentAndAnErrorIsShown) {
  ui::InitializeUi(::GetModuleHandleW(nullptr));
  testing::TempFolder dir;
  testing::FakeProcesses processes;
  testing::FakeClock clock;
  TForm1 form({}, "9.0.26.320", true, dir.File("Vandrel.exe"));
  form.set_processes(&processes);
  form.set_clock(&clock);
  // A caption changed after the window was made (a language applied) is the one shown.
  testing::Named<ui::MenuItem>(form, "LangClearingCacheComplet").SetProperty("Caption", "Cache cleared!");
  form.DeleteIconCacheClick();
  form.WaitForIconCacheClearing();
  ui::ProcessMessages();
  EXPECT_EQ(form.StatusBar.PanelText(0), "\t\tCache cleared!");
  EXPECT_FALSE(form.ProgressBar1.Visible());
  EXPECT_TRUE(form.DeleteIconCache.Enabled());
  EXPECT_EQ(clock.slept, 12000);

  // A failing step: the progress goes, the status says why, Explorer comes back.
  processes.own_log.clear();
  processes.fail_parameters = "/c attrib -h \"%localappdata%\\IconCache.db\"";
  form.DeleteIconCacheClick();
  form.WaitForIconCacheClearing();
  ui::ProcessMessages();
  EXPECT_EQ(form.StatusBar.PanelText(0),
            "\t\tОшибка! Cannot run \"C:\\Windows\\System32\\cmd.exe\". The system cannot find the file specified.");
  EXPECT_FALSE(form.ProgressBar1.Visible());
  EXPECT_TRUE(form.DeleteIconCache.Enabled());
  EXPECT_EQ(processes.own_log.back(), "start explorer");
}

TEST(IconCacheWindowTest, RestartingExplorerSaysNothingWhenAProcessCannotBeEnded) {
  ui::InitializeUi(::GetModuleHandleW(nullptr));
  testing::TempFolder dir;
  testing::FakeProcesses processes;
  processes.running = {{40, "explorer.exe"}, {41, "EXPLORER.EXE"}, {42, "explorer.exe"}};
  processes.cannot_open = {41};
  std::vector<std::string> reports;
  ui::SetErrorReporter([&](HWND, const std::string& text) { reports.push_back(text); });
  TForm1 form({}, "9.0.26.320", true, dir.File("Vandrel.exe"));
  form.set_processes(&processes);
  ::SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(form.RestartExplorerMenu.command, 0), 0);
  ui::SetErrorReporter({});
  EXPECT_TRUE(reports.empty());
  EXPECT_THAT(processes.own_log, ElementsAre("terminate 40"));  // the walk ended at the one that could not be opened
  processes.cannot_open.clear();
  EXPECT_TRUE(form.KillTask("explorer.exe"));
  EXPECT_TRUE(processes.running.empty());
  EXPECT_FALSE(form.KillTask("explorer.exe"));  // nothing left to end
}

// Sleeps cost nothing, except the first, which waits until the test lets it go.
class HeldClock final : public Clock {
 public:
  HeldClock() : release_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  void Sleep(int) override {
    if (!held_once_.exchange(true)) ::WaitForSingleObject(release_.get(), 30000);
  }
  void Release() { ::SetEvent(release_.get()); }

 private:
  UniqueHandle release_;
  std::atomic<bool> held_once_{false};
};

TEST(IconCacheCloseTest, ClosingTheWindowMidwayLetsTheClearingFinishAndBringExplorerBack) {
  ui::InitializeUi(::GetModuleHandleW(nullptr));
  testing::TempFolder dir;
  testing::FakeProcesses processes;
  processes.running = {{40, "explorer.exe"}};
  HeldClock clock;
  auto form = std::make_unique<TForm1>(std::vector<std::string>{}, "9.0.26.320", true, dir.File("Vandrel.exe"));
  form->set_processes(&processes);
  form->set_clock(&clock);
  form->Show();
  form->DeleteIconCacheClick();
  form->DeleteIconCacheClick();  // a second click while it runs starts nothing
  // The worker now waits after taskkill; the user closes the window.
  ::SendMessageW(form->hwnd(), WM_CLOSE, 0, 0);
  MSG quit;
  while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  EXPECT_FALSE(::IsWindow(form->hwnd()));
  clock.Release();
  form.reset();  // waits for the clearing to end
  EXPECT_EQ(std::count(processes.own_log.begin(), processes.own_log.end(),
                       "run C:\\Windows\\System32\\taskkill.exe /f /pid 40"),
            1);
  EXPECT_EQ(processes.own_log.back(), "start explorer");
  ASSERT_EQ(processes.running.size(), 1u);
  EXPECT_EQ(processes.running[0].exe_name, "explorer.exe");
}

}  // namespace
}  // namespace vandrel
