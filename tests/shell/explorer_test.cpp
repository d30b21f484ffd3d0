// Ending Explorer, restarting it, and the icon-cache clearing sequence.
#include "shell/explorer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_system.h"

namespace vandrel {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::FakeClock;
using testing::FakeProcesses;

TEST(KillTaskTest, MatchesTheNameOrTheWholeNameWithLettersAToZInAnyCase) {
  FakeProcesses p;
  p.running = {{1, "explorer.exe"},          {2, "EXPLORER.EXE"}, {3, "C:\\Windows\\Explorer.exe"},
               {4, "explorer.exe.bak"},      {5, "myexplorer.exe"}, {6, "notepad.exe"},
               {7, "\xD0\x95XPLORER.EXE"}};  // a Cyrillic first letter is another name
  EXPECT_TRUE(KillTask(p, "explorer.exe"));
  EXPECT_THAT(p.own_log, ElementsAre("terminate 1", "terminate 2", "terminate 3"));
  // A whole name given matches the whole name.
  FakeProcesses q;
  q.running = {{8, "C:\\Tools\\x.exe"}, {9, "x.exe"}};
  EXPECT_TRUE(KillTask(q, "c:\\tools\\X.EXE"));
  EXPECT_THAT(q.own_log, ElementsAre("terminate 8"));
}

TEST(KillTaskTest, NothingMatchingGivesFalseAndErrorsEndTheWalk) {
  FakeProcesses p;
  p.running = {{6, "notepad.exe"}};
  EXPECT_FALSE(KillTask(p, "explorer.exe"));
  p.running = {{1, "explorer.exe"}, {2, "explorer.exe"}, {3, "explorer.exe"}};
  p.cannot_open = {2};
  EXPECT_THROW(KillTask(p, "explorer.exe"), Error);
  EXPECT_THAT(p.own_log, ElementsAre("terminate 1"));  // the one after the failure lives on
  p.snapshot_fails = true;
  EXPECT_THROW(KillTask(p, "explorer.exe"), Error);
}

TEST(KillTaskTest, OnlyProcessesOfThisSessionAreEnded) {
  FakeProcesses p;
  p.own_session = 1;
  p.running = {{1, "explorer.exe", 1}, {2, "explorer.exe", 2}, {3, "explorer.exe", kUnknownSession}, {4, "explorer.exe", 1}};
  p.cannot_open = {2};  // another user's: it could not even be opened
  EXPECT_TRUE(KillTask(p, "explorer.exe"));
  EXPECT_THAT(p.own_log, ElementsAre("terminate 1", "terminate 4"));
  EXPECT_THAT(OwnProcesses(p, "explorer.exe"), ::testing::IsEmpty());
  EXPECT_FALSE(IsRunning(p, "explorer.exe")) << "another user's Explorer is not ours";
  // A session that cannot be told matches nothing.
  p.own_session = kUnknownSession;
  EXPECT_FALSE(IsRunning(p, "explorer.exe"));
}

TEST(RestartExplorerTest, EndsExplorerBetweenNotificationsAndDesktopRefreshes) {
  testing::FakeFileSystem fs;
  testing::FakeShell shell(fs);
  FakeProcesses p;
  p.log = fs.log;
  p.running = {{40, "explorer.exe"}, {41, "explorer.exe"}};
  RestartExplorer(shell, p);
  EXPECT_THAT(*fs.log, ElementsAre("notify", "refresh desktop", "terminate 40", "terminate 41", "notify",
                                   "refresh desktop", "notify"));
  // With no Explorer running the notifications are still sent.
  fs.log->clear();
  RestartExplorer(shell, p);
  EXPECT_THAT(*fs.log, ElementsAre("notify", "refresh desktop", "notify", "refresh desktop", "notify"));
}

// Records the window's side, and checks that it runs only through run_on_ui.
struct RecordingView {
  std::vector<std::string>* log;
  bool on_ui = false;
  bool off_ui_call = false;
  CacheClearingView view() {
    CacheClearingView v;
    v.run_on_ui = [this](const std::function<void()>& step) {
      on_ui = true;
      step();
      on_ui = false;
    };
    v.show_stage = [this](int position, std::string_view item) {
      off_ui_call = off_ui_call || !on_ui;
      log->push_back("ui " + std::to_string(position) + " " + std::string(item));
    };
    v.hide_progress = [this] {
      off_ui_call = off_ui_call || !on_ui;
      log->push_back("ui hide progress");
    };
    v.show_error = [this](const std::string& message) {
      off_ui_call = off_ui_call || !on_ui;
      log->push_back("ui error " + message);
    };
    return v;
  }
};

class CacheClearingTest : public ::testing::Test {
 protected:
  CacheClearingTest() {
    // This session's two Explorers, and another user's, which is never touched.
    processes.running = {{40, "explorer.exe"}, {41, "explorer.exe"}, {77, "explorer.exe", 2}};
    clock.log = &log;
    processes.log = &log;
  }
  std::vector<std::string> log;
  FakeProcesses processes;
  FakeClock clock;
  RecordingView window{&log};
};

TEST_F(CacheClearingTest, TheStepsRunInOrderWithTheirStagesAndPauses) {
  ClearIconCacheSequence(processes, clock, window.view());
  const char* expected[] = {
      "ui 10 LangEndExplorer",
      "run C:\\Windows\\System32\\taskkill.exe /f /pid 40", "run C:\\Windows\\System32\\taskkill.exe /f /pid 41",
      "sleep 3000",
      "ui 30 LangClearingCacheIcon",
      "run C:\\Windows\\System32\\cmd.exe /c attrib -h \"%localappdata%\\IconCache.db\"", "sleep 500",
      "run C:\\Windows\\System32\\cmd.exe /c del /a /f /q \"%localappdata%\\IconCache.db\"", "sleep 500",
      "ui 50 LangClearingAddCacheIcon",
      "run C:\\Windows\\System32\\cmd.exe /c attrib -h \"%localappdata%\\Microsoft\\Windows\\Explorer\\iconcache*\"", "sleep 500",
      "run C:\\Windows\\System32\\cmd.exe /c attrib -h \"%localappdata%\\Microsoft\\Windows\\Explorer\\thumbcache*\"", "sleep 500",
      "ui 70 LangDeletingCacheFiles",
      "run C:\\Windows\\System32\\cmd.exe /c del /a /f /q \"%localappdata%\\Microsoft\\Windows\\Explorer\\iconcache*\"", "sleep 500",
      "run C:\\Windows\\System32\\cmd.exe /c del /a /f /q \"%localappdata%\\Microsoft\\Windows\\Explorer\\thumbcache*\"", "sleep 500",
      "sleep 2000",
      "ui 90 LangStartExplorer",
      "start explorer", "sleep 3000",
      "ui 100 LangClearingCacheComplet", "sleep 1000", "ui hide progress",
  };
  EXPECT_THAT(log, ElementsAreArray(expected));
  EXPECT_EQ(clock.slept, 12000);  // at least 12 seconds when Explorer starts
  EXPECT_FALSE(window.off_ui_call);
}

TEST_F(CacheClearingTest, AnExplorerThatDoesNotStartAgainIsAnErrorNotACompletion) {
  processes.explorer_starts = false;
  ClearIconCacheSequence(processes, clock, window.view());
  EXPECT_EQ(std::count(log.begin(), log.end(), "ui 100 LangClearingCacheComplet"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "ui error Cannot start Explorer again"), 1);
  // The safety net tries once more.
  EXPECT_EQ(std::count(log.begin(), log.end(), "start explorer"), 2);
  EXPECT_EQ(clock.slept, 8000) << "no pause for an Explorer that did not start";
}

TEST_F(CacheClearingTest, ExplorerComesBackEvenWhenTheErrorCannotBeShown) {
  processes.fail_parameters = "/c del /a /f /q \"%localappdata%\\IconCache.db\"";
  CacheClearingView view = window.view();
  view.show_error = [](const std::string&) { throw std::runtime_error("the window is gone"); };
  ClearIconCacheSequence(processes, clock, view);
  EXPECT_EQ(log.back(), "sleep 3000");
  EXPECT_EQ(log[log.size() - 2], "start explorer");
}

TEST_F(CacheClearingTest, AnErrorEndsTheSequenceShowsItAndBringsExplorerBack) {
  processes.fail_parameters = "/c del /a /f /q \"%localappdata%\\IconCache.db\"";
  ClearIconCacheSequence(processes, clock, window.view());
  const auto error = std::find_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("ui error ", 0) == 0; });
  ASSERT_NE(error, log.end());
  EXPECT_EQ(*error, "ui error Cannot run \"C:\\Windows\\System32\\cmd.exe\". The system cannot find the file specified.");
  EXPECT_EQ(std::count(log.begin(), log.end(), "ui 50 LangClearingAddCacheIcon"), 0);  // nothing after the failure
  // taskkill ended Explorer: it is started again, so the user keeps a desktop.
  EXPECT_EQ(log.back(), "sleep 3000");
  EXPECT_EQ(log[log.size() - 2], "start explorer");
  EXPECT_FALSE(window.off_ui_call);
}

TEST_F(CacheClearingTest, AFailingWindowStepEndsTheSequenceTooAndARunningExplorerIsLeftAlone) {
  CacheClearingView view = window.view();
  auto show = view.show_stage;
  view.show_stage = [show](int position, std::string_view item) {
    show(position, item);
    if (position == 10) throw std::runtime_error("the window is gone");
  };
  ClearIconCacheSequence(processes, clock, view);
  EXPECT_THAT(log, ElementsAre("ui 10 LangEndExplorer", "ui error the window is gone"));  // Explorer still runs
}

}  // namespace
}  // namespace vandrel
