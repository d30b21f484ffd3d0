// An HTTP client that answers from a table and records what was asked.
#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/http_client.h"

namespace vandrel::testing {

class FakeHttp final : public HttpClient {
 public:
  std::map<std::string, HttpResponse> answers;  // by address; others fail as unreachable
  struct Asked {
    std::string url;
    HttpRequestOptions options;
  };
  std::vector<Asked> asked;

  HttpResponse Get(const std::string& url, const HttpRequestOptions& options) override {
    asked.push_back({url, options});
    const auto it = answers.find(url);
    if (it == answers.end()) throw Error("Cannot connect to " + url, "The server name or address could not be resolved");
    if (it->second.status >= 400) throw Error("HTTP " + std::to_string(it->second.status) + " for " + url);
    if (options.max_body_bytes >= 0 && static_cast<std::int64_t>(it->second.body.size()) > options.max_body_bytes)
      throw Error("Cannot download " + url, "The answer is longer than " + std::to_string(options.max_body_bytes) + " bytes.");
    return it->second;
  }
  // Downloads come in pieces of this size, with the length unless told not to.
  std::size_t piece_size = 4096;
  bool send_length = true;
  std::optional<std::int64_t> claimed_length;  // a length the server claims, whatever the body
  void Download(const std::string& url, const HttpRequestOptions& options, HttpTransferObserver& observer) override {
    const HttpResponse r = Get(url, options);
    const std::int64_t length = claimed_length.value_or(static_cast<std::int64_t>(r.body.size()));
    if (!observer.Begin(send_length ? length : -1))
      throw Error("Cannot download \"" + url + "\"", "The server's length was refused.");
    const auto body = std::as_bytes(std::span(r.body.data(), r.body.size()));
    // An endless body repeats until the observer stops it (or 64 MiB, so a
    // fault fails the test instead of hanging it).
    const std::size_t total = endless ? std::size_t{64} << 20 : body.size();
    delivered = 0;
    for (std::size_t done = 0; done < total && !body.empty();) {
      const std::size_t at = done % body.size();
      const std::size_t n = std::min({piece_size, body.size() - at, total - done});
      done += n;
      delivered = done;
      if (!observer.Received(body.subspan(at, n), static_cast<std::int64_t>(done)))
        throw Error("Cannot download \"" + url + "\"", "The transfer was cancelled.");
    }
  }
  bool endless = false;       // the body never ends
  std::size_t delivered = 0;  // bytes the last download handed over
};

}  // namespace vandrel::testing
