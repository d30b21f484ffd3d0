// The check of a downloaded archive's entries on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "update/update_install.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vandrel::MemoryByteSource source(std::span(reinterpret_cast<const std::byte*>(data), size));
  (void)vandrel::UnsafeZipEntry(source);
  return 0;
}
