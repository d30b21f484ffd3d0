// The program's two styles and the system's light or dark mode for apps.
#pragma once

#include <optional>
#include <string_view>

#include "platform/registry.h"

namespace vandrel {

inline constexpr std::string_view kLightStyleName = "Windows11 Modern Light";
inline constexpr std::string_view kDarkStyleName = "Windows11 Modern Dark";
inline constexpr std::string_view kPersonalizeKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize\\";

enum class Style { kLight, kDark };

// The style of that exact name; nullopt for any other name.
std::optional<Style> StyleNamed(std::string_view name);

// True when the user chose dark for apps: "AppsUseLightTheme" reads 0. A
// missing key or value, or one that is not a number, means light.
bool SystemUsesDarkMode(Registry& registry);

// The style that follows the system's mode.
std::string_view SystemStyleName(Registry& registry);

}  // namespace vandrel
