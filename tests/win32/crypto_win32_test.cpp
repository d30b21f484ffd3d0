// Windows' own cryptography (CNG) as the update uses it: SHA-256, and ECDSA
// P-256 signatures that openssl made with the test keys (tests/keys/).
#include "platform/win32/win32_crypto.h"

#include <gtest/gtest.h>

#include <string>

#include "config/build_config.h"
#include "platform/file_system.h"
#include "update/update_manifest.h"

namespace vandrel {
namespace {

Bytes FromHex(std::string_view hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::byte>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return out;
}

std::span<const std::byte> AsBytes(const std::string& text) { return std::as_bytes(std::span(text.data(), text.size())); }

// openssl dgst -sha256 -sign update-test-key.pem (70 bytes) and
// update-test-key-2.pem (72 bytes: both numbers need a leading zero) over:
const std::string kMessage = "version 9.0.27.1\n";
constexpr char kSignatureByKey1[] =
    "3044022019b79c941d93376c8e2cae02b1010ca11c3e65b08869b9655e4861ac55b0287e02200434810cf3c0674179f4b028f7eb052ec14c0e"
    "8fe96ad6a8a532b34c580d53b1";
constexpr char kSignatureByKey2[] =
    "304602210089545dad8e6a51bb06b13e9f6a814851ba667a45e41e336810e0fe24e52fccd9022100cb1d022f4c9b8358449e7f3f252d8891"
    "d30d53ab10234871f0dd387fb4d1fa3b";
constexpr char kKey1[] =
    "048649a529a9b2352a52629a8f1de1536365e718a9621072c05b18751590c9fdeb556171b2a79a67cfdbd27bbbc3be90462c830793357f4bea"
    "5f1383e7e983167d";
constexpr char kKey2[] =
    "0426b34a73e95d9f5d924c0fe53cc2f7e6308a224e3e8f5d5cc201972ba0983bac1464272d3dfb54bf28ab4a0feebdde85aa257ddd36d2884e"
    "b909f0aafb1ae084";

TEST(CryptoWin32Test, Sha256GivesTheStandardDigests) {
  Win32Crypto crypto;
  EXPECT_EQ(LowerHex(crypto.Sha256({})), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(LowerHex(crypto.Sha256(AsBytes("abc"))), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(LowerHex(crypto.Sha256(AsBytes(kMessage))),
            "e77eec2c379a441158297bc2b2ca0b81766979d0b2a33a974c5da936f517d604");
  const std::string million(1'000'000, 'a');
  EXPECT_EQ(LowerHex(crypto.Sha256(AsBytes(million))),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(CryptoWin32Test, OnlyTheKeysOwnSignatureOfTheseBytesIsAccepted) {
  Win32Crypto crypto;
  const auto keys = ParsePublicKeys(std::string(kKey1) + "," + kKey2);
  ASSERT_EQ(keys.size(), 2u);
  const Sha256Digest digest = crypto.Sha256(AsBytes(kMessage));
  const auto by1 = DecodeDerSignature(FromHex(kSignatureByKey1));
  const auto by2 = DecodeDerSignature(FromHex(kSignatureByKey2));
  ASSERT_TRUE(by1 && by2);
  EXPECT_TRUE(crypto.VerifyP256(keys[0], digest, *by1));
  EXPECT_TRUE(crypto.VerifyP256(keys[1], digest, *by2));
  EXPECT_FALSE(crypto.VerifyP256(keys[1], digest, *by1)) << "another key";
  EXPECT_FALSE(crypto.VerifyP256(keys[0], digest, *by2)) << "another key";
  EXPECT_FALSE(crypto.VerifyP256(keys[0], crypto.Sha256(AsBytes("version 9.0.27.2\n")), *by1)) << "other bytes";
  P256Signature changed = *by1;
  changed[40] ^= std::byte{1};
  EXPECT_FALSE(crypto.VerifyP256(keys[0], digest, changed)) << "one bit of s";
  P256PublicKey off_curve = keys[0];
  off_curve[64] ^= std::byte{1};
  EXPECT_FALSE(crypto.VerifyP256(off_curve, digest, *by1)) << "a point not on the curve";
  EXPECT_FALSE(crypto.VerifyP256(P256PublicKey{}, digest, *by1)) << "no point at all";

  // The whole check as an update makes it.
  std::string why;
  EXPECT_TRUE(VerifiedManifest(AsBytes(kMessage), FromHex(kSignatureByKey2), keys, crypto, &why)) << why;
  EXPECT_FALSE(VerifiedManifest(AsBytes(kMessage), FromHex(kSignatureByKey2), std::span(keys).first(1), crypto, &why));
}

TEST(CryptoWin32Test, DevelopmentBuildsTrustBothTestKeys) {
  // What the tests under Wine sign with; a release build refuses them.
  const auto keys = ParsePublicKeys(kUpdatePublicKeys);
  EXPECT_EQ(keys, ParsePublicKeys(std::string(kKey1) + "," + kKey2));
}

}  // namespace
}  // namespace vandrel
