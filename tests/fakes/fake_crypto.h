// A stand-in for the system's cryptography in the fast native tests: a
// digest and a "signature" that depend on every input byte, so a changed
// byte, another key or another message is told apart, but nothing here is
// cryptographic. The real one (CNG) is tested under Wine.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/crypto.h"
#include "platform/file_system.h"

namespace vandrel::testing {

class FakeCrypto final : public Crypto {
 public:
  Sha256Digest Sha256(std::span<const std::byte> data) override {
    ++hashed;
    Sha256Digest out{};
    Fill(data, {}, out);
    return out;
  }
  bool VerifyP256(const P256PublicKey& key, const Sha256Digest& digest, const P256Signature& signature) override {
    return signature == Sign(key, digest);
  }

  static P256Signature Sign(const P256PublicKey& key, const Sha256Digest& digest) {
    P256Signature out{};
    Fill(key, digest, out);
    return out;
  }
  // The fake signature of `message` with `key`, in DER as openssl writes it.
  Bytes SignDer(const P256PublicKey& key, std::span<const std::byte> message) {
    return Der(Sign(key, Sha256(message)));
  }
  static Bytes SignDer(const P256PublicKey& key, const std::string& message) {
    FakeCrypto crypto;
    return crypto.SignDer(key, std::as_bytes(std::span(message.data(), message.size())));
  }

  // r and s as a SEQUENCE of two INTEGERs in their shortest forms.
  static Bytes Der(const P256Signature& rs) {
    Bytes body;
    for (int half = 0; half < 2; ++half) {
      std::span<const std::byte> v(rs.data() + 32 * half, 32);
      while (v.size() > 1 && v[0] == std::byte{0}) v = v.subspan(1);
      const bool pad = (std::to_integer<unsigned>(v[0]) & 0x80) != 0;
      body.push_back(std::byte{0x02});
      body.push_back(static_cast<std::byte>(v.size() + (pad ? 1 : 0)));
      if (pad) body.push_back(std::byte{0});
      body.insert(body.end(), v.begin(), v.end());
    }
    body.insert(body.begin(), {std::byte{0x30}, static_cast<std::byte>(body.size())});
    return body;
  }

  int hashed = 0;

 private:
  // FNV-1a over a lane number and the inputs, one lane per 8 output bytes.
  static void Fill(std::span<const std::byte> a, std::span<const std::byte> b, std::span<std::byte> out) {
    for (std::size_t lane = 0; lane * 8 < out.size(); ++lane) {
      std::uint64_t h = 1469598103934665603ull ^ (lane * 0x9E3779B97F4A7C15ull);
      const auto mix = [&](std::span<const std::byte> bytes) {
        for (std::byte x : bytes) h = (h ^ std::to_integer<std::uint64_t>(x)) * 1099511628211ull;
        h = (h ^ bytes.size()) * 1099511628211ull;
      };
      mix(a);
      mix(b);
      for (std::size_t k = 0; k < 8 && lane * 8 + k < out.size(); ++k) out[lane * 8 + k] = static_cast<std::byte>(h >> (8 * k));
    }
  }
};

}  // namespace vandrel::testing
