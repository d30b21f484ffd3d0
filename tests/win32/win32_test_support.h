// Helpers for tests that run against the real (or Wine's) Windows.
#pragma once

#include <windows.h>

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

std::string SystemFolder();  // C:\windows\system32 (or its redirected view)
std::vector<std::string> FolderEntries(const std::string& folder);

}  // namespace vandrel::testing
