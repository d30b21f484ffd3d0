// Processes and the clock on Windows.
#pragma once

#include "platform/processes.h"

namespace vandrel {

class Win32Processes final : public Processes {
 public:
  std::vector<ProcessEntry> List() override;
  std::uint32_t OwnSession() override;
  std::string SystemFolder() override;
  bool Terminate(std::uint32_t id) override;
  void RunHidden(const std::string& file, const std::string& parameters, const std::string& folder = {}) override;
  void Open(const std::string& file, const std::string& parameters) override;
  bool StartExplorer() override;
};

class Win32Clock final : public Clock {
 public:
  void Sleep(int milliseconds) override;
};

}  // namespace vandrel
