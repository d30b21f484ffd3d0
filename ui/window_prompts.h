// Prompts as message boxes owned by the program's active window.
#pragma once

#include "platform/prompts.h"

namespace vandrel::ui {

class WindowPrompts final : public Prompts {
 public:
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text, const std::string& title) override;
  bool Confirm(const std::string& text, const std::string& title) override;
  std::optional<std::string> ChooseFile(const FileDialog& dialog) override;
};

}  // namespace vandrel::ui
