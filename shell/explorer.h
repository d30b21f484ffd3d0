// Ending and restarting Explorer, and clearing its icon and thumbnail caches.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/processes.h"
#include "platform/shell.h"

namespace vandrel {

// The processes of this logon session whose executable name (its file-name
// part, or the whole name) equals `exe_file_name`, letters a to z compared
// without case. Other users' processes are never touched.
std::vector<std::uint32_t> OwnProcesses(Processes& processes, std::string_view exe_file_name);
// Ends each of them. The result of the last termination; false when nothing
// matched. Errors of the snapshot or of opening a process travel up and end
// the walk.
bool KillTask(Processes& processes, std::string_view exe_file_name);
// Whether a process of that name runs (compared as KillTask does).
bool IsRunning(Processes& processes, std::string_view exe_file_name);

// Ends Explorer on the spot around two refreshes of the desktop; the system
// starts the shell again. Errors travel up.
void RestartExplorer(Shell& shell, Processes& processes);

// The window's part of a cache clearing; each call runs on the window's thread.
struct CacheClearingView {
  // Runs `step` on the window's thread and waits for it.
  std::function<void(const std::function<void()>& step)> run_on_ui;
  // The progress position and the message item whose caption the status shows.
  std::function<void(int position, std::string_view item)> show_stage;
  std::function<void()> hide_progress;
  // The sequence failed: the progress goes, the status shows the error.
  std::function<void(const std::string& message)> show_error;
};

// The whole clearing, on the calling (worker) thread: this session's Explorer
// ended with taskkill by process id, the cache files' attributes cleared and
// the files deleted by the command interpreter (both from the system folder),
// Explorer started again; each stage shown through `view`. An error (an
// Explorer that does not start again included) ends the sequence and is
// shown; Explorer is then started again when none runs, so the user keeps a
// desktop, even when showing the error failed.
void ClearIconCacheSequence(Processes& processes, Clock& clock, const CacheClearingView& view);

}  // namespace vandrel
