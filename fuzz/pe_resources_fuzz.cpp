// Any bytes as an executable: open, count, list, and assemble every group;
// any bytes and every assembled group as an .ico whose image is picked for
// drawing.
#include <cstddef>
#include <cstdint>

#include "icons/icon_extraction.h"
#include "icons/pe_resource_file.h"

namespace {

// The image picked must lie wholly inside the file.
void PickImage(std::span<const std::byte> ico, int size) {
  const auto image = vandrel::IcoImageFor(ico, size);
  if (!image.empty() && (image.data() < ico.data() || image.data() + image.size() > ico.data() + ico.size()))
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  PickImage(bytes, 48);
  auto file = vandrel::OpenPeResources(std::make_unique<vandrel::MemoryByteSource>(bytes));
  if (!file) return 0;
  for (const auto& group : vandrel::ListIconGroups(*file)) {
    if (auto ico = vandrel::BuildIcoFile(*file, group)) {
      if (ico->size() < 6 || ico->size() > vandrel::kMaxIcoFileSize) __builtin_trap();
      PickImage(*ico, 32);
    }
  }
  (void)vandrel::ReadVersionBlock(*file);
  return 0;
}
