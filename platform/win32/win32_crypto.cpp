#include "platform/win32/win32_crypto.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <limits>
#include <string>

#include "platform/error.h"

namespace vandrel {
namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

class Provider {
 public:
  explicit Provider(const wchar_t* algorithm) {
    if (!Succeeded(::BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, 0))) handle_ = nullptr;
  }
  ~Provider() {
    if (handle_) ::BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class Key {
 public:
  Key() = default;
  ~Key() {
    if (handle_) ::BCryptDestroyKey(handle_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  BCRYPT_KEY_HANDLE* out() { return &handle_; }
  BCRYPT_KEY_HANDLE get() const { return handle_; }

 private:
  BCRYPT_KEY_HANDLE handle_ = nullptr;
};

class Hash {
 public:
  explicit Hash(BCRYPT_ALG_HANDLE algorithm) {
    if (!algorithm || !Succeeded(::BCryptCreateHash(algorithm, &handle_, nullptr, 0, nullptr, 0, 0))) handle_ = nullptr;
  }
  ~Hash() {
    if (handle_) ::BCryptDestroyHash(handle_);
  }
  Hash(const Hash&) = delete;
  Hash& operator=(const Hash&) = delete;
  BCRYPT_HASH_HANDLE get() const { return handle_; }

 private:
  BCRYPT_HASH_HANDLE handle_ = nullptr;
};

[[noreturn]] void HashFailed(NTSTATUS status) {
  char code[16];
  wsprintfA(code, "0x%08lX", static_cast<unsigned long>(status));
  throw Error("Cannot compute a SHA-256 digest", std::string("CNG answered ") + code + ".");
}

}  // namespace

Sha256Digest Win32Crypto::Sha256(std::span<const std::byte> data) {
  Provider sha(BCRYPT_SHA256_ALGORITHM);
  Hash hash(sha.get());
  if (!hash.get()) HashFailed(static_cast<NTSTATUS>(0xC0000001L));
  // BCryptHashData takes at most 4 GiB a call; a package is hashed in parts.
  constexpr std::size_t kPart = 1u << 30;
  for (std::size_t done = 0; done < data.size();) {
    const std::size_t n = std::min(kPart, data.size() - done);
    auto* bytes = reinterpret_cast<PUCHAR>(const_cast<std::byte*>(data.data() + done));
    if (const NTSTATUS s = ::BCryptHashData(hash.get(), bytes, static_cast<ULONG>(n), 0); !Succeeded(s)) HashFailed(s);
    done += n;
  }
  Sha256Digest digest{};
  if (const NTSTATUS s = ::BCryptFinishHash(hash.get(), reinterpret_cast<PUCHAR>(digest.data()), 32, 0); !Succeeded(s))
    HashFailed(s);
  return digest;
}

bool Win32Crypto::VerifyP256(const P256PublicKey& key, const Sha256Digest& digest, const P256Signature& signature) {
  if (key[0] != std::byte{0x04}) return false;
  Provider ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
  if (!ecdsa.get()) return false;
  // BCRYPT_ECCPUBLIC_BLOB: the header, then X and Y.
  unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64];
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::memcpy(blob, &header, sizeof header);
  std::memcpy(blob + sizeof header, key.data() + 1, 64);
  Key public_key;
  if (!Succeeded(::BCryptImportKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, public_key.out(), blob,
                                       sizeof blob, 0)))
    return false;
  auto* hash = reinterpret_cast<PUCHAR>(const_cast<std::byte*>(digest.data()));
  auto* rs = reinterpret_cast<PUCHAR>(const_cast<std::byte*>(signature.data()));
  return ::BCryptVerifySignature(public_key.get(), nullptr, hash, 32, rs, 64, 0) == 0;
}

}  // namespace vandrel
