// Any bytes as a version block, as GetFileVersionInfoW would hand it over.
#include <cstddef>
#include <cstdint>

#include "app/file_info_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::byte> block(reinterpret_cast<const std::byte*>(data), size);
  const std::string version = vandrel::FileVersionFromBlock(block);
  for (char c : version)
    if (!(c == '.' || (c >= '0' && c <= '9'))) __builtin_trap();
  (void)vandrel::VersionValueFromBlock(block, "CompanyName");
  (void)vandrel::VersionValueFromBlock(block, "LegalCopyright");
  (void)vandrel::QueryVersionValue(block, "\\StringFileInfo\\040904E4\\FileVersion");
  return 0;
}
