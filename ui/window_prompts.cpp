#include "ui/window_prompts.h"

#include <windows.h>

#include "app/startup.h"
#include "platform/win32/wide.h"

namespace vandrel::ui {

void WindowPrompts::ShowMessage(const std::string& text) {
  ::MessageBoxW(::GetActiveWindow(), Widen(text).c_str(), Widen(kApplicationTitle).c_str(), MB_OK);
}

void WindowPrompts::ShowError(const std::string& text, const std::string& title) {
  ::MessageBoxW(::GetActiveWindow(), Widen(text).c_str(), Widen(title).c_str(), MB_OK | MB_ICONERROR);
}

bool WindowPrompts::Confirm(const std::string& text, const std::string& title) {
  return ::MessageBoxW(::GetActiveWindow(), Widen(text).c_str(), Widen(title).c_str(), MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
}

}  // namespace vandrel::ui
