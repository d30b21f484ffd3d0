#include "platform/win32/win32_http_client.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

#include "platform/error.h"
#include "platform/win32/gdi_handles.h"
#include "platform/win32/wide.h"

namespace vandrel {
namespace {

using Internet = Owned<HINTERNET, ::WinHttpCloseHandle>;

std::string WinHttpErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   ::GetModuleHandleW(L"winhttp.dll"), code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::wstring message = n && text ? std::wstring(text, n) : std::wstring();
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
    message.pop_back();
  return message.empty() ? "WinHTTP error " + std::to_string(code) : Narrow(message);
}

[[noreturn]] void Fail(const std::string& url) {
  const DWORD code = ::GetLastError();
  throw Error("Cannot download \"" + url + "\"", WinHttpErrorText(code));
}

// One request with the program's profile, sent, its answer's headers read.
struct OpenRequest {
  Internet session, connection, request;
  int status = 0;
  std::int64_t length = -1;
  std::optional<std::chrono::steady_clock::time_point> deadline;
};

[[noreturn]] void TooLate(const std::string& url) {
  throw Error("Cannot download \"" + url + "\"", "The server took too long to answer.");
}

// A time-out no longer than what is left before the deadline (at least 1 ms,
// since 0 means none at all to WinHTTP).
int Within(int timeout_ms, const OpenRequest& r, const std::string& url) {
  if (!r.deadline) return timeout_ms;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*r.deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) TooLate(url);
  const int bounded = static_cast<int>(std::min<long long>(left.count(), 24LL * 3600 * 1000));
  return timeout_ms > 0 ? std::min(timeout_ms, bounded) : bounded;
}

void Open(OpenRequest& r, const std::string& url, const HttpRequestOptions& options) {
  r.deadline = options.deadline;
  const std::wstring wide = Widen(url);
  URL_COMPONENTS parts{sizeof parts};
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!::WinHttpCrackUrl(wide.c_str(), 0, 0, &parts)) Fail(url);
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  const std::wstring proxy = options.proxy ? Widen(options.proxy->host + ":" + std::to_string(options.proxy->port)) : L"";
  r.session.Reset(::WinHttpOpen(kUpdateUserAgent,
                                     options.proxy ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY,
                                     options.proxy ? proxy.c_str() : WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!r.session.get()) Fail(url);
  // TLS 1.2 only; the session takes it (a request handle refuses it in Wine).
  DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
  if (!::WinHttpSetOption(r.session.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) Fail(url);
  // Resolving the name counts like connecting; neither may outlast the deadline.
  const int connect = Within(options.connect_timeout_ms, r, url);
  if (!::WinHttpSetTimeouts(r.session.get(), connect, connect, connect, Within(options.read_timeout_ms, r, url)))
    Fail(url);
  r.connection.Reset(::WinHttpConnect(r.session.get(), host.c_str(), parts.nPort, 0));
  if (!r.connection.get()) Fail(url);
  r.request.Reset(::WinHttpOpenRequest(r.connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                            WINHTTP_DEFAULT_ACCEPT_TYPES,
                                            parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
  if (!r.request.get()) Fail(url);
  // At most 15 redirects; the request takes it (the session refuses it in
  // Wine). From https down to http is refused by WinHTTP's default policy.
  DWORD redirects = 15;
  if (!::WinHttpSetOption(r.request.get(), WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects, sizeof redirects))
    Fail(url);
  // The wait for the answer's headers has a time-out of its own: without
  // it, a server that takes the request and says nothing holds the client
  // for as long as it likes.
  if (options.read_timeout_ms > 0 || r.deadline) {
    DWORD wait = static_cast<DWORD>(Within(options.read_timeout_ms, r, url));
    if (!::WinHttpSetOption(r.request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &wait, sizeof wait)) Fail(url);
  }
  const wchar_t headers[] =
      L"Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
      L"Authorization: Basic Og==\r\n";
  if (!::WinHttpSendRequest(r.request.get(), headers, static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !::WinHttpReceiveResponse(r.request.get(), nullptr)) {
    if (r.deadline && std::chrono::steady_clock::now() >= *r.deadline) TooLate(url);
    Fail(url);
  }
  DWORD status = 0, size = sizeof status;
  if (!::WinHttpQueryHeaders(r.request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
    Fail(url);
  r.status = static_cast<int>(status);
  if (r.status >= 400) throw Error("Cannot download \"" + url + "\"", "The server answered " + std::to_string(r.status) + ".");
  wchar_t length[32] = {};
  size = sizeof length;
  if (::WinHttpQueryHeaders(r.request.get(), WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, length, &size,
                            WINHTTP_NO_HEADER_INDEX))
    r.length = _wtoi64(length);
}

// Reads the body piece by piece; `take` false breaks off.
template <typename Take>
std::int64_t ReadBody(OpenRequest& r, const std::string& url, Take take) {
  std::int64_t done = 0;
  std::vector<std::byte> buffer;
  for (;;) {
    // A server that trickles a byte at a time never trips the receive
    // time-out: the deadline bounds the whole answer, each wait included.
    if (r.deadline) {
      DWORD wait = static_cast<DWORD>(Within(0, r, url));
      DWORD receive = 0, size = sizeof receive;
      if (::WinHttpQueryOption(r.request.get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &receive, &size) && receive > 0 &&
          receive < wait)
        wait = receive;
      ::WinHttpSetOption(r.request.get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &wait, sizeof wait);
    }
    // Asking what is there first returns at once what has arrived.
    DWORD available = 0;
    if (!::WinHttpQueryDataAvailable(r.request.get(), &available)) {
      if (r.deadline && std::chrono::steady_clock::now() >= *r.deadline) TooLate(url);
      Fail(url);
    }
    if (available == 0) break;
    buffer.resize(available);
    DWORD read = 0;
    if (!::WinHttpReadData(r.request.get(), buffer.data(), available, &read)) Fail(url);
    if (read == 0) break;
    done += read;
    if (!take(std::span<const std::byte>(buffer.data(), read), done))
      throw Error("Cannot download \"" + url + "\"", "The transfer was cancelled.");
  }
  return done;
}

}  // namespace

HttpResponse Win32HttpClient::Get(const std::string& url, const HttpRequestOptions& options) {
  OpenRequest r;
  Open(r, url, options);
  const std::int64_t max = options.max_body_bytes;
  const auto too_long = [&] {
    throw Error("Cannot download \"" + url + "\"", "The answer is longer than " + std::to_string(max) + " bytes.");
  };
  if (max >= 0 && r.length > max) too_long();
  HttpResponse response;
  response.status = r.status;
  ReadBody(r, url, [&](std::span<const std::byte> piece, std::int64_t done) {
    if (max >= 0 && done > max) too_long();
    response.body.append(reinterpret_cast<const char*>(piece.data()), piece.size());
    return true;
  });
  return response;
}

void Win32HttpClient::Download(const std::string& url, const HttpRequestOptions& options, HttpTransferObserver& observer) {
  OpenRequest r;
  Open(r, url, options);
  if (!observer.Begin(r.length))
    throw Error("Cannot download \"" + url + "\"", "The server's length of " + std::to_string(r.length) +
                                                      " bytes was refused.");
  const std::int64_t done =
      ReadBody(r, url, [&](std::span<const std::byte> piece, std::int64_t so_far) { return observer.Received(piece, so_far); });
  if (r.length >= 0 && done != r.length)
    throw Error("Cannot download \"" + url + "\"", "The transfer ended after " + std::to_string(done) + " of " +
                                                      std::to_string(r.length) + " bytes.");
}

}  // namespace vandrel
