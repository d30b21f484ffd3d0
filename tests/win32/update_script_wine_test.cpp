// The portable update script, run as users' machines run it: by the batch
// interpreter (Wine's cmd), with a stand-in for PowerShell first on the PATH
// that records how it was called and unpacks the archive. The program folder's
// name holds what cmd treats specially, a blank and Cyrillic letters.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_processes.h"
#include "tests/support/zip_builder.h"
#include "tests/win32/win32_test_support.h"
#include "update/update_install.h"
#include "update/update_script_win32.h"

namespace vandrel {
namespace {

using ::testing::HasSubstr;
using testing::ReadWholeFile;

std::string Beside(const std::string& name) {
  wchar_t self[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string path = Narrow(std::wstring(self, n));
  return path.substr(0, path.find_last_of('\\') + 1) + name;
}

// The PATH of this process with a folder in front, for the programs it
// starts; put back afterwards.
class PathInFront {
 public:
  explicit PathInFront(const std::string& folder) {
    wchar_t old[32768];
    const DWORD n = ::GetEnvironmentVariableW(L"PATH", old, 32768);
    old_ = std::wstring(old, n < 32768 ? n : 0);
    ::SetEnvironmentVariableW(L"PATH", (Widen(folder) + L";" + old_).c_str());
  }
  ~PathInFront() { ::SetEnvironmentVariableW(L"PATH", old_.c_str()); }

 private:
  std::wstring old_;
};

// A stand-in for a running copy of the program at `exe`: it waits a minute
// unless it is ended; ended at the latest when this goes.
class RunningProgram {
 public:
  explicit RunningProgram(const std::string& exe) {
    std::wstring line = L"\"" + Widen(exe) + L"\" --wait";
    STARTUPINFOW startup{sizeof startup};
    if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                         &process_)) {
      ::CloseHandle(process_.hThread);
    }
  }
  ~RunningProgram() {
    if (!process_.hProcess) return;
    ::TerminateProcess(process_.hProcess, 1);
    ::CloseHandle(process_.hProcess);
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;
  DWORD id() const { return process_.dwProcessId; }
  bool Running() const { return process_.hProcess && ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

 private:
  PROCESS_INFORMATION process_{};
};

// Waits up to 30 s for `done`.
template <typename Done>
bool WaitFor(Done done) {
  for (int i = 0; i < 600; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

TEST(UpdateScriptWineTest, TheScriptPutsTheNewProgramInPlaceAndStartsIt) {
  const struct {
    const char* folder;
    bool started_elsewhere;  // the script's own "cd" must take it to the folder
  } cases[] = {
      // Beyond ASCII the name cannot stand in the script: it starts there.
      {"50% off & more ^! it's Новая программа", false},
      // In ASCII it does, and the script goes there itself.
      {"50% off & more ^! it's x", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    testing::TempFolder work;
    Win32FileSystem fs;
    const std::string program = work.path() + "\\" + c.folder;
    const std::string bin = work.path() + "\\bin";
    ASSERT_TRUE(::CreateDirectoryW(Widen(program).c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(Widen(bin).c_str(), nullptr));
    // PowerShell, and timeout, which Wine 8 lacks: stand-ins of the test's own.
    for (const char* tool : {"powershell.exe", "timeout.exe"})
      ASSERT_TRUE(::CopyFileW(Widen(Beside("fake_powershell.exe")).c_str(), Widen(bin + "\\" + tool).c_str(), FALSE));

    // The running program, another copy of it elsewhere, and the package
    // beside the first: the stand-in installer as the new program, which
    // records that it was started.
    const std::string other = work.path() + "\\Another copy";
    ASSERT_TRUE(::CreateDirectoryW(Widen(other).c_str(), nullptr));
    for (const std::string& folder : {program, other})
      ASSERT_TRUE(::CopyFileW(Widen(Beside("fake_powershell.exe")).c_str(), Widen(folder + "\\Vandrel.exe").c_str(),
                              FALSE));
    RunningProgram running(program + "\\Vandrel.exe"), another(other + "\\Vandrel.exe");
    ASSERT_TRUE(running.Running() && another.Running());
    const std::optional<std::string> new_program = ReadWholeFile(Beside("record_command_line.exe"));
    ASSERT_TRUE(new_program);
    const Bytes zip = testing::BuildZip(testing::ZipSpec{
        .entries = {{.name = "Vandrel.exe", .data = *new_program},
                    {.name = "Language/"},
                    {.name = "Language/Русский.ini", .data = "[Vandrel]\r\n", .flags = 0x0800}}});
    fs.WriteFileAtomically(program + "\\Vandrel.zip", zip);

    const UpdateScript script = PortableUpdateScript(program + "\\", "Vandrel.exe", "Vandrel.zip", running.id());
    EXPECT_EQ(script.lines[1].starts_with("cd /d "), c.started_elsewhere) << script.lines[1];
    const std::string bat = work.path() + "\\" + UpdateScriptName(12, 34, 56);
    fs.WriteFileAtomically(bat, script.Content());
    {
      // Started as the program starts it: hidden, through the shell.
      PathInFront tools(bin);
      Win32Processes processes;
      if (c.started_elsewhere) {
        processes.RunHidden(bat, "", work.path());
      } else {
        StartUpdateScript(processes, bat, script, program + "\\");
      }
      ASSERT_TRUE(WaitFor([&] { return !ReadWholeFile(bat); })) << "the script did not run to its end";
    }

    // PowerShell was called with the script's own line.
    const std::optional<std::string> called = ReadWholeFile(bin + "\\powershell.args");
    ASSERT_TRUE(called) << "PowerShell was not run";
    EXPECT_THAT(*called, HasSubstr("-Command"));
    EXPECT_THAT(*called, HasSubstr("[System.IO.Compression.ZipFile]::OpenRead('Vandrel.zip')"));
    EXPECT_THAT(*called, HasSubstr("ExtractToFile($entry, $target, $true)"));
    // The new program is in place and was started from there; the archive
    // and the script are gone.
    EXPECT_TRUE(ReadWholeFile(program + "\\Vandrel.exe") == new_program) << "the new program is not in place";
    EXPECT_EQ(ReadWholeFile(program + "\\Language\\Русский.ini"), "[Vandrel]\r\n");
    ASSERT_TRUE(WaitFor([&] { return ReadWholeFile(program + "\\Vandrel.exe.args").has_value(); }))
        << "the new program was not started";
    EXPECT_THAT(*ReadWholeFile(program + "\\Vandrel.exe.args"), HasSubstr("Vandrel.exe"));
    EXPECT_FALSE(ReadWholeFile(program + "\\Vandrel.zip")) << "the archive is deleted";
    EXPECT_FALSE(ReadWholeFile(work.path() + "\\Vandrel.zip")) << "nothing happened outside the folder";
    // Only the program that asked for the update was ended.
    EXPECT_FALSE(running.Running());
    EXPECT_TRUE(another.Running()) << "another copy of the program was ended";
  }
}

}  // namespace
}  // namespace vandrel
