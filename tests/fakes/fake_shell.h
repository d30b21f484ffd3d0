// In-memory shell and prompts that record what the engine asked of them.
#pragma once

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform/prompts.h"
#include "platform/shell.h"
#include "tests/fakes/fake_file_system.h"

namespace vandrel::testing {

class FakeShell final : public Shell {
 public:
  explicit FakeShell(FakeFileSystem& fs) : fs_(fs) {}
  // Recycled files leave the file system and are kept here.
  std::vector<std::string> recycled;
  std::string windows_folder = "C:\\Windows";
  std::string temp_path = "C:\\Users\\me\\AppData\\Local\\Temp\\";

  // Recycling these fails with a reason (a locked file, a path too long).
  std::set<std::string, NoCaseLess> refuse_recycle;
  // The shell reports success for these but the file stays where it was.
  std::set<std::string, NoCaseLess> silently_kept;

  bool RecycleFile(const std::string& path, std::string& reason) override;
  void NotifyAssociationsChanged() override { fs_.log->push_back("notify"); }
  void NotifyItemUpdated(const std::string& path) override { fs_.log->push_back("update item " + path); }
  void NotifyFolderUpdated(const std::string& path) override { fs_.log->push_back("update folder " + path); }
  void RefreshDesktop() override { fs_.log->push_back("refresh desktop"); }
  std::string GetSpecialFolder(int csidl) override;
  std::string TempFolderPath() override { return temp_path; }
  std::string ToUpperUserLocale(const std::string& text) override;

 private:
  FakeFileSystem& fs_;
};

class ScriptedPrompts final : public Prompts {
 public:
  std::deque<bool> answers;           // answers to Confirm, in order; none left: No
  std::vector<std::string> shown;     // "message: T", "error: TITLE: T", "question: TITLE: T"

  void ShowMessage(const std::string& text) override { shown.push_back("message: " + text); }
  void ShowError(const std::string& text, const std::string& title) override {
    shown.push_back("error: " + title + ": " + text);
  }
  bool Confirm(const std::string& text, const std::string& title) override {
    shown.push_back("question: " + title + ": " + text);
    if (answers.empty()) return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<std::optional<std::string>> files;  // answers to ChooseFile; none left: cancelled
  std::vector<FileDialog> dialogs;               // every picker shown
  std::optional<std::string> ChooseFile(const FileDialog& dialog) override {
    dialogs.push_back(dialog);
    shown.push_back((dialog.kind == FileDialog::Kind::kOpen ? "open: " : "save: ") + dialog.file_name);
    if (files.empty()) return std::nullopt;
    std::optional<std::string> a = files.front();
    files.pop_front();
    return a;
  }
};

}  // namespace vandrel::testing
