#include "platform/error.h"

namespace vandrel {
namespace {

std::string Compose(const std::string& message, const std::string& reason) {
  if (reason.empty()) return message;
  if (message.empty()) return reason;
  const char last = message.back();
  return message + ((last == '.' || last == ':') ? " " : ". ") + reason;
}

}  // namespace

Error::Error(std::string message, std::string system_reason)
    : std::runtime_error(Compose(message, system_reason)),
      message_(std::move(message)),
      reason_(std::move(system_reason)) {}

}  // namespace vandrel
