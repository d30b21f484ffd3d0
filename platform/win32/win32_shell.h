// The shell port over shell32 and user32.
#pragma once

#include "platform/shell.h"

namespace vandrel {

class Win32Shell final : public Shell {
 public:
  bool RecycleFile(const std::string& path, std::string& reason) override;
  void NotifyAssociationsChanged() override;
  void NotifyItemUpdated(const std::string& path) override;
  void NotifyFolderUpdated(const std::string& path) override;
  void RefreshDesktop() override;
  std::string GetSpecialFolder(int csidl) override;
  std::string TempFolderPath() override;
  std::string ToUpperUserLocale(const std::string& text) override;
};

}  // namespace vandrel
