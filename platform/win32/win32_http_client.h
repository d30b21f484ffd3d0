// HTTP through Windows' own WinHTTP: the system's TLS and certificate store.
#pragma once

#include "platform/http_client.h"

namespace vandrel {

inline constexpr wchar_t kUpdateUserAgent[] = L"Mozilla/5.0 (Windows NT 6.1; WOW64;rv:12.0) Gecko/20100101 Firefox/12.0";

class Win32HttpClient final : public HttpClient {
 public:
  HttpResponse Get(const std::string& url, const HttpRequestOptions& options) override;
  void Download(const std::string& url, const HttpRequestOptions& options, HttpTransferObserver& observer) override;
};

}  // namespace vandrel
