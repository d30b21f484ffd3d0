// The update's HTTP client against real servers on 127.0.0.1 (nginx and a
// logging proxy, started by tests/oracle/run_with_servers.py for this run only).
#include <windows.h>
#include <winhttp.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "platform/error.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_http_client.h"
#include "tests/win32/win32_test_support.h"
#include "config/build_config.h"
#include "platform/win32/win32_crypto.h"
#include "update/update_check.h"

namespace vandrel {
namespace {

using ::testing::HasSubstr;

using testing::EnvText;

class HttpWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base = EnvText("VANDREL_TEST_HTTP");
    if (base.empty()) GTEST_SKIP() << "no test servers (tests/oracle/run_with_servers.py starts them)";
  }
  // The check as the program makes it, with the keys this build trusts.
  std::optional<UpdateSource> Find(const std::vector<std::string>& mirrors, bool portable) {
    Win32Crypto crypto;
    return FindUpdateSource(http, mirrors, portable, std::nullopt,
                            UpdateTrust{ParsePublicKeys(kUpdatePublicKeys), &crypto})
        .source;
  }
  std::string base;
  Win32HttpClient http;
  HttpRequestOptions check{std::nullopt, kCheckConnectTimeoutMs, kCheckReadTimeoutMs};
};

TEST_F(HttpWineTest, TheVersionFileComesFromTheFirstMirrorThatHasIt) {
  // The first mirror has no update folder (404), the second a blank file,
  // the third an error status; the last one answers.
  const auto found = Find({base + "missing/", base + "blank/", base + "error/", base + "download/"}, true);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->version, "9.0.27.1");
  EXPECT_EQ(found->package_url, base + "download/Vandrel/Vandrel.zip");
  // A mirror that takes the request and answers nothing costs the read
  // time-out, then the next one answers.
  const auto start = std::chrono::steady_clock::now();
  const auto after_silence = Find({EnvText("VANDREL_TEST_STALL") + "mute/", base + "download/"}, true);
  const auto waited = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(after_silence);
  EXPECT_EQ(after_silence->package_url, base + "download/Vandrel/Vandrel.zip");
  EXPECT_GE(waited, std::chrono::milliseconds(kCheckReadTimeoutMs - 500));
  EXPECT_LT(waited, std::chrono::milliseconds(kCheckReadTimeoutMs + 5000));
  // Nothing listening: a failure, quickly.
  EXPECT_FALSE(Find({"http://127.0.0.1:1/download/"}, false));
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
  bool Begin(std::int64_t t) override {
    total = t;
    return true;
  }
  bool Received(std::span<const std::byte> piece, std::int64_t done) override {
    body.append(reinterpret_cast<const char*>(piece.data()), piece.size());
    EXPECT_EQ(done, static_cast<std::int64_t>(body.size()));
    return ++pieces != stop_after;
  }
};

TEST_F(HttpWineTest, ADownloadArrivesWholeOrIsBrokenOff) {
  Collect whole;
  http.Download(base + "download/Vandrel/pattern.bin", {}, whole);
  EXPECT_EQ(whole.total, 102400);
  ASSERT_EQ(whole.body.size(), 102400u);
  EXPECT_EQ(static_cast<unsigned char>(whole.body[257]), 1u);
  // Broken off by the observer (the user's Cancel) in a slow transfer.
  Collect cut;
  cut.stop_after = 2;
  EXPECT_THROW(http.Download(base + "slow/Vandrel/pattern.bin", {}, cut), Error);
  EXPECT_EQ(cut.pieces, 2);
  EXPECT_LT(cut.body.size(), 102400u);
}

TEST_F(HttpWineTest, ANamedProxyCarriesTheRequests) {
  const std::string proxy = EnvText("VANDREL_TEST_PROXY");
  const std::size_t colon = proxy.find(':');
  ASSERT_NE(colon, std::string::npos);
  HttpRequestOptions through = check;
  through.proxy = HttpProxy{proxy.substr(0, colon), std::atoi(proxy.c_str() + colon + 1)};
  const HttpResponse r = http.Get(base + "download/Vandrel/version.txt?through-proxy", through);
  EXPECT_EQ(r.body, " 9.0.27.1\r\n");
  // The proxy's log names the request; a direct one is not in it.
  http.Get(base + "download/Vandrel/version.txt?direct", check);
  const std::string log = testing::TextOnceItHolds(testing::HostFile(EnvText("VANDREL_TEST_PROXY_LOG")), "through-proxy");
  EXPECT_THAT(log, HasSubstr("through-proxy"));
  EXPECT_EQ(log.find("?direct"), std::string::npos);
}

// A control request that allows the given TLS versions, to show a server
// really speaks its protocol: the status, or 0 when the request failed.
int StatusWithProtocols(const std::string& url, DWORD protocols) {
  const std::wstring wide = Widen(url);
  URL_COMPONENTS parts{sizeof parts};
  parts.dwHostNameLength = parts.dwUrlPathLength = static_cast<DWORD>(-1);
  if (!::WinHttpCrackUrl(wide.c_str(), 0, 0, &parts)) return 0;
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength), path(parts.lpszUrlPath, parts.dwUrlPathLength);
  HINTERNET session = ::WinHttpOpen(L"control", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
  ::WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
  HINTERNET connection = ::WinHttpConnect(session, host.c_str(), parts.nPort, 0);
  HINTERNET request = ::WinHttpOpenRequest(connection, L"GET", path.c_str(), nullptr, nullptr, nullptr, WINHTTP_FLAG_SECURE);
  DWORD status = 0, size = sizeof status;
  if (!::WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) || !::WinHttpReceiveResponse(request, nullptr) ||
      !::WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, nullptr, &status, &size,
                             nullptr))
    status = 0;
  for (HINTERNET h : {request, connection, session}) ::WinHttpCloseHandle(h);
  return static_cast<int>(status);
}

class HttpsWineTest : public HttpWineTest {
 protected:
  void SetUp() override {
    HttpWineTest::SetUp();
    if (IsSkipped()) return;
    if (EnvText("VANDREL_TEST_CA").empty()) GTEST_SKIP() << "no test CA (openssl makes it)";
    ASSERT_TRUE(testing::TrustInThisPrefix(testing::HostFile(EnvText("VANDREL_TEST_CA"))));
    tls12 = EnvText("VANDREL_TEST_TLS12");
  }
  std::string tls12;
};

TEST_F(HttpsWineTest, TlsTwelveWithACertificateFromATrustedAuthorityWorks) {
  const auto found = Find({tls12 + "download/"}, true);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->version, "9.0.27.1");
  EXPECT_EQ(found->package_url, tls12 + "download/Vandrel/Vandrel.zip");
  // A plain mirror may send the client on to https…
  EXPECT_EQ(http.Get(base + "tls/Vandrel/version.txt", check).body, " 9.0.27.1\r\n");
  // …but never from https back down to http.
  EXPECT_THROW(http.Get(tls12 + "down/Vandrel/version.txt", check), Error);
}

TEST_F(HttpsWineTest, ServersWithoutTlsTwelveAreRefused) {
  // TLS 1.1 only: a control request that allows 1.1 gets through.
  const std::string tls11 = EnvText("VANDREL_TEST_TLS11") + "download/Vandrel/version.txt";
  EXPECT_EQ(StatusWithProtocols(tls11, WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1), 200) << "control";
  EXPECT_THROW(http.Get(tls11, check), Error);
  EXPECT_EQ(StatusWithProtocols(tls11, WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2), 0) << "the control's own refusal";
  // TLS 1.3 only: Wine's TLS has no 1.3, so the control ran on the host.
  EXPECT_EQ(EnvText("VANDREL_TEST_TLS13_CONTROL"), "200") << "control";
  EXPECT_THROW(http.Get(EnvText("VANDREL_TEST_TLS13") + "download/Vandrel/version.txt", check), Error);
}

}  // namespace
}  // namespace vandrel

