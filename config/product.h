// The product's name as the program shows it and uses it in names of its own.
#pragma once

#include <string_view>

namespace vandrel {

// The application title: it also names the single-instance mutex and the
// applied section of the language files.
inline constexpr std::string_view kApplicationTitle = "Vandrel";

}  // namespace vandrel
