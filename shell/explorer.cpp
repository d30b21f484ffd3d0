#include "shell/explorer.h"

#include <exception>
#include <string>

#include "platform/error.h"

namespace vandrel {
namespace {

// Upper case for a to z only, as the process names are compared.
std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool Matches(const std::string& exe_name, const std::string& wanted_upper) {
  const std::size_t slash = exe_name.find_last_of("\\/");
  const std::string name_part = slash == std::string::npos ? exe_name : exe_name.substr(slash + 1);
  return UpperAscii(name_part) == wanted_upper || UpperAscii(exe_name) == wanted_upper;
}

}  // namespace

std::vector<std::uint32_t> OwnProcesses(Processes& processes, std::string_view exe_file_name) {
  const std::string wanted = UpperAscii(exe_file_name);
  const std::uint32_t session = processes.OwnSession();
  std::vector<std::uint32_t> ids;
  for (const ProcessEntry& p : processes.List())
    if (p.session == session && session != kUnknownSession && Matches(p.exe_name, wanted)) ids.push_back(p.id);
  return ids;
}

bool KillTask(Processes& processes, std::string_view exe_file_name) {
  bool result = false;
  for (std::uint32_t id : OwnProcesses(processes, exe_file_name)) result = processes.Terminate(id);
  return result;
}

bool IsRunning(Processes& processes, std::string_view exe_file_name) {
  return !OwnProcesses(processes, exe_file_name).empty();
}

void RestartExplorer(Shell& shell, Processes& processes) {
  shell.NotifyAssociationsChanged();
  shell.RefreshDesktop();
  KillTask(processes, "explorer.exe");
  shell.NotifyAssociationsChanged();
  shell.RefreshDesktop();
  shell.NotifyAssociationsChanged();
}

void ClearIconCacheSequence(Processes& processes, Clock& clock, const CacheClearingView& view) {
  const auto stage = [&](int position, std::string_view item) {
    view.run_on_ui([&] { view.show_stage(position, item); });
  };
  // The system's programs by their full path: a copy of the program in a
  // writable folder must not pick up a taskkill.exe planted beside it.
  std::string system;
  const auto run = [&](const std::string& program, const std::string& parameters, int pause) {
    processes.RunHidden(system + "\\" + program, parameters);
    if (pause > 0) clock.Sleep(pause);
  };
  try {
    system = processes.SystemFolder();
    stage(10, "LangEndExplorer");
    // This session's Explorer only: other users' desktops are theirs.
    for (std::uint32_t id : OwnProcesses(processes, "explorer.exe"))
      run("taskkill.exe", "/f /pid " + std::to_string(id), 0);
    clock.Sleep(3000);
    stage(30, "LangClearingCacheIcon");
    run("cmd.exe", "/c attrib -h \"%localappdata%\\IconCache.db\"", 500);
    run("cmd.exe", "/c del /a /f /q \"%localappdata%\\IconCache.db\"", 500);
    stage(50, "LangClearingAddCacheIcon");
    run("cmd.exe", "/c attrib -h \"%localappdata%\\Microsoft\\Windows\\Explorer\\iconcache*\"", 500);
    run("cmd.exe", "/c attrib -h \"%localappdata%\\Microsoft\\Windows\\Explorer\\thumbcache*\"", 500);
    stage(70, "LangDeletingCacheFiles");
    run("cmd.exe", "/c del /a /f /q \"%localappdata%\\Microsoft\\Windows\\Explorer\\iconcache*\"", 500);
    run("cmd.exe", "/c del /a /f /q \"%localappdata%\\Microsoft\\Windows\\Explorer\\thumbcache*\"", 500);
    clock.Sleep(2000);
    stage(90, "LangStartExplorer");
    if (!processes.StartExplorer()) throw Error("Cannot start Explorer again");
    clock.Sleep(3000);
    view.run_on_ui([&] {
      view.show_stage(100, "LangClearingCacheComplet");
      clock.Sleep(1000);
      view.hide_progress();
    });
  } catch (const std::exception& e) {
    const std::string message = e.what();
    try {
      view.run_on_ui([&] { view.show_error(message); });
    } catch (...) {
      // The desktop below matters more than the message.
    }
    // Never leave the user without a desktop and taskbar.
    try {
      if (!IsRunning(processes, "explorer.exe") && processes.StartExplorer()) clock.Sleep(3000);
    } catch (const std::exception&) {
      // Nothing more to do: the error is already shown.
    }
  }
}

}  // namespace vandrel
