// The update's HTTP client against real servers on 127.0.0.1 (nginx and a
// logging proxy, started by tests/oracle/run_with_servers.py for this run only).
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/error.h"
#include "platform/win32/win32_http_client.h"
#include "update/update_check.h"

namespace vandrel {
namespace {

using ::testing::HasSubstr;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

class HttpWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base = Env("VANDREL_TEST_HTTP");
    if (base.empty()) GTEST_SKIP() << "no test servers (tests/oracle/run_with_servers.py starts them)";
  }
  std::string base;
  Win32HttpClient http;
  HttpRequestOptions check{std::nullopt, kCheckConnectTimeoutMs, kCheckReadTimeoutMs};
};

TEST_F(HttpWineTest, TheVersionFileComesFromTheFirstMirrorThatHasIt) {
  // The first mirror has no update folder (404), the second a blank file,
  // the third an error status; the last one answers.
  const auto found = FindUpdateSource(http, {base + "missing/", base + "blank/", base + "error/", base + "download/"},
                                      true, std::nullopt);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->version, "9.0.27.1");
  EXPECT_EQ(found->package_url, base + "download/Vandrel/Vandrel.zip");
  // Nothing listening: a failure, quickly.
  EXPECT_FALSE(FindUpdateSource(http, {"http://127.0.0.1:1/download/"}, false, std::nullopt));
}

TEST_F(HttpWineTest, AnErrorStatusIsAFailedRequest) {
  try {
    http.Get(base + "error/Vandrel/version.txt", check);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), HasSubstr("500"));
  }
  EXPECT_THROW(http.Get(base + "download/Vandrel/nothing.txt", check), Error);
}

TEST_F(HttpWineTest, FifteenRedirectsAreFollowedAndASixteenthIsNot) {
  const HttpResponse r = http.Get(base + "chain/15", check);
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, "9.0.27.1");
  EXPECT_THROW(http.Get(base + "chain/16", check), Error);
}

struct Collect final : HttpTransferObserver {
  std::int64_t total = -2;
  std::string body;
  int pieces = 0;
  int stop_after = -1;
  void Begin(std::int64_t t) override { total = t; }
  bool Received(std::span<const std::byte> piece, std::int64_t done) override {
    body.append(reinterpret_cast<const char*>(piece.data()), piece.size());
    EXPECT_EQ(done, static_cast<std::int64_t>(body.size()));
    return ++pieces != stop_after;
  }
};

TEST_F(HttpWineTest, ADownloadArrivesWholeOrIsBrokenOff) {
  Collect whole;
  http.Download(base + "download/Vandrel/Vandrel.zip", {}, whole);
  EXPECT_EQ(whole.total, 102400);
  ASSERT_EQ(whole.body.size(), 102400u);
  EXPECT_EQ(static_cast<unsigned char>(whole.body[257]), 1u);
  // Broken off by the observer (the user's Cancel) in a slow transfer.
  Collect cut;
  cut.stop_after = 2;
  EXPECT_THROW(http.Download(base + "slow/Vandrel/Vandrel.zip", {}, cut), Error);
  EXPECT_EQ(cut.pieces, 2);
  EXPECT_LT(cut.body.size(), 102400u);
}

TEST_F(HttpWineTest, ANamedProxyCarriesTheRequests) {
  const std::string proxy = Env("VANDREL_TEST_PROXY");
  const std::size_t colon = proxy.find(':');
  ASSERT_NE(colon, std::string::npos);
  HttpRequestOptions through = check;
  through.proxy = HttpProxy{proxy.substr(0, colon), std::atoi(proxy.c_str() + colon + 1)};
  const HttpResponse r = http.Get(base + "download/Vandrel/version.txt?through-proxy", through);
  EXPECT_EQ(r.body, " 9.0.27.1\r\n");
  // The proxy's log names the request; a direct one is not in it.
  http.Get(base + "download/Vandrel/version.txt?direct", check);
  std::string log_path = "Z:" + Env("VANDREL_TEST_PROXY_LOG");
  for (char& c : log_path)
    if (c == '/') c = '\\';
  std::string log;
  for (int attempt = 0; attempt < 50 && log.find("through-proxy") == std::string::npos; ++attempt) {
    ::Sleep(100);
    HANDLE f = ::CreateFileA(log_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    if (f == INVALID_HANDLE_VALUE) continue;
    char buffer[65536];
    DWORD read = 0;
    ::ReadFile(f, buffer, sizeof buffer, &read, nullptr);
    ::CloseHandle(f);
    log.assign(buffer, read);
  }
  EXPECT_THAT(log, HasSubstr("through-proxy"));
  EXPECT_EQ(log.find("?direct"), std::string::npos);
}

}  // namespace
}  // namespace vandrel
