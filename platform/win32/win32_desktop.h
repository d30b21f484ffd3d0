// The desktop services on Windows.
#pragma once

#include "platform/desktop.h"

namespace vandrel {

class Win32Desktop final : public Desktop {
 public:
  std::vector<char> LocalDrives() override;
  bool AnyDrive() override;
  std::string VolumeLabel(char drive) override;
  std::string ResolveShortcut(const std::string& lnk_file) override;
  LocalTime Now() override;
  std::string ExecutablePath() override;
  bool LessInUserLocale(const std::string& a, const std::string& b) override;
  bool SetWriteTime(const std::string& path, const LocalTime& time) override;
  void Open(const std::string& target) override;
};

}  // namespace vandrel
