// The update window against nginx and a stalling server on 127.0.0.1
// (started by tests/oracle/run_with_servers.py): what the check shows for a
// newer, the same, an older version and for no answer; the start-up check and
// its prompt; downloads, cancelling, stalls, refused archives and installers,
// and what is started afterwards; the signed manifest that decides what is
// offered and installed.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "common/ini_store.h"
#include "platform/win32/win32_ansi_codec.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/wide.h"
#include "tests/fakes/fake_system.h"
#include "tests/win32/win32_test_support.h"
#include "update/unit_update_win32.h"

namespace vandrel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

using testing::HostFile;
using testing::EnvText;
using testing::ReadWholeFile;

// Lets the window's messages run until `done` holds; false after 20 s.
template <typename Done>
bool PumpUntil(Done done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ui::ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

class UpdateWindowWineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ui::InitializeUi(::GetModuleHandleW(nullptr)); }
  void SetUp() override {
    base = EnvText("VANDREL_TEST_HTTP");
    if (base.empty()) GTEST_SKIP() << "no test servers (tests/oracle/run_with_servers.py starts them)";
    program = folder.path() + "\\Program";
    temp = folder.path() + "\\Temp";
    ::CreateDirectoryW(Widen(program).c_str(), nullptr);
    ::CreateDirectoryW(Widen(temp).c_str(), nullptr);
  }
  TForm10::Environment Environment(std::vector<std::string> mirrors, bool portable) {
    return {.local_version = "9.0.26.320",
            .portable_mode = portable,
            .settings_path = [this] { return folder.File("Option.ini"); },
            .mirrors = std::move(mirrors),
            .exe_path = program + "\\Vandrel.exe",
            .stall_limit_ms = 1500,
            .temp_folder = temp,
            .registry = &registry};  // no proxy, whatever the prefix says
  }
  // A window that records what it starts and how the program would end.
  std::unique_ptr<TForm10> Window(TForm10::Environment environment) {
    auto form = std::make_unique<TForm10>(std::move(environment));
    form->set_processes(&processes);
    form->set_ending([this] { ended.push_back("at once"); }, [this] { ended.push_back("normally"); });
    return form;
  }
  // A window that checks once at start-up, as the program's own does; its
  // questions land in `asked` and get `answer`.
  std::unique_ptr<TForm10> StartUpWindow(const std::string& mirror, bool portable, bool answer) {
    TForm10::Environment environment = Environment({mirror}, portable);
    environment.startup_check = true;
    auto form = Window(std::move(environment));
    form->set_prompt([this, answer](const ui::MessageDialogSpec& spec) {
      asked.push_back(spec);
      return answer;
    });
    return form;
  }
  // The window's check with these mirrors, run to its end.
  std::unique_ptr<TForm10> Check(std::vector<std::string> mirrors, bool portable = false) {
    auto form = Window(Environment(std::move(mirrors), portable));
    form->FormShow();
    EXPECT_FALSE(form->ButtonDownload.Enabled()) << "no download while the check runs";
    form->WaitForCheck();
    ui::ProcessMessages();
    return form;
  }
  // Presses the download button and waits for the transfer to end.
  static void Download(TForm10& form) {
    form.ButtonDownloadClick();
    EXPECT_TRUE(form.downloading());
    EXPECT_EQ(form.ButtonDownload.Text(), "Отмена");
    EXPECT_FALSE(form.ButtonClose.Enabled());
    form.WaitForDownload();
    ui::ProcessMessages();
  }
  static void ExpectIdle(TForm10& form, const std::string& status) {
    EXPECT_FALSE(form.downloading());
    EXPECT_EQ(form.LabelUpDate.Text(), status);
    EXPECT_EQ(form.ButtonDownload.Text(), "Скачать");
    EXPECT_TRUE(form.ButtonClose.Enabled());
    EXPECT_TRUE(form.GroupBoxOption.Enabled());
    EXPECT_FALSE(form.ProgressBarUpdate.Visible());
  }
  // What the window last wrote to its update log; empty when nothing.
  static std::string LastLogLine(const TForm10& form) {
    return form.update_log().empty() ? std::string() : form.update_log().back();
  }
  std::string Served(const std::string& relative) {
    return ReadWholeFile(HostFile(EnvText("VANDREL_TEST_SITE") + "/" + relative)).value_or("<not served>");
  }

  std::string base;
  testing::TempFolder folder;
  std::string program, temp;
  testing::FakeRegistry registry;
  testing::FakeProcesses processes;
  std::vector<std::string> ended;
  std::vector<ui::MessageDialogSpec> asked;
};

TEST_F(UpdateWindowWineTest, ANewerVersionIsOfferedAndAnotherIsNot) {
  const struct {
    const char* folder;
    const char* status;
    int result;
    bool download;
  } cases[] = {
      {"download/", "Доступно обновление 9.0.26.320 ---> 9.0.27.1", 1, true},
      {"same/", "Нет обновления", 0, false},
      {"older/", "Нет обновления", -1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    // The first mirror has no update folder: the second one answers.
    auto form = Check({base + "missing/", base + c.folder});
    EXPECT_EQ(form->LabelUpDate.Text(), c.status);
    EXPECT_EQ(form->check_result(), c.result);
    EXPECT_EQ(form->ButtonDownload.Enabled(), c.download);
    EXPECT_EQ(form->ButtonDownload.Text(), "Скачать");
    EXPECT_TRUE(form->GroupBoxOption.Enabled());
    EXPECT_EQ(form->download_url(), base + c.folder + "Vandrel/Vandrel-setup.exe");
    EXPECT_EQ(form->LabelServerVersion.Text(), form->latest_version());
    EXPECT_EQ(form->LabelLocalVersion.Text(), "9.0.26.320");
  }
}

TEST_F(UpdateWindowWineTest, ForcedAllowsAnOlderPackageAndUntickingTakesItBack) {
  auto form = Check({base + "older/"}, true);
  EXPECT_FALSE(form->ButtonDownload.Enabled());
  EXPECT_EQ(form->download_url(), base + "older/Vandrel/Vandrel.zip");
  form->CheckBoxForceUpdate.SetChecked(true);
  form->CheckBoxForceUpdateClick();
  EXPECT_TRUE(form->ButtonDownload.Enabled());
  form->CheckBoxForceUpdate.SetChecked(false);
  form->CheckBoxForceUpdateClick();
  EXPECT_FALSE(form->ButtonDownload.Enabled());
}

TEST_F(UpdateWindowWineTest, NoMirrorAnsweringShowsTheFailureTexts) {
  auto form = Check({base + "missing/", "http://127.0.0.1:1/download/"});
  EXPECT_EQ(form->LabelUpDate.Text(), "Не удалось проверить обновления");
  EXPECT_EQ(form->LabelServerVersion.Text(), "Ошибка соединения");
  EXPECT_EQ(form->check_result(), 0);
  EXPECT_TRUE(form->download_url().empty());
  EXPECT_FALSE(form->ButtonDownload.Enabled());
}

// The user's proxy setting in this prefix's registry, put back afterwards.
class InternetSettings {
 public:
  InternetSettings() {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0, nullptr,
                      0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
    DWORD size = sizeof enable_;
    had_enable_ = ::RegQueryValueExW(key_, L"ProxyEnable", nullptr, nullptr, reinterpret_cast<BYTE*>(&enable_), &size) ==
                  ERROR_SUCCESS;
    wchar_t server[1024] = {};
    size = sizeof server - sizeof(wchar_t);
    had_server_ = ::RegQueryValueExW(key_, L"ProxyServer", nullptr, nullptr, reinterpret_cast<BYTE*>(server), &size) ==
                  ERROR_SUCCESS;
    server_ = server;
  }
  ~InternetSettings() {
    if (had_enable_) {
      Set(enable_, server_);
    } else {
      ::RegDeleteValueW(key_, L"ProxyEnable");
    }
    if (!had_server_) ::RegDeleteValueW(key_, L"ProxyServer");
    ::RegCloseKey(key_);
  }
  void Set(DWORD enable, const std::wstring& server) {
    ::RegSetValueExW(key_, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof enable);
    ::RegSetValueExW(key_, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                     static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
  }

 private:
  HKEY key_ = nullptr;
  DWORD enable_ = 0;
  bool had_enable_ = false, had_server_ = false;
  std::wstring server_;
};

TEST_F(UpdateWindowWineTest, TheUsersProxyCarriesTheCheckAndTheDownloadWhenEnabled) {
  InternetSettings settings;
  settings.Set(1, Widen(EnvText("VANDREL_TEST_PROXY")));
  TForm10::Environment environment = Environment({base + "download/"}, true);
  environment.registry = nullptr;  // the prefix's own registry
  auto form = Window(std::move(environment));
  form->FormShow();
  form->WaitForCheck();
  ui::ProcessMessages();
  ASSERT_EQ(form->check_result(), 1);
  form->CheckBoxQuickUpdate.SetChecked(false);
  Download(*form);
  ExpectIdle(*form, "Файлы обновления загружены!");
  const std::string log = testing::TextOnceItHolds(HostFile(EnvText("VANDREL_TEST_PROXY_LOG")), "Vandrel.zip");
  EXPECT_THAT(log, HasSubstr("GET " + base + "download/Vandrel/version.txt"));
  EXPECT_THAT(log, HasSubstr("GET " + base + "download/Vandrel/Vandrel.zip"));

  // Turned off: straight to the server.
  settings.Set(0, Widen(EnvText("VANDREL_TEST_PROXY")));
  auto direct = Window(Environment({base + "same/"}, true));
  direct->FormShow();
  direct->WaitForCheck();
  ui::ProcessMessages();
  EXPECT_EQ(direct->LabelUpDate.Text(), "Нет обновления");
  ::Sleep(300);
  EXPECT_THAT(testing::ReadWholeFile(HostFile(EnvText("VANDREL_TEST_PROXY_LOG"))).value_or(""),
              ::testing::Not(HasSubstr("same/")));
}

TEST_F(UpdateWindowWineTest, APortablePackageIsSavedBesideTheProgramAsServed) {
  auto form = Check({base + "download/"}, true);
  form->CheckBoxQuickUpdate.SetChecked(false);
  const std::string zip = program + "\\Vandrel.zip";
  Download(*form);
  ExpectIdle(*form, "Файлы обновления загружены!");
  EXPECT_EQ(ReadWholeFile(zip), Served("download/Vandrel/Vandrel.zip"));
  EXPECT_TRUE(processes.own_log.empty()) << "nothing is run without Quick";
  EXPECT_TRUE(ended.empty());
}

TEST_F(UpdateWindowWineTest, APortableQuickUpdateRunsItsScriptHiddenAndEnds) {
  auto form = Check({base + "download/"}, true);
  Download(*form);
  EXPECT_EQ(ReadWholeFile(program + "\\Vandrel.zip"), Served("download/Vandrel/Vandrel.zip"));
  ASSERT_EQ(processes.own_log.size(), 1u);
  const std::string& run = processes.own_log[0];
  ASSERT_THAT(run, ::testing::StartsWith("run " + temp + "\\update_"));
  const std::string script = run.substr(4, run.size() - 5);  // the trailing blank: no parameters
  const Bytes expected =
      PortableUpdateScript(program + "\\", "Vandrel.exe", "Vandrel.zip", ::GetCurrentProcessId()).Content();
  EXPECT_EQ(ReadWholeFile(script), std::string(reinterpret_cast<const char*>(expected.data()), expected.size()));
  EXPECT_EQ(processes.last_run_folder, program + "\\") << "the script starts in the program folder";
  EXPECT_THAT(ended, ElementsAre("at once"));
}

TEST_F(UpdateWindowWineTest, AnArchiveThatClimbsOutOfTheProgramFolderIsNeitherSavedNorRun) {
  auto form = Check({base + "bad/"}, true);
  ASSERT_TRUE(form->ButtonDownload.Enabled());
  Download(*form);
  ExpectIdle(*form, "Файлы обновления не загружены!");
  EXPECT_FALSE(ReadWholeFile(program + "\\Vandrel.zip"));
  EXPECT_TRUE(testing::FolderEntries(temp).empty()) << "no script";
  EXPECT_TRUE(processes.own_log.empty());
  EXPECT_TRUE(ended.empty());
}

TEST_F(UpdateWindowWineTest, TheInstallerIsStartedWithTheExactParameters) {
  {
    Win32FileSystem fs;
    Win32AnsiCodec ansi;
    IniStore ini = IniStore::Open(fs, ansi, folder.File("Option.ini"));
    ini.WriteString("Language", "Language", "English");
    ini.Save(fs);
  }
  // Quick: the real shell starts the stand-in installer, which records its
  // command line, and the program is asked to end.
  auto form = Check({base + "download/"});
  form->set_processes(nullptr);
  Download(*form);
  EXPECT_EQ(form->LabelUpDate.Text(), "Файлы обновления загружены!");
  EXPECT_THAT(ended, ElementsAre("normally"));
  const std::string installer = temp + "\\Vandrel-setup.exe";
  EXPECT_EQ(ReadWholeFile(installer), Served("download/Vandrel/Vandrel-setup.exe"));
  ASSERT_TRUE(PumpUntil([&] { return ReadWholeFile(installer + ".args").has_value(); }))
      << "the installer did not start";
  EXPECT_THAT(*ReadWholeFile(installer + ".args"),
              ::testing::EndsWith(" /SILENT /CLOSEAPPLICATIONS /SUPPRESSMSGBOXES /LANG=English /MERGETASKS=\"runcmd1\""));

  // Without Quick: no parameters, and the program goes on.
  auto plain = Check({base + "download/"});
  plain->CheckBoxQuickUpdate.SetChecked(false);
  Download(*plain);
  ExpectIdle(*plain, "Файлы обновления загружены!");
  EXPECT_THAT(processes.own_log, ElementsAre("open " + installer + " "));
  EXPECT_THAT(ended, ElementsAre("normally"));
}

TEST_F(UpdateWindowWineTest, AFailedTransferReturnsTheWindowToIdle) {
  // A signed manifest names an installer the server does not have (404).
  auto form = Check({base + "gone/"});
  ASSERT_TRUE(form->ButtonDownload.Enabled());
  Download(*form);
  ExpectIdle(*form, "Файлы обновления не загружены!");
  // A failed check leaves no address: the same.
  auto failed = Check({"http://127.0.0.1:1/download/"});
  failed->CheckBoxForceUpdate.SetChecked(true);
  failed->CheckBoxForceUpdateClick();
  Download(*failed);
  ExpectIdle(*failed, "Файлы обновления не загружены!");
  EXPECT_TRUE(testing::FolderEntries(temp).empty());
  EXPECT_TRUE(processes.own_log.empty());
}

TEST_F(UpdateWindowWineTest, AStalledServerFailsTheDownload) {
  // Silent in the middle of the package, or before its first header.
  for (const std::string& mirror : {EnvText("VANDREL_TEST_STALL"), EnvText("VANDREL_TEST_STALL") + "silent-package/"}) {
    SCOPED_TRACE(mirror);
    auto form = Check({mirror});
    ASSERT_TRUE(form->ButtonDownload.Enabled());
    const auto start = std::chrono::steady_clock::now();
    Download(*form);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15)) << "the stall limit is 1.5 s here";
    ExpectIdle(*form, "Файлы обновления не загружены!");
    EXPECT_TRUE(testing::FolderEntries(temp).empty());
  }
}

TEST_F(UpdateWindowWineTest, CancelBreaksTheTransferOffAtOnceAndKeepsAnEarlierPackage) {
  // slow/ sends 200 kB a second: the package takes a while.
  auto form = Check({base + "slow/"}, true);
  form->CheckBoxQuickUpdate.SetChecked(false);
  const std::string zip = program + "\\Vandrel.zip";
  const std::string earlier = "an earlier package";
  Win32FileSystem().WriteFileAtomically(zip, std::as_bytes(std::span(earlier.data(), earlier.size())));
  form->ButtonDownloadClick();
  ASSERT_TRUE(PumpUntil([&] { return form->ProgressBarUpdate.Position() > 0; })) << "no progress";
  form->ButtonDownloadClick();
  ExpectIdle(*form, "Файлы обновления не загружены!");
  EXPECT_EQ(form->ProgressBarUpdate.Position(), 0);
  form->WaitForDownload();
  ui::ProcessMessages();
  EXPECT_EQ(ReadWholeFile(zip), "an earlier package");
  EXPECT_EQ(form->LabelUpDate.Text(), "Файлы обновления не загружены!") << "the broken-off transfer changed nothing";

  // A new start right after a cancel runs to its end.
  form->ButtonDownloadClick();
  form->ButtonDownloadClick();
  form->ButtonDownloadClick();
  form->WaitForDownload();
  ui::ProcessMessages();
  ExpectIdle(*form, "Файлы обновления загружены!");
  EXPECT_EQ(ReadWholeFile(zip), Served("download/Vandrel/Vandrel.zip"));
}

TEST_F(UpdateWindowWineTest, ClosingTheWindowOrTheProgramDuringATransferNeitherWaitsNorCrashes) {
  auto form = Check({base + "slow/"}, true);
  form->CheckBoxQuickUpdate.SetChecked(false);
  form->ButtonDownloadClick();
  ASSERT_TRUE(PumpUntil([&] { return form->ProgressBarUpdate.Position() > 0; }));
  form->Close();  // the close box: the transfer breaks off
  EXPECT_FALSE(form->downloading());
  form->ButtonDownloadClick();
  ASSERT_TRUE(PumpUntil([&] { return form->ProgressBarUpdate.Position() > 0; }));
  const auto start = std::chrono::steady_clock::now();
  form.reset();  // the program ends while a transfer runs
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  // What the abandoned worker brings back later reaches no window.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ui::ProcessMessages();
  EXPECT_FALSE(ReadWholeFile(program + "\\Vandrel.zip"));
}

TEST_F(UpdateWindowWineTest, ASignedInstallerStartsOnlyWhenItsSignatureHolds) {
  if (EnvText("VANDREL_TEST_SIGNED").empty()) GTEST_SKIP() << "no signed installers (openssl and osslsigncode make them)";
  ASSERT_TRUE(testing::TrustInThisPrefix(HostFile(EnvText("VANDREL_TEST_CA"))));
  const std::string installer = temp + "\\Vandrel-setup.exe";
  const struct {
    const char* folder;
    bool pinned;       // the build pins the test publisher
    const char* why;   // empty: started
  } cases[] = {
      {"signed/", false, ""},
      {"tampered/", false, "changed after it was signed"},
      {"foreign/", false, "not trusted"},
      {"download/", false, ""},  // unsigned: its manifest vouches for it
      {"signed/", true, ""},
      {"publisher/", true, "another publisher"},
      {"download/", true, "not signed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.folder) + (c.pinned ? " pinned" : ""));
    processes.own_log.clear();
    TForm10::Environment environment = Environment({base + c.folder}, false);
    if (c.pinned) environment.publisher_sha256 = EnvText("VANDREL_TEST_PUBLISHER_SHA256");
    auto form = Window(std::move(environment));
    form->FormShow();
    form->WaitForCheck();
    ui::ProcessMessages();
    ASSERT_EQ(form->check_result(), 1);
    form->CheckBoxQuickUpdate.SetChecked(false);
    Download(*form);
    if (!*c.why) {
      ExpectIdle(*form, "Файлы обновления загружены!");
      EXPECT_THAT(processes.own_log, ElementsAre("open " + installer + " "));
    } else {
      ExpectIdle(*form, "Подпись обновления не подтверждена");
      EXPECT_TRUE(processes.own_log.empty());
      EXPECT_FALSE(ReadWholeFile(installer)) << "the refused installer is not left behind";
      EXPECT_THAT(LastLogLine(*form), HasSubstr("The installer is not started"));
      EXPECT_THAT(LastLogLine(*form), HasSubstr(c.why));
    }
  }
}

TEST_F(UpdateWindowWineTest, WhatTheMakerDidNotSignIsNeverOfferedSavedOrStarted) {
  // Refused by the check: the version is not shown, nothing can be fetched.
  const struct {
    const char* folder;
    const char* why;
  } refused_by_check[] = {
      {"otherkey/", "not signed with this build's key"},
      {"nomanifest/", "no manifest"},
      {"nosig/", "no signature"},
      {"mismatch/", "names version 9.0.27.2, the version file 9.0.27.1"},
      {"forged/", "names version 9.0.27.1, the version file 99"},
  };
  for (const bool portable : {false, true}) {
    for (const auto& c : refused_by_check) {
      SCOPED_TRACE(std::string(c.folder) + (portable ? " portable" : " installed"));
      auto form = Check({base + c.folder}, portable);
      EXPECT_EQ(form->LabelUpDate.Text(), "Подпись обновления не подтверждена");
      EXPECT_EQ(form->LabelServerVersion.Text(), "") << "an unconfirmed version is not shown";
      EXPECT_EQ(form->check_result(), 0);
      EXPECT_TRUE(form->download_url().empty());
      EXPECT_FALSE(form->ButtonDownload.Enabled());
      EXPECT_THAT(LastLogLine(*form), HasSubstr(c.why));
    }
  }
  // Refused when the package arrives, or before it is asked for.
  const struct {
    const char* folder;
    bool forced;
    const char* why;
  } refused_by_download[] = {
      {"altered/", false, "SHA-256"},
      {"sizemismatch/", false, "the manifest says"},
      {"older/", true, "9.0.25 is older than this program's 9.0.26.320"},
  };
  for (const bool portable : {false, true}) {
    for (const auto& c : refused_by_download) {
      SCOPED_TRACE(std::string(c.folder) + (portable ? " portable" : " installed"));
      processes.own_log.clear();
      auto form = Check({base + c.folder}, portable);
      if (c.forced) {
        EXPECT_EQ(form->LabelUpDate.Text(), "Нет обновления");
        form->CheckBoxForceUpdate.SetChecked(true);
        form->CheckBoxForceUpdateClick();
      }
      ASSERT_TRUE(form->ButtonDownload.Enabled());
      Download(*form);
      ExpectIdle(*form, "Подпись обновления не подтверждена");
      EXPECT_THAT(LastLogLine(*form), HasSubstr(c.why));
      EXPECT_TRUE(testing::FolderEntries(temp).empty()) << "nothing saved where it would run";
      EXPECT_FALSE(ReadWholeFile(program + "\\Vandrel.zip"));
      EXPECT_TRUE(processes.own_log.empty());
      EXPECT_TRUE(ended.empty());
    }
  }
  // The first mirror unconfirmed, the second genuine: the second is used.
  auto second = Check({base + "otherkey/", base + "download/"});
  EXPECT_EQ(second->check_result(), 1);
  EXPECT_EQ(second->download_url(), base + "download/Vandrel/Vandrel-setup.exe");
}

TEST_F(UpdateWindowWineTest, ArchivesAnExtractorWouldReadOtherwiseAreNeitherSavedNorRun) {
  const struct {
    const char* folder;
    const char* why;
  } cases[] = {
      {"zip-zip64/", "Zip64"},
      {"zip-stream/", "Vandrel.exe:hidden"},
      {"zip-device/", "device name: NUL.txt"},
      {"zip-localname/", "local header names another file"},
      {"zip-huge/", "512 MiB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    processes.own_log.clear();
    auto form = Check({base + c.folder}, true);
    ASSERT_TRUE(form->ButtonDownload.Enabled()) << "signed, so only the archive is in question";
    Download(*form);
    ExpectIdle(*form, "Файлы обновления не загружены!");
    EXPECT_THAT(LastLogLine(*form), HasSubstr(c.why));
    EXPECT_TRUE(testing::FolderEntries(program).empty()) << "nothing left beside the program";
    EXPECT_TRUE(testing::FolderEntries(temp).empty()) << "no script";
    EXPECT_TRUE(processes.own_log.empty());
    EXPECT_TRUE(ended.empty()) << "the program still runs";
  }
}

TEST_F(UpdateWindowWineTest, AVersionFileOfTenMegabytesOrTwoLinesFailsTheCheck) {
  for (const char* folder : {"big/", "linebreak/"}) {
    SCOPED_TRACE(folder);
    const auto start = std::chrono::steady_clock::now();
    auto form = Check({base + folder});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(form->LabelUpDate.Text(), "Не удалось проверить обновления");
    EXPECT_EQ(form->LabelServerVersion.Text(), "Ошибка соединения");
    EXPECT_FALSE(form->ButtonDownload.Enabled());
    EXPECT_THAT(LastLogLine(*form),
                HasSubstr(std::string(folder) == "big/" ? "longer than 1024 bytes" : "no plain version"));
  }
}

TEST_F(UpdateWindowWineTest, APackageOfAnotherLengthIsRefusedBeforeItsBody) {
  // The server promises 2,000,000,000 bytes where the manifest says 100,000.
  auto form = Check({EnvText("VANDREL_TEST_STALL") + "huge/"});
  ASSERT_TRUE(form->ButtonDownload.Enabled());
  const auto start = std::chrono::steady_clock::now();
  Download(*form);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500)) << "not the stall limit";
  ExpectIdle(*form, "Подпись обновления не подтверждена");
  EXPECT_THAT(LastLogLine(*form), HasSubstr("the server sends 2000000000 bytes, the manifest says 100000"));
  EXPECT_TRUE(testing::FolderEntries(temp).empty());
}

TEST_F(UpdateWindowWineTest, AServerThatTricklesCannotHoldTheCheckAndAShowingChecksAgain) {
  // One byte every 3 s never trips the 5-s receive time-out; the mirror's
  // deadline (6 s here, 20 s in the program) ends it, and the next mirror answers.
  TForm10::Environment environment = Environment({EnvText("VANDREL_TEST_TRICKLE"), base + "download/"}, false);
  environment.mirror_deadline_ms = 6000;
  auto form = Window(std::move(environment));
  form->FormShow();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_TRUE(form->checking());
  // Shown again while the first check hangs: a check of its own starts at once.
  form->FormClose();
  const auto second = std::chrono::steady_clock::now();
  form->FormShow();
  EXPECT_TRUE(form->checking());
  EXPECT_EQ(form->LabelUpDate.Text(), "Проверка обновления...");
  form->WaitForCheck();
  ui::ProcessMessages();
  const auto took = std::chrono::steady_clock::now() - second;
  EXPECT_GE(took, std::chrono::milliseconds(5500));
  EXPECT_LT(took, std::chrono::milliseconds(9500)) << "the deadline, and at most one 3-s wait past it";
  EXPECT_EQ(form->check_result(), 1);
  EXPECT_TRUE(form->ButtonDownload.Enabled());
  // The first check ends too, and changes nothing: one failure in the log.
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ui::ProcessMessages();
  const auto& log = form->update_log();
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.find("too long") != l.npos; }), 1)
      << ::testing::PrintToString(log);
  EXPECT_EQ(form->check_result(), 1);
}

TEST_F(UpdateWindowWineTest, AManifestSignedWithTheBuildsSecondKeyIsAccepted) {
  auto form = Check({base + "rotated/"}, true);
  ASSERT_EQ(form->check_result(), 1);
  form->CheckBoxQuickUpdate.SetChecked(false);
  Download(*form);
  ExpectIdle(*form, "Файлы обновления загружены!");
  EXPECT_EQ(ReadWholeFile(program + "\\Vandrel.zip"), Served("rotated/Vandrel/Vandrel.zip"));
}

std::function<void()> g_tick;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_tick) g_tick();
}

TEST_F(UpdateWindowWineTest, TheStartUpCheckAsksOnceAndAYesDownloadsWithoutAClick) {
  std::vector<ui::MessageDialogSpec> asked;
  bool answer = false;
  const auto start_up = [&] {
    TForm10::Environment environment = Environment({base + "download/"}, true);
    environment.startup_check = true;
    auto form = Window(std::move(environment));
    form->set_prompt([&](const ui::MessageDialogSpec& spec) {
      asked.push_back(spec);
      return answer;
    });
    return form;
  };
  // "No": nothing else happens.
  auto form = start_up();
  form->WaitForStartupCheck();
  ui::ProcessMessages();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].title, "Vandrel");
  EXPECT_EQ(asked[0].text, "Доступно обновление 9.0.27.1\r\nХотите обновить приложение сейчас?");
  EXPECT_THAT(asked[0].buttons, ElementsAre("Да", "Нет"));
  EXPECT_EQ(asked[0].default_button, 0);
  EXPECT_FALSE(::IsWindowVisible(form->hwnd()));
  EXPECT_TRUE(processes.own_log.empty());

  // "Yes": the window opens modally, shows the update and downloads by
  // itself; a timer of the modal loop watches it and closes it once done.
  answer = true;
  form = start_up();
  std::string status_while_open;
  bool was_visible = false;
  g_tick = [&] {
    if (status_while_open.empty()) status_while_open = form->LabelUpDate.Text();
    was_visible = was_visible || ::IsWindowVisible(form->hwnd());
    if (!form->downloading() && !ended.empty()) form->Close();
  };
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, Tick);
  form->WaitForStartupCheck();
  ::KillTimer(nullptr, timer);
  g_tick = nullptr;
  EXPECT_TRUE(was_visible);
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(status_while_open, "Доступно обновление 9.0.26.320 ---> 9.0.27.1");
  EXPECT_THAT(ended, ElementsAre("at once")) << "the portable quick update ran";
  EXPECT_EQ(ReadWholeFile(program + "\\Vandrel.zip"), Served("download/Vandrel/Vandrel.zip"));
}

TEST_F(UpdateWindowWineTest, AYesWhileTheWindowIsOpenDownloadsInThatWindow) {
  TForm10::Environment environment = Environment({base + "download/"}, true);
  environment.startup_check = true;
  auto form = Window(std::move(environment));
  int asked = 0;
  form->set_prompt([&](const ui::MessageDialogSpec&) {
    ++asked;
    return true;
  });
  form->CheckBoxQuickUpdate.SetChecked(false);
  form->Show();  // the user opened the window before the start-up check ended
  // Should the window be shown modally a second time, this ends that loop.
  int modal_loops_closed = 0;
  g_tick = [&] {
    if (!form->downloading()) {
      ++modal_loops_closed;
      form->Close();
    }
  };
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, Tick);
  form->WaitForStartupCheck();
  ::KillTimer(nullptr, timer);
  g_tick = nullptr;
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(modal_loops_closed, 0) << "the open window was not shown again";
  form->WaitForDownload();
  form->WaitForCheck();
  ui::ProcessMessages();
  ExpectIdle(*form, "Файлы обновления загружены!");
  EXPECT_EQ(ReadWholeFile(program + "\\Vandrel.zip"), Served("download/Vandrel/Vandrel.zip"));
}

TEST_F(UpdateWindowWineTest, TheStartUpPromptWaitsUntilTheProgramAllowsIt) {
  // The program holds it while its language steps let messages run.
  TForm10::Environment environment = Environment({base + "download/"}, false);
  environment.startup_check = true;
  environment.hold_startup_prompt = true;
  auto form = Window(std::move(environment));
  form->set_prompt([this](const ui::MessageDialogSpec& spec) {
    asked.push_back(spec);
    return false;
  });
  form->WaitForStartupCheck();  // the result arrives while messages run
  ui::ProcessMessages();
  EXPECT_TRUE(form->update_available());
  EXPECT_TRUE(asked.empty()) << "no question before the windows are translated and shown";
  form->AllowStartupPrompt();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].text, "Доступно обновление 9.0.27.1\r\nХотите обновить приложение сейчас?");
  form->AllowStartupPrompt();
  EXPECT_EQ(asked.size(), 1u) << "asked once";
}

TEST_F(UpdateWindowWineTest, AForgedVersionFileAloneNeverPromptsAtStartUp) {
  for (const char* folder : {"forged/", "nomanifest/", "otherkey/"}) {
    SCOPED_TRACE(folder);
    auto form = StartUpWindow(base + folder, false, true);
    form->WaitForStartupCheck();
    ui::ProcessMessages();
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(form->update_available());
    EXPECT_TRUE(form->pending_version().empty());
    EXPECT_FALSE(::IsWindowVisible(form->hwnd()));
    EXPECT_TRUE(processes.own_log.empty());
  }
}

TEST_F(UpdateWindowWineTest, NoStartUpRequestWhenTheUserTurnedTheCheckOff) {
  {
    Win32FileSystem fs;
    Win32AnsiCodec ansi;
    IniStore ini = IniStore::Open(fs, ansi, folder.File("Option.ini"));
    ini.WriteBool("Option", "CheckBoxAutoCheck", false);
    ini.Save(fs);
  }
  auto form = StartUpWindow(base + "download/", true, false);
  form->WaitForStartupCheck();
  ui::ProcessMessages();
  EXPECT_FALSE(form->CheckBoxAutoCheck.Checked());
  EXPECT_TRUE(form->pending_version().empty()) << "no request was made";
  EXPECT_TRUE(asked.empty());
}

}  // namespace
}  // namespace vandrel
