#include "shell/explorer.h"

#include <exception>

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

bool KillTask(Processes& processes, std::string_view exe_file_name) {
  const std::string wanted = UpperAscii(exe_file_name);
  bool result = false;
  for (const ProcessEntry& p : processes.List())
    if (Matches(p.exe_name, wanted)) result = processes.Terminate(p.id);
  return result;
}

bool IsRunning(Processes& processes, std::string_view exe_file_name) {
  const std::string wanted = UpperAscii(exe_file_name);
  for (const ProcessEntry& p : processes.List())
    if (Matches(p.exe_name, wanted)) return true;
  return false;
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
  const auto run = [&](const char* file, const char* parameters, int pause) {
    processes.RunHidden(file, parameters);
    clock.Sleep(pause);
  };
  try {
    stage(10, "LangEndExplorer");
    run("taskkill", "/f /im explorer.exe", 3000);
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
    if (processes.StartExplorer()) clock.Sleep(3000);
    view.run_on_ui([&] {
      view.show_stage(100, "LangClearingCacheComplet");
      clock.Sleep(1000);
      view.hide_progress();
    });
  } catch (const std::exception& e) {
    const std::string message = e.what();
    view.run_on_ui([&] { view.show_error(message); });
    // Never leave the user without a desktop and taskbar.
    try {
      if (!IsRunning(processes, "explorer.exe") && processes.StartExplorer()) clock.Sleep(3000);
    } catch (const std::exception&) {
      // Nothing more to do: the error is already shown.
    }
  }
}

}  // namespace vandrel
