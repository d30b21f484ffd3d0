// Taking a folder's custom icon and tooltip away again.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/engine_services.h"

namespace vandrel {

// Takes the icon keys out of Desktop.ini and recycles the file when nothing
// else is left in it (what else it holds is saved back); when the shown icon
// source is an .ico file, the folder's .ico copies it names go to the recycle
// bin too. The folder keeps its attributes. Returns the status text; nullopt
// when it stopped: quietly for an unreadable file, with an error box for a
// file too large to read or one that could not be recycled or saved.
std::optional<std::string> IconDelete(EngineServices& s, const std::string& edit_folder,
                                      const std::string& edit_icon_file);

enum class RemoveOutcome { kNoFolder, kDeclined, kRemoved, kStopped };

struct RemoveResult {
  RemoveOutcome outcome = RemoveOutcome::kNoFolder;
  std::string status;  // set only when IconDelete finished
};

// The "Удалить иконку" command: guard, confirmation, IconDelete, the shell's
// notification and desktop refresh, `refresh_window`, and a last notification.
RemoveResult IconDeleteMenuClick(EngineServices& s, const std::string& edit_folder, const std::string& edit_icon_file,
                                 const std::function<void()>& refresh_window);

}  // namespace vandrel
