// The update manifest's reader on arbitrary bytes: never a crash, and what it
// accepts is what it promises (a plain version, at most 4 KiB).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "update/update_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto bytes = std::span(reinterpret_cast<const std::byte*>(data), size);
  std::string why;
  const auto manifest = vandrel::ParseManifest(bytes, &why);
  if (manifest) {
    if (size > vandrel::kMaxManifestBytes || !vandrel::IsPlainVersion(manifest->version)) std::abort();
    for (const auto& [name, digest] : manifest->packages)
      if (name.empty() || name.find(' ') != std::string::npos) std::abort();
  } else if (why.empty()) {
    std::abort();  // a refusal always says why
  }
  return 0;
}
