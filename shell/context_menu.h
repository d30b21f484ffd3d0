// The entry the program puts into Explorer's context menu of folders: a key
// of the current user that starts the program with the folder's path.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace vandrel {

inline constexpr std::string_view kContextMenuKey = "Software\\Classes\\Directory\\shell\\Vandrel";
inline constexpr std::string_view kContextMenuCommandKey = "Software\\Classes\\Directory\\shell\\Vandrel\\command";

// "<exe>" "%1": the program, quoted, and the folder as its first argument.
std::string ContextMenuCommand(std::string_view exe_path);

// Writes the entry: its text, the program's icon and the command. Throws
// Error with the system's reason when a key or value cannot be written.
void RegisterContextMenu(Registry& registry, const std::string& caption, const std::string& exe_path);
// Removes the entry; an entry already gone is no error.
void UnregisterContextMenu(Registry& registry);
// Whether the entry's key exists (its command and values are not looked at).
bool ContextMenuRegistered(Registry& registry);

}  // namespace vandrel
