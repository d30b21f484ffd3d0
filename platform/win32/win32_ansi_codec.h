// The system's ANSI code page (or any code page by number).
#pragma once

#include "platform/ansi_codec.h"

namespace vandrel {

class Win32AnsiCodec final : public AnsiCodec {
 public:
  Win32AnsiCodec();  // the system's ANSI code page
  explicit Win32AnsiCodec(unsigned code_page) : code_page_(code_page) {}
  std::string Decode(std::span<const std::byte> bytes) const override;
  std::optional<Bytes> Encode(std::string_view utf8) const override;
  unsigned code_page() const { return code_page_; }

 private:
  unsigned code_page_;
};

}  // namespace vandrel
