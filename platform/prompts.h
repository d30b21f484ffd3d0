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
};

}  // namespace vandrel
