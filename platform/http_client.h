// HTTP GET as the update logic makes it: one profile for every request.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vandrel {

struct HttpProxy {
  std::string host;
  int port = 0;
};

struct HttpRequestOptions {
  std::optional<HttpProxy> proxy;  // none: a direct connection
  int connect_timeout_ms = 0;      // 0: the system's own (also for resolving the name)
  int read_timeout_ms = 0;
  // Get: an answer longer than this fails, and no more of it is read; -1: any length.
  std::int64_t max_body_bytes = -1;
  // The request fails once this passes, however steadily bytes trickle in.
  std::optional<std::chrono::steady_clock::time_point> deadline;
};

struct HttpResponse {
  int status = 0;
  std::string body;
};

// What a download tells as it goes.
class HttpTransferObserver {
 public:
  virtual ~HttpTransferObserver() = default;
  // The transfer begins; `total` is the size the server gave, -1 when none.
  // False refuses the body before any of it is read.
  virtual bool Begin(std::int64_t total) = 0;
  // A piece arrived (`done` bytes so far); false breaks the transfer off.
  virtual bool Received(std::span<const std::byte> piece, std::int64_t done) = 0;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // GETs `url` with the program's headers, TLS 1.2 only and at most 15
  // redirects (never from https to http). Throws Error on a failed request:
  // no connection, a time-out, a TLS failure, an HTTP error status.
  virtual HttpResponse Get(const std::string& url, const HttpRequestOptions& options) = 0;
  // Streams `url` to the observer. `options.read_timeout_ms` is the longest
  // wait for the next piece (a stalled server fails). Throws Error on a failed
  // or broken-off transfer, and when the server's length was not reached.
  virtual void Download(const std::string& url, const HttpRequestOptions& options, HttpTransferObserver& observer) = 0;
};

}  // namespace vandrel
