// The update wire protocol and the check: package names, the version file on
// the mirrors, the version comparison and the user's proxy.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/http_client.h"
#include "platform/registry.h"

namespace vandrel {

std::string GetPackageName();    // "Vandrel"
std::string GetSetupFileName();  // "Vandrel-setup.exe"
std::string GetZipFileName();    // "Vandrel.zip"

// -1, 0 or 1 as `a` is older than, the same as or newer than `b`. Components
// are split at "." and at white space, quotes around a component are
// dropped, and anything that is not a whole number reads as 0.
int CompareVersions(std::string_view a, std::string_view b);

// The text without leading and trailing characters up to the space
// character (blanks, tabs, line ends).
std::string TrimControlAndBlank(std::string_view text);

struct SystemProxy {
  bool found = false;    // a usable proxy: enabled, with a host and a port
  bool enabled = false;  // ProxyEnable is 1
  std::string server;
  int port = 0;
};
inline constexpr std::string_view kInternetSettingsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
// The user's proxy from Internet Settings: only "host:port" is understood; a
// port that is not a number gives 8080.
SystemProxy GetSystemProxy(Registry& registry);
// The proxy to give requests: only when one was found and it is enabled.
std::optional<HttpProxy> ProxyFor(const SystemProxy& proxy);

struct UpdateSource {
  std::string version;      // the server's version, trimmed
  std::string package_url;  // the zip in portable mode, else the installer
};

// The version-file time-outs of a check.
inline constexpr int kCheckConnectTimeoutMs = 3000;
inline constexpr int kCheckReadTimeoutMs = 5000;

// Asks each mirror in order for "<mirror>Vandrel/version.txt"; the first
// that answers 200 with a version that is not blank wins. A mirror that
// fails in any way is skipped. nullopt when none answered.
std::optional<UpdateSource> FindUpdateSource(HttpClient& http, const std::vector<std::string>& mirrors,
                                             bool portable_mode, const std::optional<HttpProxy>& proxy);

}  // namespace vandrel
