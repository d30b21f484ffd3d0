// Version blocks through the Windows version library.
#pragma once

#include "platform/version_resource.h"

namespace vandrel {

class Win32VersionReader final : public VersionResourceReader {
 public:
  std::optional<Bytes> ReadVersionResource(const std::string& path) override;
};

}  // namespace vandrel
