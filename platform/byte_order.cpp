#include "platform/byte_order.h"

namespace vandrel {

std::uint16_t LoadU16(const std::byte* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8));
}

std::uint32_t LoadU32(const std::byte* p) {
  return static_cast<std::uint32_t>(LoadU16(p)) | (static_cast<std::uint32_t>(LoadU16(p + 2)) << 16);
}

void AppendU16(std::vector<std::byte>& out, std::uint32_t value) {
  out.push_back(static_cast<std::byte>(value & 0xFF));
  out.push_back(static_cast<std::byte>((value >> 8) & 0xFF));
}

void AppendU32(std::vector<std::byte>& out, std::uint32_t value) {
  AppendU16(out, value & 0xFFFF);
  AppendU16(out, value >> 16);
}

}  // namespace vandrel
