// The one error type of the program: a message, and the system's reason where
// there is one. Handlers let it travel up to the window's error report.
#pragma once

#include <stdexcept>
#include <string>

namespace vandrel {

class Error : public std::runtime_error {
 public:
  explicit Error(std::string message, std::string system_reason = {});

  const std::string& message() const noexcept { return message_; }
  const std::string& system_reason() const noexcept { return reason_; }

 private:
  std::string message_;
  std::string reason_;
};

}  // namespace vandrel
