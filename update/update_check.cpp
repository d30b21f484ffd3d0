#include "update/update_check.h"

#include <chrono>
#include <charconv>
#include <exception>

namespace vandrel {

std::string GetPackageName() { return "Vandrel"; }
std::string GetSetupFileName() { return GetPackageName() + "-setup.exe"; }
std::string GetZipFileName() { return GetPackageName() + ".zip"; }

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The components of a version text: split at "." and at blanks; a component
// in double quotes loses them; a final "." leaves an empty last component.
std::vector<std::string> Components(std::string_view text) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size()) break;
    std::string part;
    if (text[i] == '"') {
      const std::size_t close = text.find('"', i + 1);
      const std::size_t end = close == std::string_view::npos ? text.size() : close;
      part = std::string(text.substr(i + 1, end - i - 1));
      i = close == std::string_view::npos ? text.size() : close + 1;
    } else {
      const std::size_t start = i;
      while (i < text.size() && text[i] != '.' && !IsBlank(text[i])) ++i;
      part = std::string(text.substr(start, i - start));
    }
    out.push_back(part);
    if (i < text.size() && text[i] == '.') {
      ++i;
      if (i == text.size()) out.emplace_back();  // "9.0." has an empty last component
    }
  }
  return out;
}

long long ComponentValue(const std::vector<std::string>& parts, std::size_t i) {
  if (i >= parts.size()) return 0;
  const std::string& p = parts[i];
  long long value = 0;
  const char* first = p.data();
  if (!p.empty() && (p[0] == '+')) ++first;
  const auto [end, ec] = std::from_chars(first, p.data() + p.size(), value);
  if (p.empty() || ec != std::errc() || end != p.data() + p.size()) return 0;
  return value;
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) {
  const std::vector<std::string> x = Components(a), y = Components(b);
  const std::size_t n = std::max(x.size(), y.size());
  for (std::size_t i = 0; i < n; ++i) {
    const long long xv = ComponentValue(x, i), yv = ComponentValue(y, i);
    if (xv > yv) return 1;
    if (xv < yv) return -1;
  }
  return 0;
}

std::string TrimControlAndBlank(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

SystemProxy GetSystemProxy(Registry& registry) {
  SystemProxy p;
  const std::string key(kInternetSettingsKey);
  if (!registry.KeyExists(key)) return p;
  p.enabled = registry.ReadDword(key, "ProxyEnable") == 1u;
  if (!p.enabled) return p;
  const std::string server = registry.ReadString(key, "ProxyServer").value_or("");
  const std::size_t colon = server.find(':');
  if (server.empty() || colon == std::string::npos) return p;
  p.server = server.substr(0, colon);
  const std::string port = server.substr(colon + 1);
  int value = 0;
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
  p.port = (port.empty() || ec != std::errc() || end != port.data() + port.size()) ? 8080 : value;
  p.found = true;
  return p;
}

std::optional<HttpProxy> ProxyFor(const SystemProxy& proxy) {
  if (!proxy.found || !proxy.enabled) return std::nullopt;
  return HttpProxy{proxy.server, proxy.port};
}

namespace {

std::span<const std::byte> AsBytes(const std::string& text) { return std::as_bytes(std::span(text.data(), text.size())); }

// What one mirror offers: the source, or why it was passed over.
struct MirrorAnswer {
  std::optional<UpdateSource> source;
  bool not_verified = false;
  std::string why;
};

MirrorAnswer AskMirror(HttpClient& http, const std::string& mirror, bool portable_mode,
                       HttpRequestOptions options, const UpdateTrust& trust) {
  const std::string folder = mirror + GetPackageName() + "/";
  MirrorAnswer answer;
  options.max_body_bytes = kMaxVersionFileBytes;
  const HttpResponse r = http.Get(folder + "version.txt", options);
  const std::string version = TrimControlAndBlank(r.body);
  if (r.status != 200 || version.empty()) {
    answer.why = "no version file";
    return answer;
  }
  if (!IsPlainVersion(version)) {
    answer.why = "the version file holds no plain version";
    return answer;
  }
  // From here on the mirror answered: whatever fails is a version nobody
  // can show to be the maker's.
  answer.not_verified = true;
  const auto fetch = [&](std::string_view name, std::size_t max) -> std::optional<std::string> {
    try {
      options.max_body_bytes = static_cast<std::int64_t>(max);
      HttpResponse file = http.Get(folder + std::string(name), options);
      if (file.status == 200) return std::move(file.body);
    } catch (const std::exception&) {
    }
    return std::nullopt;
  };
  const std::optional<std::string> manifest = fetch(kManifestName, kMaxManifestBytes);
  if (!manifest) {
    answer.why = "no manifest";
    return answer;
  }
  const std::optional<std::string> signature = fetch(kManifestSignatureName, kMaxSignatureBytes);
  if (!signature) {
    answer.why = "no signature of the manifest";
    return answer;
  }
  std::string why;
  const std::optional<Manifest> m =
      trust.crypto ? VerifiedManifest(AsBytes(*manifest), AsBytes(*signature), trust.keys, *trust.crypto, &why)
                   : std::nullopt;
  if (!m) {
    answer.why = trust.crypto ? why : "no cryptography to check the signature with";
    return answer;
  }
  if (m->version != version) {
    answer.why = "the manifest names version " + m->version + ", the version file " + version;
    return answer;
  }
  const std::string package = portable_mode ? GetZipFileName() : GetSetupFileName();
  const auto listed = m->packages.find(package);
  if (listed == m->packages.end()) {
    answer.why = "the manifest lists no " + package;
    return answer;
  }
  answer.source = UpdateSource{version, folder + package, listed->second};
  return answer;
}

}  // namespace

UpdateCheck FindUpdateSource(HttpClient& http, const std::vector<std::string>& mirrors, bool portable_mode,
                             const std::optional<HttpProxy>& proxy, const UpdateTrust& trust, int mirror_deadline_ms) {
  HttpRequestOptions options;
  options.proxy = proxy;
  options.connect_timeout_ms = kCheckConnectTimeoutMs;
  options.read_timeout_ms = kCheckReadTimeoutMs;
  UpdateCheck check;
  for (const std::string& mirror : mirrors) {
    MirrorAnswer answer;
    options.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(mirror_deadline_ms);
    try {
      answer = AskMirror(http, mirror, portable_mode, options, trust);
    } catch (const std::exception& e) {
      answer.why = e.what();  // unreachable, an error status, a time-out…
    }
    if (answer.source) {
      check.source = std::move(answer.source);
      return check;
    }
    check.not_verified = check.not_verified || answer.not_verified;
    check.log.push_back(mirror + ": " + answer.why);
  }
  return check;
}

}  // namespace vandrel
