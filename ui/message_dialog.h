// A message box of our own: an icon, the text, and buttons with the captions
// given (the system's box only has its own). Built from real child controls,
// so screen readers read it as they read the system's box; unlike the
// system's box it wears the program's style, dark too.
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

// The text Ctrl+C copies, laid out as the system's message box lays it out
// (a button's "&" mnemonic marks left out).
std::string MessageDialogClipboardText(const MessageDialogSpec& spec);

// The caption the system's own message box gives the button `id` (IDOK,
// IDYES, IDNO, ...) in the user's language; English where the system does
// not say.
std::string SystemButtonCaption(int id);

// The program's message boxes: an icon, the text, and the system's captions.
void ShowMessageBox(HWND owner, const std::string& text, const std::string& title,
                    MessageDialogSpec::Icon icon = MessageDialogSpec::Icon::kNone);
// A question with "Yes" (the default) and "No"; true for "Yes".
bool AskYesNo(HWND owner, const std::string& text, const std::string& title);

}  // namespace vandrel::ui
