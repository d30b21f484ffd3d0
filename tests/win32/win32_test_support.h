// Helpers for tests that run against the real (or Wine's) Windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vandrel::testing {

// A fresh folder under the user's temporary folder, removed with its files
// when the test ends.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Adds a certificate (a DER file) to the Root store of this Wine prefix's
// machine, never the host's; false when it cannot.
bool TrustInThisPrefix(const std::string& der_file);

// What an icon shows: its colour bitmap's pixels (0xAARRGGBB) row by row
// from the top, and its width; empty when there is no icon.
struct IconBitmap {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  bool operator==(const IconBitmap&) const = default;
};
IconBitmap IconPixels(HICON icon);

// An environment variable; empty when unset.
std::string EnvText(const char* name);
// A file of the host as this Windows program sees it (Wine maps / to Z:).
std::string HostFile(const std::string& host_path);
// A whole file; nullopt when there is none or it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// The file's text once it holds `needle`, or as it is after 5 s (a server's
// log is written a moment after the answer).
std::string TextOnceItHolds(const std::string& path, const std::string& needle);

std::string SystemFolder();  // C:\windows\system32 (or its redirected view)
std::vector<std::string> FolderEntries(const std::string& folder);

}  // namespace vandrel::testing
