// The application's style, by the name of one of the two the program carries.
#pragma once

#include <string_view>

namespace vandrel {

// Restyles every window, and the windows made later; a name that is not one
// of the two styles changes nothing.
void ApplyStyle(std::string_view style_name);

}  // namespace vandrel
