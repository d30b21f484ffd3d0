// Little-endian integers in byte buffers, as every Windows file format stores
// them. Callers check the bounds before they read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vandrel {

std::uint16_t LoadU16(const std::byte* p);
std::uint32_t LoadU32(const std::byte* p);
void AppendU16(std::vector<std::byte>& out, std::uint32_t value);
void AppendU32(std::vector<std::byte>& out, std::uint32_t value);

}  // namespace vandrel
