#include "ui/spin_rules.h"

#include <charconv>

#include "platform/text.h"

namespace vandrel {

int ClampSpinValue(int value, int min, int max) {
  if (min == max || min > max) return value;
  return value < min ? min : (value > max ? max : value);
}

int SpinValueFromText(std::string_view text, int min, int max) {
  text = TrimControl(text);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return min;
  return ClampSpinValue(value, min, max);
}

}  // namespace vandrel
