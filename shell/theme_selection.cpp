#include "shell/theme_selection.h"

#include <string>

namespace vandrel {

std::optional<Style> StyleNamed(std::string_view name) {
  if (name == kLightStyleName) return Style::kLight;
  if (name == kDarkStyleName) return Style::kDark;
  return std::nullopt;
}

bool SystemUsesDarkMode(Registry& registry) {
  // The port reads a DWORD or nothing: a value of another type is light too.
  const std::string key(kPersonalizeKey.substr(0, kPersonalizeKey.size() - 1));
  return registry.ReadDword(key, "AppsUseLightTheme") == std::uint32_t{0};
}

std::string_view SystemStyleName(Registry& registry) {
  return SystemUsesDarkMode(registry) ? kDarkStyleName : kLightStyleName;
}

}  // namespace vandrel
