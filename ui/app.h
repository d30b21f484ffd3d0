// The program's side of the window system: start-up, the one message loop,
// the error boundary every handler runs inside, calls onto the window thread,
// and the list of the program's windows in the order they were made.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vandrel::ui {

class Form;

// Must run once on the user-interface thread before any window is made.
void InitializeUi(HINSTANCE instance);
HINSTANCE Instance();
// Registers a window class of the program with the arrow cursor (and no
// background brush unless given).
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon = nullptr, HBRUSH background = nullptr);
std::wstring W(std::string_view utf8);

// Lets pending window messages be processed, so the windows repaint.
void ProcessMessages();
// Runs `fn` on the user-interface thread and waits for it. Throws when that
// thread no longer takes calls (the program is ending).
void RunOnUiThread(const std::function<void()>& fn);
// Runs the program's messages until WM_QUIT, or until `keep_running` says no
// (a modal window closed; a WM_QUIT seen then is posted again). Keys the
// windows claim (F1, Enter for the default button) go to them first; Tab
// moves the focus within each window.
void RunMessageLoop(const std::function<bool()>& keep_running = {});

// The message box every uncaught error ends in; the program goes on.
void ShowDefaultErrorReport(HWND owner, const char* what) noexcept;
// Runs `fn`; an error it raises ends in that report instead of escaping into
// the system (window procedures, subclass procedures).
void RunGuarded(HWND owner, const std::function<void()>& fn) noexcept;
// Replaces that message box (tests watch the reports instead); an empty
// function restores it.
void SetErrorReporter(std::function<void(HWND, const std::string&)> reporter);

// The hourglass while this thread is busy with a step the user waits for
// (decoding a big picture, say); the cursor before it comes back afterwards.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  HCURSOR before_;
};

// Work on a thread of its own. Waiting for it keeps handling the calls the
// work hands to this thread (RunOnUiThread), so the two never wait for
// each other.
class BackgroundTask {
 public:
  BackgroundTask() = default;
  ~BackgroundTask() { Wait(); }
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;
  // Starts `work` unless earlier work still runs; false then. The work's
  // errors are its own to handle: one that escapes is dropped.
  bool Start(std::function<void()> work);
  bool Running() const { return *running_; }
  // Waits for the work to end; calls it sends to this thread run meanwhile.
  void Wait();
  // Lets running work go on by itself: nobody waits for it any more, and a
  // new Start may follow at once. The work must hold nothing of its owner's
  // (what it needs, it keeps alive itself); the process may end under it.
  void Abandon();

 private:
  std::thread thread_;
  std::shared_ptr<std::atomic<bool>> running_ = std::make_shared<std::atomic<bool>>(false);
};

// The program's windows, in the order they were made.
class WindowList {
 public:
  const std::vector<Form*>& All() const { return forms_; }
  void Add(Form* form) { forms_.push_back(form); }
  void Remove(Form* form);
  // The form that last became the program's active form; message boxes,
  // pickers and menus do not change it.
  Form* active() const { return active_; }
  void set_active(Form* form) { active_ = form; }
  // The system's colours or settings changed: the palette is read again and
  // every window repaints.
  void SettingsChanged();

 private:
  std::vector<Form*> forms_;
  Form* active_ = nullptr;
};
WindowList& Windows();

}  // namespace vandrel::ui
