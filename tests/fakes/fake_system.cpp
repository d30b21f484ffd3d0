#include "tests/fakes/fake_system.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/text.h"

namespace vandrel::testing {

bool FakeRegistry::KeyExists(const std::string& key) { return keys.count(key) != 0; }

void FakeRegistry::CreateKey(const std::string& key) {
  if (refuse_create.count(key)) throw Error("Cannot create the registry key \"" + key + "\"", "Access is denied.");
  log.push_back("create " + key);
  // Parents come into being with the key.
  for (std::size_t pos = key.find('\\'); pos != std::string::npos; pos = key.find('\\', pos + 1))
    keys.try_emplace(key.substr(0, pos));
  keys.try_emplace(key);
}

void FakeRegistry::SetString(const std::string& key, const std::string& name, const std::string& value) {
  if (!keys.count(key)) throw Error("Cannot open the registry key \"" + key + "\"", "The system cannot find the file specified.");
  if (refuse_write.count(key)) throw Error("Cannot write the registry value \"" + name + "\"", "Access is denied.");
  log.push_back("set " + key + " [" + name + "] = " + value);
  keys[key][name] = value;
}

void FakeRegistry::DeleteTree(const std::string& key) {
  log.push_back("delete " + key);
  const std::string prefix = key + "\\";
  for (auto it = keys.begin(); it != keys.end();) {
    const bool below = it->first.size() > prefix.size() && EqualsNoCase(std::string_view(it->first).substr(0, prefix.size()), prefix);
    if (below || EqualsNoCase(it->first, key)) {
      it = keys.erase(it);
    } else {
      ++it;
    }
  }
}

std::optional<std::uint32_t> FakeRegistry::ReadDword(const std::string& key, const std::string& name) {
  const auto k = dwords.find(key);
  if (k == dwords.end() || !keys.count(key)) return std::nullopt;
  const auto v = k->second.find(name);
  if (v == k->second.end()) return std::nullopt;
  return v->second;
}

std::optional<std::string> FakeRegistry::ReadString(const std::string& key, const std::string& name) {
  const auto k = keys.find(key);
  if (k == keys.end()) return std::nullopt;
  const auto v = k->second.find(name);
  if (v == k->second.end()) return std::nullopt;
  return v->second;
}

std::vector<ProcessEntry> FakeProcesses::List() {
  if (snapshot_fails) throw Error("Cannot list the running processes", "Not enough memory.");
  return running;
}

bool FakeProcesses::Terminate(std::uint32_t id) {
  if (cannot_open.count(id)) throw Error("Cannot open process " + std::to_string(id), "Access is denied.");
  log->push_back("terminate " + std::to_string(id));
  const auto it = std::find_if(running.begin(), running.end(), [id](const ProcessEntry& p) { return p.id == id; });
  if (it == running.end()) return false;
  running.erase(it);
  return true;
}

void FakeProcesses::RunHidden(const std::string& file, const std::string& parameters, const std::string& folder) {
  last_run_folder = folder;
  if (!fail_parameters.empty() && parameters == fail_parameters)
    throw Error("Cannot run \"" + file + "\"", "The system cannot find the file specified.");
  log->push_back("run " + file + " " + parameters);
  // taskkill ends the process it is given by id.
  if (EqualsNoCase(file, SystemFolder() + "\\taskkill.exe") && parameters.starts_with("/f /pid ")) {
    const std::uint32_t id = static_cast<std::uint32_t>(std::stoul(parameters.substr(8)));
    std::erase_if(running, [id](const ProcessEntry& p) { return p.id == id; });
  }
}

void FakeProcesses::Open(const std::string& file, const std::string& parameters) {
  log->push_back("open " + file + " " + parameters);
}

bool FakeProcesses::StartExplorer() {
  log->push_back("start explorer");
  if (!explorer_starts) return false;
  running.push_back(ProcessEntry{next_id++, "explorer.exe"});
  return true;
}

void FakeClock::Sleep(int milliseconds) {
  slept += milliseconds;
  if (log) log->push_back("sleep " + std::to_string(milliseconds));
}

}  // namespace vandrel::testing
