// An HTTP client that answers from a table and records what was asked.
#pragma once

#include <map>
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
    return it->second;
  }
  void Download(const std::string& url, const HttpRequestOptions& options, HttpTransferObserver& observer) override {
    const HttpResponse r = Get(url, options);
    observer.Begin(static_cast<std::int64_t>(r.body.size()));
    observer.Received(std::as_bytes(std::span(r.body.data(), r.body.size())), static_cast<std::int64_t>(r.body.size()));
  }
};

}  // namespace vandrel::testing
