// Any bytes as an executable: open, count, list, and assemble every group.
#include <cstddef>
#include <cstdint>

#include "icons/icon_extraction.h"
#include "icons/pe_resource_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  auto file = vandrel::OpenPeResources(std::make_unique<vandrel::MemoryByteSource>(bytes));
  if (!file) return 0;
  for (const auto& group : vandrel::ListIconGroups(*file)) {
    if (auto ico = vandrel::BuildIcoFile(*file, group)) {
      if (ico->size() < 6 || ico->size() > vandrel::kMaxIcoFileSize) __builtin_trap();
    }
  }
  (void)vandrel::ReadVersionBlock(*file);
  return 0;
}
