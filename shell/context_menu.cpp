#include "shell/context_menu.h"

namespace vandrel {

std::string ContextMenuCommand(std::string_view exe_path) {
  std::string command;
  command.reserve(exe_path.size() + 7);
  command.append("\"").append(exe_path).append("\" \"%1\"");
  return command;
}

void RegisterContextMenu(Registry& registry, const std::string& caption, const std::string& exe_path) {
  const std::string key(kContextMenuKey), command(kContextMenuCommandKey);
  registry.CreateKey(key);
  registry.SetString(key, "", caption);
  registry.SetString(key, "Icon", exe_path);
  registry.CreateKey(command);
  registry.SetString(command, "", ContextMenuCommand(exe_path));
}

void UnregisterContextMenu(Registry& registry) {
  registry.DeleteTree(std::string(kContextMenuCommandKey));
  registry.DeleteTree(std::string(kContextMenuKey));
}

bool ContextMenuRegistered(Registry& registry) { return registry.KeyExists(std::string(kContextMenuKey)); }

}  // namespace vandrel
