// A message box of our own: an icon, the text, and buttons with the captions
// given (the system's box only has its own). Built from real child controls,
// so screen readers read it as they read the system's box.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vandrel::ui {

struct MessageDialogSpec {
  enum class Icon { kNone, kInformation, kQuestion, kWarning, kError };
  std::string title;
  std::string text;
  Icon icon = Icon::kInformation;
  std::vector<std::string> buttons;  // left to right
  int default_button = 0;            // Enter presses it; it has the focus first
  int cancel_button = -1;            // Escape and the close box; -1: the last button
};

// Shows the box modally over `owner` (centred on it; the owner is disabled
// meanwhile) and returns the index of the button pressed.
int ShowMessageDialog(HWND owner, const MessageDialogSpec& spec);

// The text Ctrl+C copies, laid out as the system's message box lays it out.
std::string MessageDialogClipboardText(const MessageDialogSpec& spec);

}  // namespace vandrel::ui
