#include "platform/file_system.h"

#include <cstring>

namespace vandrel {

bool MemoryByteSource::Read(std::uint64_t offset, std::span<std::byte> out) {
  if (offset > data_.size() || out.size() > data_.size() - offset) return false;
  if (!out.empty()) std::memcpy(out.data(), data_.data() + offset, out.size());
  return true;
}

}  // namespace vandrel
