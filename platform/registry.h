// The current user's part of the registry (HKEY_CURRENT_USER), as far as the
// program writes it: keys named by their path below that root.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vandrel {

class Registry {
 public:
  virtual ~Registry() = default;
  // True when the key exists (its values and subkeys are not looked at).
  virtual bool KeyExists(const std::string& key) = 0;
  // Opens the key, creating it and its missing parents. Throws Error with the
  // system's reason when that fails.
  virtual void CreateKey(const std::string& key) = 0;
  // Writes a text (REG_SZ) value of an existing key; an empty name is the
  // key's default value. Throws Error with the system's reason.
  virtual void SetString(const std::string& key, const std::string& name, const std::string& value) = 0;
  // A value of an existing key, read without creating anything; nullopt when
  // the key or the value is missing or of another type (a DWORD, a text).
  virtual std::optional<std::uint32_t> ReadDword(const std::string& key, const std::string& name) = 0;
  virtual std::optional<std::string> ReadString(const std::string& key, const std::string& name) = 0;
  // Deletes the key with every subkey it has; a missing key is no error.
  // Throws Error with the system's reason when a key cannot be deleted.
  virtual void DeleteTree(const std::string& key) = 0;
};

}  // namespace vandrel
