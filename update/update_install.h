// Downloading and installing an update, the parts that need no window: the
// package's name, the installer's parameters, progress steps, the portable
// update script and the check of a downloaded archive.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypto.h"
#include "platform/error.h"
#include "platform/file_system.h"
#include "platform/http_client.h"
#include "update/update_manifest.h"

namespace vandrel {

// The text after the last "/" of an address; the whole address when it has
// no "/" or ends with one.
std::string FileNameFromUrl(std::string_view url);

// The installer's parameters, in the language the user chose (may be empty).
std::string InstallerParameters(std::string_view language);

// Bytes per step of a 100-step progress bar, rounded half to even; 0 when the
// size is unknown or 50 bytes or less.
std::int64_t BytesPerStep(std::int64_t total);
// The position for `done` bytes, rounded the same way (it may pass 100, which
// the bar shows as full); nullopt when there are no steps.
std::optional<std::int64_t> ProgressPosition(std::int64_t done, std::int64_t bytes_per_step);

// "update_hhnnss.bat" for the time of day.
std::string UpdateScriptName(int hour, int minute, int second);

// The portable update script: it ends the program, unpacks the archive over
// the program folder, deletes the archive and starts the program again.
// `folder` ends with a backslash; `exe` and `zip` are file names in it.
// Names reach the script intact: "%" is doubled. cmd reads a script in the
// console's code page, which cannot hold every name (and Wine's cmd ignores
// chcp), so a name beyond ASCII is not written into the script: the script
// is started in the program folder, and reads a program name beyond ASCII
// from an environment variable set for it.
struct UpdateScript {
  std::vector<std::string> lines;
  // Variables to set for the script (name, value in UTF-8); empty for ASCII names.
  std::vector<std::pair<std::string, std::string>> environment;
  // The file's bytes: CRLF after each line.
  Bytes Content() const;
};
inline constexpr char kScriptExeVariable[] = "VANDREL_UPDATE_EXE";
// `process_id` is the running program's: the script ends that process alone,
// not every copy of the program in every session.
UpdateScript PortableUpdateScript(std::string_view folder, std::string_view exe, std::string_view zip,
                                  std::uint32_t process_id);

inline constexpr std::size_t kMaxZipEntryName = 260;
inline constexpr std::uint64_t kMaxUnpackedBytes = 512ull << 20;

// Why an archive must not be unpacked over the program folder, read as an
// extractor reads it: an entry whose path is absolute, names a drive, holds
// a colon (a stream), climbs out with "..", has a device name (CON, NUL.txt,
// COM1…) as a part or more than 260 characters; Zip64 records or entries,
// several disks, a local header that names another file or other sizes than
// the directory, more than 512 MiB unpacked, or a damaged archive. nullopt:
// every entry stays inside the folder.
std::optional<std::string> UnsafeZipEntry(ByteSource& zip);

// The address with what may not stand in its path percent-encoded (blanks,
// quotes, characters outside ASCII…); "%XX" already there is kept.
std::string EncodeUrlPath(std::string_view url);

// The longest a package download may go without receiving anything.
inline constexpr int kStallLimitMs = 30'000;
// A download slower than this on average over the window fails.
inline constexpr std::int64_t kMinBytesPerSecond = 1024;
inline constexpr int kRateWindowMs = 60'000;
// The largest package a manifest may describe.
inline constexpr std::uint64_t kMaxPackageBytes = 256ull << 20;

// What a package download tells the window as it goes (on the worker).
class DownloadWatcher {
 public:
  virtual ~DownloadWatcher() = default;
  // The transfer begins: a 100-step bar; `bytes_per_step` 0 when the size is unknown.
  virtual void Begin(std::int64_t bytes_per_step) = 0;
  // Bytes arrived; `position` is set when the bar moves (it may pass 100).
  virtual void Progress(std::optional<std::int64_t> position) = 0;
  // True once the user cancelled: the transfer breaks off.
  virtual bool Cancelled() = 0;
};

struct PackageRequest {
  std::string url;              // the package's address
  std::string target;           // where the package goes
  bool archive = false;         // a zip to be unpacked over the program folder: checked first
  std::optional<HttpProxy> proxy;
  int stall_limit_ms = kStallLimitMs;
  // What the signed manifest says of the package; none: nothing vouches for it.
  std::optional<PackageDigest> expected;
  std::string version;        // the manifest's version
  std::string local_version;  // the running program's
  std::int64_t min_bytes_per_second = kMinBytesPerSecond;
  int rate_window_ms = kRateWindowMs;
  // What time it is; none: the steady clock. Tests pass their own.
  std::function<std::chrono::steady_clock::time_point()> now;
};

// A package, or what the program would run, that cannot be shown to be the
// maker's: a wrong size or digest, no manifest, an older version, a refused
// signature. The message says which.
class UpdateNotVerified : public Error {
 public:
  using Error::Error;
};

// Why the package must not be fetched at all: nothing vouches for it, or it
// is older than the running program (an old signed version may have a known
// hole, so it is never installed again). nullopt: fetch it.
std::optional<std::string> PackageRefusal(const PackageRequest& request);

// Fetches the package into memory and puts it at the target in one step, only
// after a complete transfer whose size and SHA-256 are the manifest's (and a
// safe archive): a failure or a cancel leaves no file and an earlier one as
// it was. A length other than the manifest's is refused before the body is
// read, and the body never grows past it. Throws UpdateNotVerified for a
// package the manifest does not vouch for, Error for no address, a failed,
// broken-off or cancelled transfer, an unsafe archive, a write that fails.
void DownloadPackage(HttpClient& http, FileSystem& fs, Crypto& crypto, const PackageRequest& request,
                     DownloadWatcher& watcher);

}  // namespace vandrel
