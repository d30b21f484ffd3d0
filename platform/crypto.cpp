#include "platform/crypto.h"

namespace vandrel {

std::string LowerHex(std::span<const std::byte> bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (std::byte b : bytes) {
    out += kHex[std::to_integer<unsigned>(b) >> 4];
    out += kHex[std::to_integer<unsigned>(b) & 15];
  }
  return out;
}

}  // namespace vandrel
