// Hashing and signature checks, done by the system's own cryptography (CNG on
// Windows); the program carries none of its own.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>

namespace vandrel {

using Sha256Digest = std::array<std::byte, 32>;
// An uncompressed P-256 point: 0x04, then X and Y (32 bytes each, big-endian).
using P256PublicKey = std::array<std::byte, 65>;
// An ECDSA signature as r and s, 32 bytes each, big-endian.
using P256Signature = std::array<std::byte, 64>;

// The bytes as lower-case hex digits, two a byte (a digest, a key).
std::string LowerHex(std::span<const std::byte> bytes);

class Crypto {
 public:
  virtual ~Crypto() = default;
  // Throws Error when the system cannot hash.
  virtual Sha256Digest Sha256(std::span<const std::byte> data) = 0;
  // True only when `signature` is the key's ECDSA signature of `digest`; a
  // key that is not a point of the curve, or any failure, is false.
  virtual bool VerifyP256(const P256PublicKey& key, const Sha256Digest& digest, const P256Signature& signature) = 0;
};

}  // namespace vandrel
