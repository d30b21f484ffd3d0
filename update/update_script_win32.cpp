#include "update/update_script_win32.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace vandrel {

void StartUpdateScript(Processes& processes, const std::string& path, const UpdateScript& script,
                       const std::string& program_folder) {
  for (const auto& [variable, value] : script.environment)
    ::SetEnvironmentVariableW(Widen(variable).c_str(), Widen(value).c_str());
  processes.RunHidden(path, "", program_folder);
}

}  // namespace vandrel
