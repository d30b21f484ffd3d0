// HTTP GET as the update logic makes it: one profile for every request.
#pragma once

#include <optional>
#include <string>

namespace vandrel {

struct HttpProxy {
  std::string host;
  int port = 0;
};

struct HttpRequestOptions {
  std::optional<HttpProxy> proxy;  // none: a direct connection
  int connect_timeout_ms = 0;      // 0: the system's own
  int read_timeout_ms = 0;
};

struct HttpResponse {
  int status = 0;
  std::string body;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // GETs `url` with the program's headers, TLS 1.2 only and at most 15
  // redirects (never from https to http). Throws Error on a failed request:
  // no connection, a time-out, a TLS failure, an HTTP error status.
  virtual HttpResponse Get(const std::string& url, const HttpRequestOptions& options) = 0;
};

}  // namespace vandrel
