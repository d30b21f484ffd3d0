// The system's ANSI code page, as a port: Windows uses the real one, tests and
// the native build use the single-byte codecs below.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vandrel {

class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;
  // Bytes in the code page to UTF-8; never fails (undefined bytes map as
  // Windows maps them).
  virtual std::string Decode(std::span<const std::byte> bytes) const = 0;
  // UTF-8 to the code page; nullopt when some character has no exact
  // representation (no best-fit substitutes).
  virtual std::optional<Bytes> Encode(std::string_view utf8) const = 0;
};

// Windows-1251 (Cyrillic) and Windows-1252 (Western), byte for byte as
// Windows maps them.
std::unique_ptr<AnsiCodec> MakeWindows1251Codec();
std::unique_ptr<AnsiCodec> MakeWindows1252Codec();

}  // namespace vandrel
