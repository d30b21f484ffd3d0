// The progress shown on a window's taskbar button (ITaskbarList3). Where the
// shell offers no taskbar list, it shows nothing and fails nothing.
#pragma once

#include <windows.h>
#include <shobjidl.h>

namespace vandrel::ui {

class TaskbarProgress {
 public:
  TaskbarProgress() = default;
  ~TaskbarProgress();
  TaskbarProgress(const TaskbarProgress&) = delete;
  TaskbarProgress& operator=(const TaskbarProgress&) = delete;

  void Attach(HWND window) { window_ = window; }
  // Normal (a green bar) or none.
  void SetNormal(bool normal);
  void SetValue(unsigned long long value, unsigned long long maximum);

 private:
  ITaskbarList3* List();
  HWND window_ = nullptr;
  ITaskbarList3* list_ = nullptr;
  bool tried_ = false;
};

}  // namespace vandrel::ui
