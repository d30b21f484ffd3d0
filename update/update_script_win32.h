// Starting the portable update script as the program does.
#pragma once

#include <string>

#include "platform/processes.h"
#include "update/update_install.h"

namespace vandrel {

// Starts the script at `path` hidden, in the program folder, with the
// variables it reads names from set for it (it inherits them).
void StartUpdateScript(Processes& processes, const std::string& path, const UpdateScript& script,
                       const std::string& program_folder);

}  // namespace vandrel
