// The questions and messages the program puts to the user. The window answers
// them with message boxes; tests answer them from a script.
#pragma once

#include <string>

namespace vandrel {

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A plain message box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // An error box (MB_ICONERROR) with the given title.
  virtual void ShowError(const std::string& text, const std::string& title) = 0;
  // A yes/no question (MB_YESNO | MB_ICONQUESTION); true for Yes.
  virtual bool Confirm(const std::string& text, const std::string& title) = 0;
};

}  // namespace vandrel
