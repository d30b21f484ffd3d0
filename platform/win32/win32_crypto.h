// SHA-256 and ECDSA P-256 checks through Windows' CNG (bcrypt.dll).
#pragma once

#include "platform/crypto.h"

namespace vandrel {

class Win32Crypto final : public Crypto {
 public:
  Sha256Digest Sha256(std::span<const std::byte> data) override;
  bool VerifyP256(const P256PublicKey& key, const Sha256Digest& digest, const P256Signature& signature) override;
};

}  // namespace vandrel
