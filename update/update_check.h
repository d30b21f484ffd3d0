// The update wire protocol and the check: package names, the version file and
// the signed manifest on the mirrors, the version comparison and the user's
// proxy.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypto.h"
#include "platform/http_client.h"
#include "platform/registry.h"
#include "update/update_manifest.h"

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
  std::string version;      // the server's version, as its signed manifest names it
  std::string package_url;  // the zip in portable mode, else the installer
  PackageDigest package;    // the package's size and SHA-256, from the manifest
};

// The keys the program was built with, and the system's cryptography that
// checks them.
struct UpdateTrust {
  std::vector<P256PublicKey> keys;
  Crypto* crypto = nullptr;
};

// The version-file time-outs of a check.
inline constexpr int kCheckConnectTimeoutMs = 3000;
inline constexpr int kCheckReadTimeoutMs = 5000;
// All a mirror may take, its three files together, resolving its name included.
inline constexpr int kMirrorDeadlineMs = 20'000;
// The most of each file a check reads; a longer one fails the mirror.
inline constexpr std::int64_t kMaxVersionFileBytes = 1024;

struct UpdateCheck {
  std::optional<UpdateSource> source;  // none: no mirror offered a verified version
  // A mirror answered, but what it offered could not be confirmed as the
  // maker's (no manifest, a bad signature, versions that disagree…).
  bool not_verified = false;
  std::vector<std::string> log;  // why each mirror that failed was passed over
};

// Asks each mirror in order for "<mirror>Vandrel/version.txt", then for the
// manifest and its signature beside it. The first mirror whose version file
// holds a plain version, whose manifest is signed with one of the trusted
// keys, names that same version and lists this copy's package wins. Any other
// mirror is skipped, and the log says why.
UpdateCheck FindUpdateSource(HttpClient& http, const std::vector<std::string>& mirrors, bool portable_mode,
                             const std::optional<HttpProxy>& proxy, const UpdateTrust& trust,
                             int mirror_deadline_ms = kMirrorDeadlineMs);

}  // namespace vandrel
