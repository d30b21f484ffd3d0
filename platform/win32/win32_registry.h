// The current user's registry on Windows.
#pragma once

#include "platform/registry.h"

namespace vandrel {

class Win32Registry final : public Registry {
 public:
  bool KeyExists(const std::string& key) override;
  void CreateKey(const std::string& key) override;
  void SetString(const std::string& key, const std::string& name, const std::string& value) override;
  void DeleteTree(const std::string& key) override;
  std::optional<std::uint32_t> ReadDword(const std::string& key, const std::string& name) override;
  std::optional<std::string> ReadString(const std::string& key, const std::string& name) override;
};

}  // namespace vandrel
