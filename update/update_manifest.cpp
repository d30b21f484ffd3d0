#include "update/update_manifest.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "platform/text.h"

namespace vandrel {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;  // upper case is not the manifest's form
}

void Say(std::string* why, std::string text) {
  if (why) *why = std::move(text);
}

// Well-formed UTF-8: decoding and encoding again gives back the same bytes
// (a malformed sequence decodes to U+FFFD, which encodes otherwise).
bool IsUtf8(std::string_view text) {
  std::string again;
  again.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) AppendUtf8(again, NextCodePoint(text, pos));
  return again == text;
}

bool ParseSize(std::string_view text, std::uint64_t& size) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), IsDigit)) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), size);
  return ec == std::errc() && end == text.data() + text.size();
}

bool ParseDigest(std::string_view hex, Sha256Digest& digest) {
  if (hex.size() != 64) return false;
  for (std::size_t i = 0; i < 32; ++i) {
    const int hi = HexValue(hex[2 * i]), lo = HexValue(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    digest[i] = static_cast<std::byte>(hi * 16 + lo);
  }
  return true;
}

}  // namespace

bool IsPlainVersion(std::string_view text) {
  if (text.empty() || text.size() > 32) return false;
  int components = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = text.find('.', start);
    const std::string_view part = text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    if (part.empty() || !std::all_of(part.begin(), part.end(), IsDigit)) return false;
    if (++components > 4) return false;
    if (dot == std::string_view::npos) return true;
    start = dot + 1;
  }
}

std::optional<Manifest> ParseManifest(std::span<const std::byte> bytes, std::string* why) {
  if (bytes.size() > kMaxManifestBytes) {
    Say(why, "the manifest is larger than 4 KiB");
    return std::nullopt;
  }
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  if (!IsUtf8(text) || text.find('\0') != std::string_view::npos) {
    Say(why, "the manifest is not UTF-8 text");
    return std::nullopt;
  }
  Manifest manifest;
  bool has_version = false;
  int line_number = 0;
  while (!text.empty()) {
    ++line_number;
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const auto fail = [&](const std::string& problem) {
      Say(why, "line " + std::to_string(line_number) + " of the manifest " + problem);
      return std::nullopt;
    };
    if (line.find('\r') != std::string_view::npos) return fail("holds a lone carriage return");
    if (!line.empty() && (line.back() == ' ' || line.back() == '\t')) return fail("ends in a blank");
    if (line.starts_with("version ")) {
      if (has_version) return fail("is a second version");
      const std::string_view version = line.substr(8);
      if (!IsPlainVersion(version)) return fail("holds no plain version");
      manifest.version = std::string(version);
      has_version = true;
    } else if (line.starts_with("sha256 ")) {
      // sha256 <hex> <size> <name>: the name is the rest of the line.
      const std::string_view rest = line.substr(7);
      const std::size_t blank1 = rest.find(' ');
      const std::size_t blank2 = blank1 == std::string_view::npos ? blank1 : rest.find(' ', blank1 + 1);
      if (blank2 == std::string_view::npos) return fail("is not \"sha256 <digest> <size> <name>\"");
      PackageDigest digest;
      if (!ParseDigest(rest.substr(0, blank1), digest.sha256))
        return fail("has no digest of 64 lower-case hex digits");
      if (!ParseSize(rest.substr(blank1 + 1, blank2 - blank1 - 1), digest.size)) return fail("has no size");
      const std::string name(rest.substr(blank2 + 1));
      if (name.empty() || name.find_first_of(" \t") != std::string::npos) return fail("has no plain file name");
      if (!manifest.packages.emplace(name, digest).second) return fail("names " + name + " a second time");
    }
    // Any other line is for a later version of the program.
  }
  if (!has_version) {
    Say(why, "the manifest names no version");
    return std::nullopt;
  }
  return manifest;
}

std::optional<P256Signature> DecodeDerSignature(std::span<const std::byte> der) {
  const auto at = [&](std::size_t i) { return std::to_integer<unsigned>(der[i]); };
  // SEQUENCE, a short length (P-256 signatures are at most 72 bytes, so a
  // long form is never the shortest), exactly the rest of the input.
  if (der.size() < 2 || der.size() > kMaxSignatureBytes || at(0) != 0x30 || at(1) >= 0x80 ||
      at(1) != der.size() - 2)
    return std::nullopt;
  P256Signature out{};
  std::size_t pos = 2;
  for (int n = 0; n < 2; ++n) {
    if (pos + 2 > der.size() || at(pos) != 0x02) return std::nullopt;
    const std::size_t length = at(pos + 1);
    pos += 2;
    if (length == 0 || length >= 0x80 || pos + length > der.size()) return std::nullopt;
    std::span<const std::byte> value = der.subspan(pos, length);
    pos += length;
    if (std::to_integer<unsigned>(value[0]) & 0x80) return std::nullopt;  // negative
    if (std::to_integer<unsigned>(value[0]) == 0) {
      // A zero byte only in front of a byte with its top bit set.
      if (value.size() == 1 || !(std::to_integer<unsigned>(value[1]) & 0x80)) return std::nullopt;
      value = value.subspan(1);
    }
    if (value.size() > 32) return std::nullopt;
    std::copy(value.begin(), value.end(), out.begin() + 32 * n + (32 - value.size()));
  }
  if (pos != der.size()) return std::nullopt;
  return out;
}

std::vector<P256PublicKey> ParsePublicKeys(std::string_view text) {
  std::vector<P256PublicKey> keys;
  while (true) {
    const std::size_t comma = text.find(',');
    std::string_view one = text.substr(0, comma);
    while (!one.empty() && one.front() == ' ') one.remove_prefix(1);
    while (!one.empty() && one.back() == ' ') one.remove_suffix(1);
    P256PublicKey key{};
    if (one.size() != 130) return {};
    for (std::size_t i = 0; i < 65; ++i) {
      const char hi_c = static_cast<char>(one[2 * i] | 0x20), lo_c = static_cast<char>(one[2 * i + 1] | 0x20);
      const int hi = HexValue(hi_c), lo = HexValue(lo_c);
      if (hi < 0 || lo < 0) return {};
      key[i] = static_cast<std::byte>(hi * 16 + lo);
    }
    if (key[0] != std::byte{0x04}) return {};
    keys.push_back(key);
    if (comma == std::string_view::npos) return keys;
    text.remove_prefix(comma + 1);
  }
}

std::optional<Manifest> VerifiedManifest(std::span<const std::byte> manifest, std::span<const std::byte> signature,
                                         std::span<const P256PublicKey> keys, Crypto& crypto, std::string* why) {
  if (signature.size() > kMaxSignatureBytes) {
    Say(why, "the signature file is larger than 128 bytes");
    return std::nullopt;
  }
  const std::optional<P256Signature> rs = DecodeDerSignature(signature);
  if (!rs) {
    Say(why, "the signature file is not an ECDSA signature in DER");
    return std::nullopt;
  }
  if (keys.empty()) {
    Say(why, "this build trusts no key");
    return std::nullopt;
  }
  const Sha256Digest digest = crypto.Sha256(manifest);
  const bool signed_by_us =
      std::any_of(keys.begin(), keys.end(), [&](const P256PublicKey& key) { return crypto.VerifyP256(key, digest, *rs); });
  if (!signed_by_us) {
    Say(why, "the manifest is not signed with this build's key");
    return std::nullopt;
  }
  return ParseManifest(manifest, why);
}

}  // namespace vandrel
