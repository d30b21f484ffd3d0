// Processes of the system: listing and ending them, starting programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vandrel {

struct ProcessEntry {
  std::uint32_t id = 0;
  std::string exe_name;  // as the process snapshot gives it, usually the bare file name
  std::uint32_t session = 0;  // the logon session it runs in; kUnknownSession when it cannot be told
};
inline constexpr std::uint32_t kUnknownSession = 0xFFFFFFFF;

class Processes {
 public:
  virtual ~Processes() = default;
  // Every running process. Throws Error with the system's reason when the
  // snapshot cannot be taken.
  virtual std::vector<ProcessEntry> List() = 0;
  // The logon session this program runs in.
  virtual std::uint32_t OwnSession() = 0;
  // The system folder (C:\Windows\System32 or its view for this program),
  // where the system's own programs are started from.
  virtual std::string SystemFolder() = 0;
  // Ends a process with exit code 0; the result of the termination. Throws
  // Error with the system's reason when the process cannot be opened.
  virtual bool Terminate(std::uint32_t id) = 0;
  // Starts a program hidden through the shell ("open"), in `folder` (empty:
  // the program's own working folder), without waiting for it or looking at
  // the result.
  virtual void RunHidden(const std::string& file, const std::string& parameters, const std::string& folder = {}) = 0;
  // Starts a program shown normally through the shell ("open"), without
  // waiting for it or looking at the result.
  virtual void Open(const std::string& file, const std::string& parameters) = 0;
  // Starts explorer.exe from the Windows folder; true when the process was
  // created.
  virtual bool StartExplorer() = 0;
};

// The passing of time, so that fixed pauses cost tests nothing.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual void Sleep(int milliseconds) = 0;
};

}  // namespace vandrel
