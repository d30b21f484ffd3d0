#include "update/update_install.h"

#include <algorithm>
#include <cstdio>
#include <deque>

#include "platform/byte_order.h"
#include "platform/error.h"
#include "platform/text.h"
#include "update/update_check.h"

namespace vandrel {
namespace {

// a / b rounded to the nearest integer, halves to even (a >= 0, b > 0).
std::int64_t DivideRoundingHalfToEven(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b, r = a % b;
  if (2 * r > b || (2 * r == b && (q % 2) != 0)) return q + 1;
  return q;
}

// The text with every `twice` written two times: "%" in a batch file, "'"
// in a single-quoted PowerShell string.
std::string Doubled(std::string_view text, char twice) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == twice) out += c;
  }
  return out;
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string FileNameFromUrl(std::string_view url) {
  const std::size_t slash = url.rfind('/');
  if (slash == std::string_view::npos || slash + 1 == url.size()) return std::string(url);
  return std::string(url.substr(slash + 1));
}

std::string InstallerParameters(std::string_view language) {
  return "/SILENT /CLOSEAPPLICATIONS /SUPPRESSMSGBOXES /LANG=" + std::string(language) + " /MERGETASKS=\"runcmd1\"";
}

std::int64_t BytesPerStep(std::int64_t total) { return total <= 0 ? 0 : DivideRoundingHalfToEven(total, 100); }

std::optional<std::int64_t> ProgressPosition(std::int64_t done, std::int64_t bytes_per_step) {
  if (bytes_per_step <= 0) return std::nullopt;
  return DivideRoundingHalfToEven(std::max<std::int64_t>(done, 0), bytes_per_step);
}

std::string UpdateScriptName(int hour, int minute, int second) {
  char name[32];
  std::snprintf(name, sizeof name, "update_%02d%02d%02d.bat", hour, minute, second);
  return name;
}

UpdateScript PortableUpdateScript(std::string_view folder, std::string_view exe, std::string_view zip,
                                  std::uint32_t process_id) {
  UpdateScript s;
  // How the script names each: itself, or the variable that holds it.
  const auto name = [&s](std::string_view value, const char* variable) {
    if (IsAscii(value)) return Doubled(value, '%');
    s.environment.emplace_back(variable, std::string(value));
    std::string reference(1, '%');
    reference.append(variable).push_back('%');
    return reference;
  };
  const std::string e = name(exe, kScriptExeVariable);
  // The script starts in the program folder; it says so itself when it can.
  const std::string change_folder = IsAscii(folder) ? "cd /d \"" + Doubled(folder, '%') + "\""
                                                    : "rem The program folder is where this script was started.";
  // The archive's name stands in PowerShell's line as it is; it is the
  // package's, which is ASCII.
  const std::string z = Doubled(zip, '%');
  s.lines = {
      "@echo off",
      change_folder,
      "",
      "echo Killing app...",
      "taskkill /F /PID " + std::to_string(process_id) + " >nul 2>&1",
      "timeout /t 2 >nul",
      "",
      "echo Extracting...",
      "powershell -Command \"Add-Type -AssemblyName System.IO.Compression.FileSystem; $zip = "
      "[System.IO.Compression.ZipFile]::OpenRead('" + Doubled(z, '\'') + "'); foreach ($entry in $zip.Entries) { "
      "$target = $entry.FullName; if (-not $entry.Name) { [System.IO.Directory]::CreateDirectory($target) | Out-Null; "
      "} else { try { [System.IO.Compression.ZipFileExtensions]::ExtractToFile($entry, $target, $true) } catch { "
      "Write-Host ('Skipping: ' + $entry.FullName) } } }; $zip.Dispose(); Write-Host 'Extraction complete'\"",
      "",
      "echo Deleting ZIP...",
      "del \"" + z + "\"",
      "",
      "echo Starting app...",
      "start \"\" \"" + e + "\"",
      "",
      "echo Done",
      "timeout /t 2 >nul",
      "del \"%~f0\"",
  };
  return s;
}

Bytes UpdateScript::Content() const {
  Bytes out;
  for (const std::string& line : lines) {
    for (char c : line) out.push_back(static_cast<std::byte>(c));
    out.push_back(std::byte{'\r'});
    out.push_back(std::byte{'\n'});
  }
  return out;
}

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50, kEntrySignature = 0x02014b50, kEndSignature = 0x06054b50,
                        kZip64LocatorSignature = 0x07064b50;

bool IsDeviceName(std::string_view part) {
  // Windows opens a device for these whatever extension follows, and trims
  // blanks before it: "nul.txt", "COM1 .log".
  std::string_view base = part.substr(0, part.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  if (base.size() != 3 && base.size() != 4) return false;
  std::string upper;
  for (char c : base) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
  return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
         upper[3] <= '9';
}

// Why an entry's name may not be written inside the program folder, or
// nullopt. `utf8`: the name is UTF-8 (else one character a byte).
std::optional<std::string> UnsafeName(const std::string& name, bool utf8) {
  if (name.empty()) return "an entry without a name";
  if (name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos) return name;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < name.size(); ++characters) {
    if (utf8) {
      NextCodePoint(name, i);
    } else {
      ++i;
    }
  }
  if (characters > kMaxZipEntryName) return "a name longer than 260 characters: " + name.substr(0, 40) + "...";
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t next = name.find_first_of("/\\", start);
    const std::string_view part = std::string_view(name).substr(start, (next == std::string::npos ? name.size() : next) - start);
    // ".." climbs out; so would "..." or ".. " once Windows trims a
    // component's trailing dots and blanks.
    const bool dots_only = !part.empty() && part.find_first_not_of(". ") == std::string_view::npos;
    if (dots_only && part.find("..") != std::string_view::npos) return name;
    if (IsDeviceName(part)) return "a device name: " + name;
    if (next == std::string::npos) break;
    start = next + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> UnsafeZipEntry(ByteSource& zip) {
  const std::uint64_t size = zip.Size();
  if (size < 22) return "damaged archive";
  // The end record lies within the last 22 + 65535 bytes (its comment).
  const std::uint64_t tail_size = std::min<std::uint64_t>(size, 22 + 65535);
  Bytes tail(static_cast<std::size_t>(tail_size));
  if (!zip.Read(size - tail_size, tail)) return "damaged archive";
  std::optional<std::size_t> end;
  for (std::size_t i = tail.size() - 22 + 1; i-- > 0;) {
    if (LoadU32(&tail[i]) == kEndSignature) {
      end = i;
      break;
    }
  }
  if (!end) return "damaged archive";
  const std::uint64_t end_position = size - tail_size + *end;
  const std::uint16_t this_disk = LoadU16(&tail[*end + 4]), directory_disk = LoadU16(&tail[*end + 6]);
  const std::uint16_t count_here = LoadU16(&tail[*end + 8]), count = LoadU16(&tail[*end + 10]);
  const std::uint32_t directory_size = LoadU32(&tail[*end + 12]);
  const std::uint32_t directory_offset = LoadU32(&tail[*end + 16]);
  const std::uint16_t comment_length = LoadU16(&tail[*end + 20]);
  // Readers differ on what follows: one that finds any of these takes a
  // directory of the Zip64 records, which may not be the one checked here.
  if (count_here == 0xFFFF || count == 0xFFFF || directory_size == 0xFFFFFFFF || directory_offset == 0xFFFFFFFF)
    return "a Zip64 archive";
  if (end_position >= 20) {
    std::byte locator[4];
    if (zip.Read(end_position - 20, locator) && LoadU32(locator) == kZip64LocatorSignature) return "a Zip64 archive";
  }
  if (this_disk != 0 || directory_disk != 0 || count_here != count) return "an archive of several disks";
  // The end record ends the file, so no reader finds another in its comment.
  if (end_position + 22 + comment_length != size) return "damaged archive";
  if (static_cast<std::uint64_t>(directory_offset) + directory_size > end_position) return "damaged archive";
  Bytes directory(directory_size);
  if (!zip.Read(directory_offset, directory)) return "damaged archive";
  std::uint64_t declared = 0;
  std::size_t pos = 0;
  for (std::uint16_t n = 0; n < count; ++n) {
    if (pos + 46 > directory.size() || LoadU32(&directory[pos]) != kEntrySignature) return "damaged archive";
    const std::uint16_t flags = LoadU16(&directory[pos + 8]);
    const std::uint32_t compressed = LoadU32(&directory[pos + 20]), uncompressed = LoadU32(&directory[pos + 24]);
    const std::size_t name_length = LoadU16(&directory[pos + 28]);
    const std::size_t extra_length = LoadU16(&directory[pos + 30]);
    const std::size_t comment = LoadU16(&directory[pos + 32]);
    const std::uint16_t disk = LoadU16(&directory[pos + 34]);
    const std::uint32_t local_offset = LoadU32(&directory[pos + 42]);
    if (pos + 46 + name_length + extra_length + comment > directory.size()) return "damaged archive";
    const std::string name(reinterpret_cast<const char*>(&directory[pos + 46]), name_length);
    if (compressed == 0xFFFFFFFF || uncompressed == 0xFFFFFFFF || local_offset == 0xFFFFFFFF) return "a Zip64 entry: " + name;
    if (disk != 0) return "an archive of several disks";
    for (std::size_t e = pos + 46 + name_length; e + 4 <= pos + 46 + name_length + extra_length;) {
      const std::uint16_t id = LoadU16(&directory[e]), length = LoadU16(&directory[e + 2]);
      if (id == 0x0001) return "a Zip64 entry: " + name;
      e += 4 + length;
    }
    if (auto unsafe = UnsafeName(name, (flags & 0x0800) != 0)) return unsafe;
    declared += uncompressed;
    if (declared > kMaxUnpackedBytes) return "more than 512 MiB unpacked";
    // What an extractor reads first: the local header must say the same.
    Bytes local(30 + name_length);
    if (local_offset + local.size() > directory_offset || !zip.Read(local_offset, local) ||
        LoadU32(local.data()) != kLocalSignature)
      return "damaged archive";
    const std::uint16_t local_flags = LoadU16(&local[6]);
    const std::uint32_t local_compressed = LoadU32(&local[18]), local_uncompressed = LoadU32(&local[22]);
    const bool described_later = (local_flags & 0x0008) != 0 && local_compressed == 0 && local_uncompressed == 0;
    if (LoadU16(&local[26]) != name_length ||
        std::string_view(reinterpret_cast<const char*>(&local[30]), name_length) != name)
      return "an entry whose local header names another file: " + name;
    if (!described_later && (local_compressed != compressed || local_uncompressed != uncompressed))
      return "an entry whose local header gives other sizes: " + name;
    pos += 46 + name_length + extra_length + comment;
  }
  if (pos != directory.size()) return "damaged archive";
  return std::nullopt;
}

std::string EncodeUrlPath(std::string_view url) {
  // The scheme and the host stay as they are; the rest is the path.
  std::size_t path = 0;
  if (const std::size_t scheme = url.find("://"); scheme != std::string_view::npos) {
    path = url.find('/', scheme + 3);
    if (path == std::string_view::npos) return std::string(url);
  }
  const auto is_hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); };
  std::string out(url.substr(0, path));
  for (std::size_t i = path; i < url.size(); ++i) {
    const auto c = static_cast<unsigned char>(url[i]);
    const bool escape_already = c == '%' && i + 2 < url.size() && is_hex(url[i + 1]) && is_hex(url[i + 2]);
    const bool plain = c > 0x20 && c < 0x7f && std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) ==
                                                    std::string_view::npos;
    if ((plain && c != '%') || escape_already) {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

namespace {

// Collects the package in memory, no more of it than the manifest's size,
// and turns byte counts into bar steps.
class PackageCollector final : public HttpTransferObserver {
 public:
  PackageCollector(DownloadWatcher& watcher, const PackageRequest& request)
      : watcher_(watcher), expected_(request.expected->size), request_(request) {}
  bool Begin(std::int64_t total) override {
    if (total >= 0 && static_cast<std::uint64_t>(total) != expected_) {
      refusal = "the server sends " + std::to_string(total) + " bytes, the manifest says " + std::to_string(expected_);
      return false;
    }
    samples_.push_back({Now(), 0});
    bytes_per_step_ = BytesPerStep(total);  // the bar moves only with the server's length
    data.reserve(static_cast<std::size_t>(expected_));
    watcher_.Begin(bytes_per_step_);
    return true;
  }
  bool Received(std::span<const std::byte> piece, std::int64_t done) override {
    if (watcher_.Cancelled()) return false;
    if (piece.size() > expected_ - data.size()) {
      refusal = "the server sends more than the manifest's " + std::to_string(expected_) + " bytes";
      return false;
    }
    data.insert(data.end(), piece.begin(), piece.end());
    watcher_.Progress(ProgressPosition(done, bytes_per_step_));
    if (TooSlow(done)) return false;
    return !watcher_.Cancelled();
  }
  Bytes data;
  std::string refusal;
  std::string failure;  // why the transfer was broken off, when it was not the package's fault

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point Now() const { return request_.now ? request_.now() : Clock::now(); }
  // A server that keeps sending just enough never stalls: the average over
  // the last window must reach the least rate.
  bool TooSlow(std::int64_t done) {
    const Clock::time_point now = Now();
    samples_.push_back({now, done});
    const auto window = std::chrono::milliseconds(request_.rate_window_ms);
    // Keep the newest sample at or before the window's start as its base.
    while (samples_.size() > 2 && samples_[1].first <= now - window) samples_.pop_front();
    const auto& [since, base] = samples_.front();
    if (now - since < window) return false;
    const double seconds = std::chrono::duration<double>(now - since).count();
    if (static_cast<double>(done - base) >= seconds * static_cast<double>(request_.min_bytes_per_second)) return false;
    failure = "The transfer is slower than " + std::to_string(request_.min_bytes_per_second) + " bytes a second.";
    return true;
  }
  DownloadWatcher& watcher_;
  std::uint64_t expected_;
  const PackageRequest& request_;
  std::int64_t bytes_per_step_ = 0;
  std::deque<std::pair<Clock::time_point, std::int64_t>> samples_;
};

}  // namespace

std::optional<std::string> PackageRefusal(const PackageRequest& request) {
  if (!request.expected) return "no signed manifest vouches for the package";
  if (CompareVersions(request.version, request.local_version) < 0)
    return "version " + request.version + " is older than this program's " + request.local_version;
  return std::nullopt;
}

void DownloadPackage(HttpClient& http, FileSystem& fs, Crypto& crypto, const PackageRequest& request,
                     DownloadWatcher& watcher) {
  constexpr const char* kRefused = "The update is refused";
  if (request.url.empty()) throw Error("Cannot download the update", "No address was found for it.");
  if (const auto refusal = PackageRefusal(request)) throw UpdateNotVerified(kRefused, *refusal);
  if (request.expected->size > kMaxPackageBytes)
    throw UpdateNotVerified(kRefused, "the manifest describes a package of more than 256 MiB");
  PackageCollector collector(watcher, request);
  HttpRequestOptions options{.proxy = request.proxy,
                             .connect_timeout_ms = request.stall_limit_ms,
                             .read_timeout_ms = request.stall_limit_ms};
  try {
    http.Download(EncodeUrlPath(request.url), options, collector);
  } catch (const Error&) {
    if (!collector.refusal.empty()) throw UpdateNotVerified(kRefused, collector.refusal);
    if (!collector.failure.empty()) throw Error("Cannot download the update", collector.failure);
    throw;
  }
  if (watcher.Cancelled()) throw Error("Cannot download the update", "The transfer was cancelled.");
  if (collector.data.size() != request.expected->size)
    throw UpdateNotVerified(kRefused, "the server sent " + std::to_string(collector.data.size()) +
                                          " bytes, the manifest says " + std::to_string(request.expected->size));
  if (crypto.Sha256(collector.data) != request.expected->sha256)
    throw UpdateNotVerified(kRefused, "its SHA-256 is not the manifest's");
  if (request.archive) {
    MemoryByteSource archive(collector.data);
    if (const auto unsafe = UnsafeZipEntry(archive))
      throw Error("The update archive is refused", "It would write outside the program folder: " + *unsafe);
  }
  fs.WriteFileAtomically(request.target, collector.data);
}

}  // namespace vandrel
