// The signed manifest: its reader, the DER signature decoder, the build's
// keys and the check of a signature against them.
#include "update/update_manifest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/fakes/fake_crypto.h"

namespace vandrel {
namespace {

using testing::FakeCrypto;

std::span<const std::byte> AsBytes(const std::string& text) { return std::as_bytes(std::span(text.data(), text.size())); }

Bytes FromHex(std::string_view hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::byte>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return out;
}

const std::string kDigestA(64, 'a');
const std::string kDigestB = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

TEST(ManifestTest, AValidManifestGivesItsVersionAndPackages) {
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"LF", "version 9.0.27.1\nsha256 " + kDigestA + " 1234 Vandrel-setup.exe\nsha256 " + kDigestB + " 99 Vandrel.zip\n"},
      {"CR LF", "version 9.0.27.1\r\nsha256 " + kDigestA + " 1234 Vandrel-setup.exe\r\nsha256 " + kDigestB +
                    " 99 Vandrel.zip\r\n"},
      {"a byte-order mark, no last line end", "\xEF\xBB\xBFversion 9.0.27.1\nsha256 " + kDigestA +
                                                  " 1234 Vandrel-setup.exe\nsha256 " + kDigestB + " 99 Vandrel.zip"},
      {"any order, unknown and blank lines ignored", "\nsha256 " + kDigestB + " 99 Vandrel.zip\nnotes Привет\n" +
                                                         "version 9.0.27.1\nsha512 zz\nsha256 " + kDigestA +
                                                         " 1234 Vandrel-setup.exe\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string why;
    const auto m = ParseManifest(AsBytes(c.text), &why);
    ASSERT_TRUE(m) << why;
    EXPECT_EQ(m->version, "9.0.27.1");
    ASSERT_EQ(m->packages.size(), 2u);
    EXPECT_EQ(m->packages.at("Vandrel-setup.exe").size, 1234u);
    EXPECT_EQ(LowerHex(m->packages.at("Vandrel-setup.exe").sha256), kDigestA);
    EXPECT_EQ(m->packages.at("Vandrel.zip").size, 99u);
    EXPECT_EQ(LowerHex(m->packages.at("Vandrel.zip").sha256), kDigestB);
  }
  // A package that is not published has no line.
  const auto version_only = ParseManifest(AsBytes("version 10"));
  ASSERT_TRUE(version_only);
  EXPECT_TRUE(version_only->packages.empty());
}

TEST(ManifestTest, AnythingMalformedMakesItInvalid) {
  const std::string setup = "sha256 " + kDigestA + " 1234 Vandrel-setup.exe\n";
  const struct {
    const char* name;
    std::string text;
    const char* why;
  } cases[] = {
      {"no version", setup, "no version"},
      {"a second version", "version 9.0.27.1\n" + setup + "version 9.0.27.1\n", "second version"},
      {"a second line for one package", "version 9\n" + setup + setup, "a second time"},
      {"upper-case hex", "version 9\nsha256 " + std::string(64, 'A') + " 1 Vandrel.zip\n", "lower-case"},
      {"a digest too short", "version 9\nsha256 " + std::string(63, 'a') + " 1 Vandrel.zip\n", "lower-case"},
      {"a digest with no hex", "version 9\nsha256 " + std::string(63, 'a') + "g 1 Vandrel.zip\n", "lower-case"},
      {"no size", "version 9\nsha256 " + kDigestA + " Vandrel.zip\n", "sha256 <digest>"},
      {"a size that is no number", "version 9\nsha256 " + kDigestA + " 12k Vandrel.zip\n", "no size"},
      {"a negative size", "version 9\nsha256 " + kDigestA + " -1 Vandrel.zip\n", "no size"},
      {"a size past 64 bits", "version 9\nsha256 " + kDigestA + " 18446744073709551616 Vandrel.zip\n", "no size"},
      {"two blanks", "version 9\nsha256 " + kDigestA + "  1 Vandrel.zip\n", "no size"},
      {"a trailing blank", "version 9.0.27.1 \n" + setup, "ends in a blank"},
      {"a trailing blank before CR LF", "version 9\r\n" + std::string("sha256 ") + kDigestA + " 1 Vandrel.zip \r\n",
       "ends in a blank"},
      {"a trailing tab", "version 9\t\n", "ends in a blank"},
      {"a lone carriage return", "version 9\rsha256 x\n", "carriage return"},
      {"a version with a letter", "version 9.0.x\n", "no plain version"},
      {"a version of five parts", "version 1.2.3.4.5\n", "no plain version"},
      {"a version of 33 characters", "version 1.2.3." + std::string(27, '4') + "\n", "no plain version"},
      {"an empty version", "version \n", "ends in a blank"},
      {"not UTF-8", "version 9\nnotes \xC3\x28\n", "not UTF-8"},
      {"an overlong form", "version 9\nnotes \xC0\xAF\n", "not UTF-8"},
      {"a NUL", std::string("version 9\n\0", 11), "not UTF-8"},
      {"over 4 KiB", "version 9\n" + std::string(4096 - 10, '#') + "\n", "larger than 4 KiB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string why;
    EXPECT_FALSE(ParseManifest(AsBytes(c.text), &why));
    EXPECT_THAT(why, ::testing::HasSubstr(c.why));
  }
  // Exactly 4 KiB is still read.
  const std::string full = "version 9\n" + std::string(4096 - 11, '#') + "\n";
  ASSERT_EQ(full.size(), 4096u);
  EXPECT_TRUE(ParseManifest(AsBytes(full)));
}

TEST(ManifestTest, APlainVersionIsUpToFourDecimalParts) {
  for (const char* yes : {"9", "9.0", "9.0.27.1", "10.0.0.0", "0.0.0.0", "12345678901234567890123456789012"})
    EXPECT_TRUE(IsPlainVersion(yes)) << yes;
  for (const char* no : {"", "9.", ".9", "9..1", "9.0.27.1.0", "9.0 beta", " 9", "+9", "-1", "9,0", "v9",
                         "123456789012345678901234567890123", "\"9\".\"1\""})
    EXPECT_FALSE(IsPlainVersion(no)) << no;
}

// r and s of 32 bytes each: 0x11… and 0x22….
const std::string kR(64, '1'), kS(64, '2');

TEST(DerSignatureTest, TheShortestFormsDecodeToRAndS) {
  const struct {
    const char* name;
    std::string der;
    std::string r, s;  // 32 bytes each, hex
  } cases[] = {
      {"70 bytes", "3044" "0220" + kR + "0220" + kS, kR, kS},
      {"r with a leading zero", "3045" "022100" + std::string("81") + std::string(62, '1') + "0220" + kS,
       "81" + std::string(62, '1'), kS},
      {"both with a leading zero, 72 bytes", "3046" "022100" + std::string(64, 'f') + "022100" + std::string(64, 'e'),
       std::string(64, 'f'), std::string(64, 'e')},
      {"a short s is padded", "3025" "0220" + kR + "0201" "05", kR, std::string(62, '0') + "05"},
      {"a short r that needs its zero", "3025" "02020080" "021f" + std::string(62, '2'), std::string(60, '0') + "0080",
       "00" + std::string(62, '2')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto rs = DecodeDerSignature(FromHex(c.der));
    ASSERT_TRUE(rs);
    EXPECT_EQ(Bytes(rs->begin(), rs->begin() + 32), FromHex(c.r));
    EXPECT_EQ(Bytes(rs->begin() + 32, rs->end()), FromHex(c.s));
  }
}

TEST(DerSignatureTest, EverythingButOneStrictSequenceOfTwoIntegersIsRefused) {
  const std::string good = "3044" "0220" + kR + "0220" + kS;
  const struct {
    const char* name;
    std::string der;
  } cases[] = {
      {"empty", ""},
      {"not a sequence", "3144" "0220" + kR + "0220" + kS},
      {"a long-form length", "308144" "0220" + kR + "0220" + kS},
      {"a sequence length too long", "3045" "0220" + kR + "0220" + kS},
      {"a sequence length too short", "3043" "0220" + kR + "0220" + kS},
      {"a byte after it", good + "00"},
      {"a second sequence after it", good + good},
      {"a third integer", "3047" "0220" + kR + "0220" + kS + "020101"},
      {"one integer", "3022" "0220" + kR},
      {"not an integer", "3044" "0420" + kR + "0220" + kS},
      {"a negative r", "3044" "0220" + std::string("80") + std::string(62, '1') + "0220" + kS},
      {"a zero that is not needed", "3045" "022100" + kR + "0220" + kS},
      {"two leading zeros", "3046" "02220000" + std::string("81") + std::string(62, '1') + "0220" + kS},
      {"r of 33 bytes", "3045" "0221" + kR + "11" "0220" + kS},
      {"an empty integer", "3024" "0200" "0220" + kS},
      {"zero", "3025" "020100" "0220" + kS},
      {"an integer past the sequence", "3044" "0220" + kR + "0221" + kS},
      {"a long-form integer length", "3045" "028120" + kR + "0220" + kS},
      {"over 128 bytes", "3044" "0220" + kR + "0220" + kS + std::string(2 * 60, '0')},
  };
  for (const auto& c : cases) EXPECT_FALSE(DecodeDerSignature(FromHex(c.der))) << c.name;
}

P256PublicKey Key(int n) {
  P256PublicKey key{};
  key[0] = std::byte{0x04};
  for (std::size_t i = 1; i < key.size(); ++i) key[i] = static_cast<std::byte>(n * 31 + i);
  return key;
}

std::string Hex(const P256PublicKey& key) { return LowerHex(key); }

TEST(PublicKeysTest, OneOrTwoKeysSeparatedByACommaAndNothingMalformed) {
  EXPECT_EQ(ParsePublicKeys(Hex(Key(1))), std::vector{Key(1)});
  EXPECT_EQ(ParsePublicKeys(Hex(Key(1)) + ", " + Hex(Key(2))), (std::vector{Key(1), Key(2)}));
  std::string upper = Hex(Key(3));
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(ParsePublicKeys(" " + upper + " "), std::vector{Key(3)});
  const std::string good = Hex(Key(1));
  for (const std::string& bad : {std::string(), good.substr(2), good + "0", "03" + good.substr(2),
                                 good.substr(0, 128) + "zz", good + ",", good + "," + good.substr(1)})
    EXPECT_TRUE(ParsePublicKeys(bad).empty()) << bad;
}

TEST(VerifiedManifestTest, OnlyASignatureByATrustedKeyOverTheseBytesPasses) {
  const std::string manifest = "version 9.0.27.1\nsha256 " + kDigestA + " 1234 Vandrel-setup.exe\n";
  const std::vector<P256PublicKey> trusted = {Key(1), Key(2)};
  FakeCrypto crypto;
  const auto verify = [&](const std::string& text, const Bytes& signature, std::string* why) {
    return VerifiedManifest(AsBytes(text), signature, trusted, crypto, why);
  };
  std::string why;
  // Either key of the two: a maker moving to a new key.
  for (int key : {1, 2}) {
    const auto m = verify(manifest, FakeCrypto::SignDer(Key(key), manifest), &why);
    ASSERT_TRUE(m) << why;
    EXPECT_EQ(m->version, "9.0.27.1");
  }
  EXPECT_FALSE(verify(manifest, FakeCrypto::SignDer(Key(3), manifest), &why));
  EXPECT_THAT(why, ::testing::HasSubstr("not signed with this build's key"));
  std::string changed = manifest;
  changed[10] = '8';
  EXPECT_FALSE(verify(changed, FakeCrypto::SignDer(Key(1), manifest), &why));
  EXPECT_THAT(why, ::testing::HasSubstr("not signed"));
  Bytes signature = FakeCrypto::SignDer(Key(1), manifest);
  signature.push_back(std::byte{0});
  EXPECT_FALSE(verify(manifest, signature, &why));
  EXPECT_THAT(why, ::testing::HasSubstr("not an ECDSA signature"));
  EXPECT_FALSE(verify(manifest, Bytes(129, std::byte{0x30}), &why));
  EXPECT_THAT(why, ::testing::HasSubstr("larger than 128 bytes"));
  EXPECT_FALSE(VerifiedManifest(AsBytes(manifest), FakeCrypto::SignDer(Key(1), manifest), {}, crypto, &why));
  EXPECT_THAT(why, ::testing::HasSubstr("trusts no key"));
  // A signed manifest that is not valid is refused all the same.
  const std::string twice = manifest + "version 9.0.27.1\n";
  EXPECT_FALSE(verify(twice, FakeCrypto::SignDer(Key(1), twice), &why));
  EXPECT_THAT(why, ::testing::HasSubstr("second version"));
}

}  // namespace
}  // namespace vandrel
