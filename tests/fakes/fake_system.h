// An in-memory registry, process table and clock that record what was asked.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "platform/registry.h"
#include "tests/fakes/fake_file_system.h"

namespace vandrel::testing {

class FakeRegistry final : public Registry {
 public:
  // key -> value name -> text; keys compared without case, as the registry does.
  std::map<std::string, std::map<std::string, std::string>, NoCaseLess> keys;
  std::set<std::string, NoCaseLess> refuse_create;  // creating these fails
  std::set<std::string, NoCaseLess> refuse_write;   // writing values of these fails
  std::vector<std::string> log;                     // "create K", "set K [name] = v", "delete K"

  bool KeyExists(const std::string& key) override;
  void CreateKey(const std::string& key) override;
  void SetString(const std::string& key, const std::string& name, const std::string& value) override;
  void DeleteTree(const std::string& key) override;
  std::optional<std::uint32_t> ReadDword(const std::string& key, const std::string& name) override;
  std::optional<std::string> ReadString(const std::string& key, const std::string& name) override;
  // DWORD values, apart from the texts.
  std::map<std::string, std::map<std::string, std::uint32_t>, NoCaseLess> dwords;
};

class FakeProcesses final : public Processes {
 public:
  std::vector<ProcessEntry> running;
  std::set<std::uint32_t> cannot_open;  // Terminate throws for these
  bool snapshot_fails = false;
  bool explorer_starts = true;
  std::string fail_parameters;  // RunHidden throws for these parameters
  std::uint32_t next_id = 1000;
  // "terminate 12", "run taskkill /f /im explorer.exe", "start explorer", and
  // whatever the clock and the window add when they share it.
  std::vector<std::string>* log = &own_log;
  std::vector<std::string> own_log;

  std::vector<ProcessEntry> List() override;
  std::uint32_t own_session = 0;  // the entries' default session is this one
  std::uint32_t OwnSession() override { return own_session; }
  std::string SystemFolder() override { return "C:\\Windows\\System32"; }
  bool Terminate(std::uint32_t id) override;
  void RunHidden(const std::string& file, const std::string& parameters, const std::string& folder = {}) override;
  std::string last_run_folder;  // the working folder RunHidden was last given
  void Open(const std::string& file, const std::string& parameters) override;  // logs "open FILE PARAMETERS"
  bool StartExplorer() override;
};

class FakeClock final : public Clock {
 public:
  int slept = 0;  // milliseconds in all
  std::vector<std::string>* log = nullptr;
  void Sleep(int milliseconds) override;
};

}  // namespace vandrel::testing
