// Tests reach a control by the name the translation engine uses too.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "ui/form.h"

namespace vandrel::testing {

template <typename T>
T& Named(ui::Form& form, std::string_view name) {
  ui::Control* c = form.Find(name);
  if (c == nullptr) throw std::runtime_error("no component " + std::string(name));
  return dynamic_cast<T&>(*c);  // throws when the kind is not T
}

}  // namespace vandrel::testing
