// The DER decoder of ECDSA signatures on arbitrary bytes. It is strict: every
// input it accepts is exactly the shortest encoding of the r and s it gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tests/fakes/fake_crypto.h"
#include "update/update_manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto bytes = std::span(reinterpret_cast<const std::byte*>(data), size);
  const auto rs = vandrel::DecodeDerSignature(bytes);
  if (!rs) return 0;
  const vandrel::Bytes again = vandrel::testing::FakeCrypto::Der(*rs);
  if (again.size() != size || !std::equal(again.begin(), again.end(), bytes.begin())) std::abort();
  return 0;
}
