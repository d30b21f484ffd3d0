// The integer spin box's rules: values are clamped into its bounds, unless the
// bounds are equal, which means no limit at all.
#pragma once

#include <string_view>

namespace vandrel {

int ClampSpinValue(int value, int min, int max);
// The value its text reads as: the number, or the lower bound when the text
// is not a number.
int SpinValueFromText(std::string_view text, int min, int max);

}  // namespace vandrel
