// Giving a folder an icon and a tooltip.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/engine_services.h"

namespace vandrel {

struct InstallRequest {
  std::string folder;  // with a trailing backslash
  std::string source;  // .ico, .exe, .dll, a picture (or any file the user chose)
  int index = 0;
  std::string tip;
  bool copy = false;  // place the icon inside the folder
  // The icon group at `index` of an executable `source`, or a picture
  // `source`, already written as an .ico by the caller (work on many folders
  // extracts or converts once); empty: done here when needed.
  std::string prepared_ico;
};

// Removes a file of ours (a staged copy, a temporary extraction, a backup)
// when the step that made it does not finish.
class OwnFile {
 public:
  explicit OwnFile(FileSystem& fs) : fs_(fs) {}
  ~OwnFile() { Discard(); }
  OwnFile(const OwnFile&) = delete;
  OwnFile& operator=(const OwnFile&) = delete;
  void Set(std::string path) { path_ = std::move(path); }
  const std::string& path() const { return path_; }
  void Keep() { path_.clear(); }  // it has become a file the folder keeps
  void Discard() noexcept {
    if (path_.empty()) return;
    try {
      fs_.SetAttributes(path_, kAttrNormal);
      fs_.RemoveFile(path_);
    } catch (...) {
    }
    path_.clear();
  }

 private:
  FileSystem& fs_;
  std::string path_;
};

// Writes the icon group at `index` of the executable `source` to `out` as an
// .ico; false when nothing usable was written (the reason has been shown).
bool ExtractInto(EngineServices& s, const std::string& source, int index, const std::string& out);

// Writes the picture `source` to `out` as an .ico; false when nothing was
// written (the reason has been shown).
bool ConvertInto(EngineServices& s, const std::string& source, const std::string& out);

// One file to the recycle bin, without questions.
bool DeleteFileWithUndo(Shell& shell, const std::string& path);

// Writes Desktop.ini, places the icon and sets the attributes Explorer needs.
// A picture always becomes an .ico of its own name inside the folder, as
// Explorer cannot show a picture as a folder's icon.
// Returns the status text on success; nullopt when the new icon file could not
// be made ready (the reason has been shown in an error box and the folder's
// old icon is untouched). An error writing Desktop.ini reaches the caller.
std::optional<std::string> IconInstall(EngineServices& s, const InstallRequest& request);

// Tells Explorer that this folder (with a trailing backslash) and its parent's
// listing changed, so the new icon shows at once.
void NotifyFolderChanged(Shell& shell, const std::string& folder);

// Names the shell keeps for itself; a folder of one of these names never gets an icon.
bool IsProtectedFolderName(Shell& shell, const std::string& caption);
// C:\ or \\server\share\.
bool IsDriveRoot(const std::string& folder);

enum class ChangeOutcome {
  kNoSelection,      // stopped silently
  kProtectedName,    // stopped silently
  kMissingFields,    // stopped silently: no caption or no folder
  kNoIconSource,     // error box shown
  kDriveRoot,        // error box shown
  kDeclined,         // the user answered No
  kInstalled,
  kInstallStopped,   // IconInstall stopped with an error box
};

struct ChangeRequest {
  bool has_selection = false;
  std::string caption;  // the selected list item's caption (the folder's name)
  InstallRequest install;
};

struct ChangeResult {
  ChangeOutcome outcome = ChangeOutcome::kNoSelection;
  std::string status;  // the status bar's new text (empty: cleared)
};

// The "Изменить" command: guards, confirmation, IconInstall, the shell's
// notification and the desktop refresh. `refresh_window` runs afterwards for
// every outcome past the guards (also when the user answered No).
ChangeResult ButtonChangeIconClick(EngineServices& s, const ChangeRequest& request,
                                   const std::function<void()>& refresh_window);

}  // namespace vandrel
