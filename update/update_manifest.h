// The signed manifest of an update: what the maker published (the version and
// each package's size and SHA-256), signed with the maker's key. A version is
// offered and a package used only when the manifest's signature holds for a
// key the program was built with, whatever the transport.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypto.h"

namespace vandrel {

inline constexpr std::string_view kManifestName = "Vandrel.manifest";
inline constexpr std::string_view kManifestSignatureName = "Vandrel.manifest.sig";
inline constexpr std::size_t kMaxManifestBytes = 4096;
inline constexpr std::size_t kMaxSignatureBytes = 128;

// "9.0.27.1": one to four components of decimal digits, at most 32 characters.
bool IsPlainVersion(std::string_view text);

struct PackageDigest {
  Sha256Digest sha256{};
  std::uint64_t size = 0;
  bool operator==(const PackageDigest&) const = default;
};

struct Manifest {
  std::string version;
  std::map<std::string, PackageDigest> packages;  // by file name
};

// Reads a manifest: UTF-8 (a byte-order mark allowed), LF or CR LF line ends,
// at most 4 KiB, one item a line in any order:
//   version 9.0.27.1
//   sha256 <64 lower-case hex digits> <size in bytes> <file name>
// Other lines are ignored. A second version, a second line for one package, a
// malformed version or sha256 line or trailing blanks make it invalid: then
// nullopt, and `why` says why.
std::optional<Manifest> ParseManifest(std::span<const std::byte> bytes, std::string* why = nullptr);

// An ECDSA signature in DER, as openssl writes it, to r and s: exactly one
// SEQUENCE of two positive INTEGERs of at most 32 bytes each, every length in
// its shortest form, no leading zero byte that is not needed, nothing after.
std::optional<P256Signature> DecodeDerSignature(std::span<const std::byte> der);

// The build's public keys: one or more uncompressed P-256 points of 130 hex
// digits ("04" then X and Y), separated by commas. Blanks around a key are
// allowed; anything malformed gives an empty list, so nothing is trusted.
std::vector<P256PublicKey> ParsePublicKeys(std::string_view text);

// Checks the signature over the manifest's bytes with each key in turn, then
// reads it. nullopt when no key signed it or it is not a valid manifest;
// `why` says which.
std::optional<Manifest> VerifiedManifest(std::span<const std::byte> manifest, std::span<const std::byte> signature,
                                         std::span<const P256PublicKey> keys, Crypto& crypto, std::string* why = nullptr);

}  // namespace vandrel
