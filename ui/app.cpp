#include "ui/app.h"

#include <future>
#include <stdexcept>

#include "config/product.h"
#include "platform/win32/wide.h"
#include "ui/form.h"
#include "ui/message_dialog.h"
#include "ui/theme.h"

namespace vandrel::ui {
namespace {

constexpr wchar_t kCallClass[] = L"VandrelCall";
constexpr UINT kRunCall = WM_APP + 1;

HINSTANCE g_instance = nullptr;
HWND g_call_window = nullptr;
DWORD g_ui_thread = 0;

std::function<void(HWND, const std::string&)>& ErrorReporter() {
  static std::function<void(HWND, const std::string&)> reporter;
  return reporter;
}

LRESULT CALLBACK CallProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == kRunCall) {
    (*reinterpret_cast<std::packaged_task<void()>*>(lp))();
    return 1;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void RegisterWindowClasses(HINSTANCE instance);  // form.cpp and the controls

std::wstring W(std::string_view utf8) { return Widen(utf8); }
HINSTANCE Instance() { return g_instance; }

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon, HBRUSH background) {
  WNDCLASSEXW wc{sizeof wc};
  wc.hInstance = g_instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpfnWndProc = procedure;
  wc.lpszClassName = name;
  wc.hIcon = icon;
  wc.hbrBackground = background;
  ::RegisterClassExW(&wc);
}

void InitializeUi(HINSTANCE instance) {
  g_instance = instance;
  g_ui_thread = ::GetCurrentThreadId();
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                           ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&icc);
  RegisterWindowClasses(instance);
  RegisterWindowClass(kCallClass, CallProc);
  g_call_window = ::CreateWindowExW(0, kCallClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
}

void SetErrorReporter(std::function<void(HWND, const std::string&)> reporter) { ErrorReporter() = std::move(reporter); }

void ShowDefaultErrorReport(HWND owner, const char* what) noexcept {
  try {
    if (ErrorReporter()) {
      ErrorReporter()(owner, what ? what : "Unknown error");
      return;
    }
    ShowMessageBox(owner, what ? what : "Unknown error", std::string(kApplicationTitle), MessageDialogSpec::Icon::kError);
  } catch (...) {
    // Our own box needs memory of its own; the system's is the last resort.
    ::MessageBoxW(owner, L"Out of memory", L"Vandrel", MB_OK | MB_ICONERROR);
  }
}

void RunGuarded(HWND owner, const std::function<void()>& fn) noexcept {
  try {
    fn();
  } catch (const std::exception& e) {
    ShowDefaultErrorReport(owner, e.what());
  } catch (...) {
    ShowDefaultErrorReport(owner, nullptr);
  }
}

void ProcessMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void RunOnUiThread(const std::function<void()>& fn) {
  if (::GetCurrentThreadId() == g_ui_thread || g_call_window == nullptr) {
    fn();
    return;
  }
  std::packaged_task<void()> task(fn);
  auto done = task.get_future();
  // Nothing ran when the window's thread has gone (the program is ending).
  if (::SendMessageW(g_call_window, kRunCall, 0, reinterpret_cast<LPARAM>(&task)) != 1)
    throw std::runtime_error("The user-interface thread has ended.");
  done.get();  // rethrows what the call threw
}

void RunMessageLoop(const std::function<bool()>& keep_running) {
  MSG msg{};
  bool quit = false;
  while (!keep_running || keep_running()) {
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    bool handled = false;
    for (Form* f : Windows().All()) handled = handled || f->HandleKey(msg);
    if (handled) continue;
    HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && ::IsDialogMessageW(root, &msg)) continue;  // Tab moves the focus
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  // A modal loop hands the end of the program on to the outer loop.
  if (quit && keep_running) ::PostQuitMessage(static_cast<int>(msg.wParam));
}

bool BackgroundTask::Start(std::function<void()> work) {
  if (*running_) return false;
  if (thread_.joinable()) thread_.join();
  *running_ = true;
  thread_ = std::thread([running = running_, work = std::move(work)] {
    try {
      work();
    } catch (...) {
      // The work reports its own errors; nothing may escape a thread.
    }
    *running = false;
  });
  return true;
}

void BackgroundTask::Abandon() {
  if (!*running_) return;
  thread_.detach();
  running_ = std::make_shared<std::atomic<bool>>(false);
}

void BackgroundTask::Wait() {
  while (*running_) {
    // Calls sent from the work are handled here while it runs.
    ::MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  if (thread_.joinable()) thread_.join();
}

BusyCursor::BusyCursor() : before_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}

BusyCursor::~BusyCursor() { ::SetCursor(before_); }

void WindowList::Remove(Form* form) {
  std::erase(forms_, form);
  if (active_ == form) active_ = nullptr;
}

void WindowList::SettingsChanged() {
  Theme::Current().Refresh();
  for (Form* f : forms_) f->ApplyTheme();
}

WindowList& Windows() {
  static WindowList list;
  return list;
}

}  // namespace vandrel::ui
