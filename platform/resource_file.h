// An executable opened for its resources: the four services the icon code
// needs (open, enumerate the names of one type in order, find a resource's
// bytes, close). On Windows this is the system loader; elsewhere, and in
// tests, our own PE reader.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace vandrel {

inline constexpr std::uint16_t kResourceTypeIcon = 3;        // RT_ICON
inline constexpr std::uint16_t kResourceTypeGroupIcon = 14;  // RT_GROUP_ICON
inline constexpr std::uint16_t kResourceTypeVersion = 16;    // RT_VERSION

// A resource name: an integer identifier or a string.
struct ResourceName {
  bool is_id = true;
  std::uint16_t id = 0;
  std::string text;  // the string name, when !is_id

  static ResourceName Id(std::uint16_t id) { return {true, id, {}}; }
  static ResourceName String(std::string name) { return {false, 0, std::move(name)}; }

  // "ID:" and the decimal identifier, or the string name unchanged.
  std::string ListText() const;
  bool operator==(const ResourceName&) const = default;
};

class ResourceFile {
 public:
  virtual ~ResourceFile() = default;  // closes the file
  // Calls `visit` once per name of `type`, in the platform's enumeration order.
  virtual void EnumerateNames(std::uint16_t type, const std::function<void(const ResourceName&)>& visit) = 0;
  // The resource's bytes; nullopt when there is no such resource or its bytes
  // cannot be had.
  virtual std::optional<Bytes> Find(std::uint16_t type, const ResourceName& name) = 0;
};

class ResourceLoader {
 public:
  virtual ~ResourceLoader() = default;
  // nullptr when the file cannot be opened as an executable image.
  virtual std::unique_ptr<ResourceFile> Open(const std::string& path) = 0;
};

}  // namespace vandrel
