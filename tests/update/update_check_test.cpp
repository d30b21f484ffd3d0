// The update check: versions, the version file, the mirrors, the proxy.
#include "update/update_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/fakes/fake_http.h"
#include "tests/fakes/fake_system.h"

namespace vandrel {
namespace {

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

class MirrorTest : public ::testing::Test {
 protected:
  FakeHttp http;
  std::vector<std::string> mirrors = {"http://127.0.0.1:8001/download/", "http://127.0.0.1:8002/download/"};
};

TEST_F(MirrorTest, TheFirstMirrorThatAnswersGivesTheVersionAndThePackageOfTheMode) {
  http.answers["http://127.0.0.1:8001/download/Vandrel/version.txt"] = {200, " 9.0.27.1\r\n"};
  const auto installed = FindUpdateSource(http, mirrors, false, std::nullopt);
  ASSERT_TRUE(installed);
  EXPECT_EQ(installed->version, "9.0.27.1");
  EXPECT_EQ(installed->package_url, "http://127.0.0.1:8001/download/Vandrel/Vandrel-setup.exe");
  const auto portable = FindUpdateSource(http, mirrors, true, HttpProxy{"127.0.0.1", 3128});
  EXPECT_EQ(portable->package_url, "http://127.0.0.1:8001/download/Vandrel/Vandrel.zip");
  ASSERT_EQ(http.asked.size(), 2u);
  EXPECT_EQ(http.asked[0].options.connect_timeout_ms, 3000);
  EXPECT_EQ(http.asked[0].options.read_timeout_ms, 5000);
  EXPECT_FALSE(http.asked[0].options.proxy);
  ASSERT_TRUE(http.asked[1].options.proxy);
  EXPECT_EQ(http.asked[1].options.proxy->port, 3128);
}

TEST_F(MirrorTest, AMirrorThatFailsOrSendsNothingIsSkipped) {
  const struct {
    const char* name;
    std::optional<HttpResponse> first;
  } cases[] = {{"unreachable", std::nullopt},
               {"404", HttpResponse{404, "not here"}},
               {"another status", HttpResponse{204, "9.0.27.1"}},
               {"blank body", HttpResponse{200, " \r\n\t"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHttp h;
    if (c.first) h.answers["http://127.0.0.1:8001/download/Vandrel/version.txt"] = *c.first;
    h.answers["http://127.0.0.1:8002/download/Vandrel/version.txt"] = {200, "9.0.28"};
    const auto found = FindUpdateSource(h, mirrors, false, std::nullopt);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->version, "9.0.28");
    EXPECT_EQ(found->package_url, "http://127.0.0.1:8002/download/Vandrel/Vandrel-setup.exe");
  }
  // Both failing: nothing found, after one request to each.
  EXPECT_FALSE(FindUpdateSource(http, mirrors, false, std::nullopt));
  EXPECT_EQ(http.asked.size(), 2u);
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
