// The questions and messages the program puts to the user. The window answers
// them with message boxes; tests answer them from a script.
#pragma once

#include <optional>
#include <string>

namespace vandrel {

// An open or save picker.
struct FileDialog {
  enum class Kind { kOpen, kSave };
  Kind kind = Kind::kOpen;
  std::string title;              // empty: the system's own
  std::string filter;             // "Icons (*.ico)|*.ico|All|*.*"
  std::string default_extension;  // added to a name typed without one, e.g. "ico"
  std::string file_name;          // the name proposed
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A plain message box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // An error box (MB_ICONERROR) with the given title.
  virtual void ShowError(const std::string& text, const std::string& title) = 0;
  // A yes/no question (MB_YESNO | MB_ICONQUESTION); true for Yes.
  virtual bool Confirm(const std::string& text, const std::string& title) = 0;
  // The full path the user picked; nullopt when cancelled. Programs that
  // never ask (the console tool) keep this: every picker is cancelled.
  virtual std::optional<std::string> ChooseFile(const FileDialog& dialog);
};

}  // namespace vandrel
