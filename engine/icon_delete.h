// Taking a folder's custom icon and tooltip away again.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/engine_services.h"

namespace vandrel {

// Recycles Desktop.ini and, when the shown icon source is an .ico file, the
// folder's copies of the icon files it names. The folder keeps its attributes.
// Returns the status text; nullopt when an error stopped it (swallowed).
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
