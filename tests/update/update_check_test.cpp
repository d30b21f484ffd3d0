// The update check: versions, the version file, the mirrors, the proxy.
#include "update/update_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/fakes/fake_crypto.h"
#include "tests/fakes/fake_http.h"
#include "tests/fakes/fake_system.h"

namespace vandrel {
namespace {

using testing::FakeCrypto;
using testing::FakeHttp;
using testing::FakeRegistry;

TEST(CompareVersionsTest, ComparesNumbersComponentByComponent) {
  const struct {
    const char* a;
    const char* b;
    int expected;
  } cases[] = {
      {"9.0.27.1", "9.0.26.320", 1},  {"9.0.26.320", "9.0.26.320", 0}, {"9.0.25", "9.0.26.320", -1},
      {"10.0", "9.9.9.9", 1},         // numbers, not text
      {"9.1", "9.0.26.320", 1},       {"9.0.26", "9.0.26.0", 0},       {"9.x.1", "9.0.1", 0},  // x reads as 0
      {"", "0.0", 0},                 {"", "0.1", -1},                 {"9.0.", "9.0.0", 0},
      {"\"9\".\"1\"", "9.1", 0},      {"9 1", "9.1", 0},               // blanks separate too
      {" 9.0.27.1\r\n", "9.0.27.1", 0}, {"-1", "0", -1},               {"99999999999", "1", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareVersions(c.a, c.b), c.expected) << c.a << " vs " << c.b;
    EXPECT_EQ(CompareVersions(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
  }
}

TEST(CompareVersionsTest, TheVersionFileIsTrimmedOfBlanksAndLineEnds) {
  EXPECT_EQ(TrimControlAndBlank(" 9.0.27.1\r\n"), "9.0.27.1");
  EXPECT_EQ(TrimControlAndBlank("\t\r\n \x01"), "");
  EXPECT_EQ(TrimControlAndBlank("9.0 beta\n"), "9.0 beta");
}

P256PublicKey TestKey(int n) {
  P256PublicKey key{};
  key[0] = std::byte{0x04};
  for (std::size_t i = 1; i < key.size(); ++i) key[i] = static_cast<std::byte>(n + i);
  return key;
}

class MirrorTest : public ::testing::Test {
 protected:
  static constexpr char kFirst[] = "http://127.0.0.1:8001/download/Vandrel/";
  static constexpr char kSecond[] = "http://127.0.0.1:8002/download/Vandrel/";
  // Lays out an update folder on `h`: the version file, and unless told
  // otherwise a manifest for the same version with both packages, signed
  // with the trusted key.
  struct Publish {
    std::string version_file = " 9.0.27.1\r\n";
    std::optional<std::string> manifest;  // none: made from the version file
    P256PublicKey key = TestKey(1);
    bool with_manifest = true, with_signature = true;
  };
  static std::string ManifestFor(const std::string& version) {
    return "version " + version + "\nsha256 " + std::string(64, 'a') + " 1234 Vandrel-setup.exe\nsha256 " +
           std::string(64, 'b') + " 99 Vandrel.zip\n";
  }
  static void Serve(FakeHttp& h, const std::string& folder, const Publish& p) {
    h.answers[folder + "version.txt"] = {200, p.version_file};
    const std::string manifest = p.manifest.value_or(ManifestFor(TrimControlAndBlank(p.version_file)));
    const Bytes sig = FakeCrypto::SignDer(p.key, manifest);
    if (p.with_manifest) h.answers[folder + "Vandrel.manifest"] = {200, manifest};
    if (p.with_signature) h.answers[folder + "Vandrel.manifest.sig"] = {200, std::string(reinterpret_cast<const char*>(sig.data()), sig.size())};
  }
  UpdateCheck Find(FakeHttp& h, bool portable = false, const std::optional<HttpProxy>& proxy = std::nullopt) {
    return FindUpdateSource(h, mirrors, portable, proxy, UpdateTrust{{TestKey(1), TestKey(2)}, &crypto});
  }
  FakeHttp http;
  FakeCrypto crypto;
  std::vector<std::string> mirrors = {"http://127.0.0.1:8001/download/", "http://127.0.0.1:8002/download/"};
};

TEST_F(MirrorTest, TheFirstMirrorThatAnswersGivesTheVersionAndThePackageOfTheMode) {
  Serve(http, kFirst, {});
  const auto installed = Find(http).source;
  ASSERT_TRUE(installed);
  EXPECT_EQ(installed->version, "9.0.27.1");
  EXPECT_EQ(installed->package_url, "http://127.0.0.1:8001/download/Vandrel/Vandrel-setup.exe");
  EXPECT_EQ(installed->package.size, 1234u);
  EXPECT_EQ(LowerHex(installed->package.sha256), std::string(64, 'a'));
  const auto portable = Find(http, true, HttpProxy{"127.0.0.1", 3128}).source;
  ASSERT_TRUE(portable);
  EXPECT_EQ(portable->package_url, "http://127.0.0.1:8001/download/Vandrel/Vandrel.zip");
  EXPECT_EQ(portable->package.size, 99u);
  // The version file, the manifest and its signature, each with the check's profile.
  ASSERT_EQ(http.asked.size(), 6u);
  EXPECT_EQ(http.asked[0].url, std::string(kFirst) + "version.txt");
  EXPECT_EQ(http.asked[1].url, std::string(kFirst) + "Vandrel.manifest");
  EXPECT_EQ(http.asked[2].url, std::string(kFirst) + "Vandrel.manifest.sig");
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(http.asked[i].options.connect_timeout_ms, 3000);
    EXPECT_EQ(http.asked[i].options.read_timeout_ms, 5000);
    EXPECT_EQ(http.asked[i].options.proxy.has_value(), i >= 3);
  }
  EXPECT_EQ(http.asked[5].options.proxy->port, 3128);
  // Each file is read up to its bound, and the mirror has 20 s for all three.
  EXPECT_EQ(http.asked[0].options.max_body_bytes, 1024);
  EXPECT_EQ(http.asked[1].options.max_body_bytes, 4096);
  EXPECT_EQ(http.asked[2].options.max_body_bytes, 128);
  ASSERT_TRUE(http.asked[0].options.deadline);
  EXPECT_EQ(http.asked[1].options.deadline, http.asked[0].options.deadline);
  EXPECT_EQ(http.asked[2].options.deadline, http.asked[0].options.deadline);
  EXPECT_LE(*http.asked[0].options.deadline, std::chrono::steady_clock::now() + std::chrono::seconds(20));
  EXPECT_GT(*http.asked[0].options.deadline, std::chrono::steady_clock::now() + std::chrono::seconds(15));
  EXPECT_NE(http.asked[3].options.deadline, http.asked[0].options.deadline) << "the next mirror has a deadline of its own";
  // The second key of the build is as good as the first.
  FakeHttp rotated;
  Serve(rotated, kFirst, {.key = TestKey(2)});
  EXPECT_TRUE(Find(rotated).source);
}

TEST_F(MirrorTest, AMirrorThatFailsOrSendsNothingIsSkipped) {
  const struct {
    const char* name;
    std::optional<HttpResponse> first;
  } cases[] = {{"unreachable", std::nullopt},
               {"404", HttpResponse{404, "not here"}},
               {"another status", HttpResponse{204, "9.0.27.1"}},
               {"blank body", HttpResponse{200, " \r\n\t"}},
               {"a version file over 1 KiB", HttpResponse{200, "9.0.27.1" + std::string(1020, ' ')}},
               {"a version file of two lines", HttpResponse{200, "9.0.27.1\n9.0.28\n"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHttp h;
    if (c.first) h.answers[std::string(kFirst) + "version.txt"] = *c.first;
    Serve(h, kSecond, {.version_file = "9.0.28"});
    const UpdateCheck check = Find(h);
    ASSERT_TRUE(check.source);
    EXPECT_EQ(check.source->version, "9.0.28");
    EXPECT_EQ(check.source->package_url, std::string(kSecond) + "Vandrel-setup.exe");
    ASSERT_EQ(check.log.size(), 1u);
    EXPECT_THAT(check.log[0], ::testing::StartsWith(mirrors[0] + ": "));
  }
  // Both failing: nothing found, after one request to each, and no signature
  // was in question.
  const UpdateCheck none = Find(http);
  EXPECT_FALSE(none.source);
  EXPECT_FALSE(none.not_verified);
  EXPECT_EQ(http.asked.size(), 2u);
  EXPECT_EQ(none.log.size(), 2u);
}

TEST_F(MirrorTest, AVersionNobodySignedIsNeverOffered) {
  const std::string other_package = "version 9.0.27.1\nsha256 " + std::string(64, 'a') + " 1 Other.exe\n";
  const struct {
    const char* name;
    Publish first;
    bool not_verified;  // the mirror answered: what it offered is unconfirmed
    const char* why;
  } cases[] = {
      {"no manifest", {.with_manifest = false}, true, "no manifest"},
      {"no signature", {.with_signature = false}, true, "no signature"},
      {"signed with another key", {.key = TestKey(7)}, true, "not signed with this build's key"},
      {"another version than the version file", {.version_file = "99", .manifest = ManifestFor("9.0.27.1")}, true,
       "names version 9.0.27.1, the version file 99"},
      {"without this copy's package", {.manifest = other_package}, true, "lists no Vandrel-setup.exe"},
      {"a signed but invalid manifest", {.manifest = ManifestFor("9.0.27.1") + "version 9.0.27.1\n"}, true,
       "second version"},
      {"a version file that is no plain version", {.version_file = "9.0 beta"}, false, "no plain version"},
      {"a version of five parts", {.version_file = "9.0.27.1.5"}, false, "no plain version"},
      {"a version of 33 characters", {.version_file = "1.2.3." + std::string(27, '4')}, false, "no plain version"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHttp h;
    Serve(h, kFirst, c.first);
    const UpdateCheck alone = Find(h);
    EXPECT_FALSE(alone.source);
    EXPECT_EQ(alone.not_verified, c.not_verified);
    ASSERT_FALSE(alone.log.empty());
    EXPECT_THAT(alone.log[0], ::testing::HasSubstr(c.why));
    // The next mirror is asked as if this one had not answered.
    Serve(h, kSecond, {.version_file = "9.0.28"});
    const UpdateCheck next = Find(h);
    ASSERT_TRUE(next.source);
    EXPECT_EQ(next.source->package_url, std::string(kSecond) + "Vandrel-setup.exe");
  }
}

TEST(SystemProxyTest, OnlyAnEnabledHostAndPortMakeAProxy) {
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  const struct {
    const char* name;
    bool has_key;
    std::optional<std::uint32_t> enable;
    std::optional<std::string> server;
    bool found;
    std::string host;
    int port;
  } cases[] = {
      {"host and port", true, 1, "127.0.0.1:3128", true, "127.0.0.1", 3128},
      {"a port that is no number", true, 1, "127.0.0.1:http", true, "127.0.0.1", 8080},
      {"no port at all", true, 1, "127.0.0.1:", true, "127.0.0.1", 8080},
      {"no colon", true, 1, "127.0.0.1", false, "", 0},
      {"a list split at its first colon", true, 1, "http=a:1;https=b:2", true, "http=a", 8080},
      {"switched off", true, 0, "127.0.0.1:3128", false, "", 0},
      {"enable missing", true, std::nullopt, "127.0.0.1:3128", false, "", 0},
      {"enable 2", true, 2, "127.0.0.1:3128", false, "", 0},
      {"server missing", true, 1, std::nullopt, false, "", 0},
      {"no key", false, std::nullopt, std::nullopt, false, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRegistry registry;
    if (c.has_key) registry.keys[key];
    if (c.enable) registry.dwords[key]["ProxyEnable"] = *c.enable;
    if (c.server) registry.keys[key]["ProxyServer"] = *c.server;
    const SystemProxy p = GetSystemProxy(registry);
    EXPECT_EQ(p.found, c.found);
    EXPECT_EQ(p.server, c.host);
    EXPECT_EQ(p.port, c.port);
    const auto applied = ProxyFor(p);
    EXPECT_EQ(applied.has_value(), c.found);
  }
}

}  // namespace
}  // namespace vandrel
