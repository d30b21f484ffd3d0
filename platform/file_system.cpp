#include "platform/file_system.h"

#include <cstring>
#include <string>

namespace vandrel {

bool MemoryByteSource::Read(std::uint64_t offset, std::span<std::byte> out) {
  if (offset > data_.size() || out.size() > data_.size() - offset) return false;
  if (!out.empty()) std::memcpy(out.data(), data_.data() + offset, out.size());
  return true;
}

std::string UniqueFileCandidate(const std::string& directory, const std::string& name, const std::string& suffix,
                                unsigned attempt) {
  return attempt == 0 ? directory + name + suffix : directory + name + "-" + std::to_string(attempt) + suffix;
}

}  // namespace vandrel
