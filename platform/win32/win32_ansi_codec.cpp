#include "platform/win32/win32_ansi_codec.h"

#include <climits>

#include "platform/win32/wide.h"

namespace vandrel {

Win32AnsiCodec::Win32AnsiCodec() : code_page_(::GetACP()) {}

std::string Win32AnsiCodec::Decode(std::span<const std::byte> bytes) const {
  if (bytes.empty()) return {};
  const auto* in = reinterpret_cast<const char*>(bytes.data());
  const int in_size = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
  const int n = ::MultiByteToWideChar(code_page_, 0, in, in_size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(code_page_, 0, in, in_size, wide.data(), n);
  return Narrow(wide);
}

std::optional<Bytes> Win32AnsiCodec::Encode(std::string_view utf8) const {
  const std::wstring wide = Widen(utf8);
  if (wide.empty()) return Bytes{};
  const int in_size = static_cast<int>(std::min<std::size_t>(wide.size(), INT_MAX));
  // UTF-8 and the other code pages that WideCharToMultiByte cannot report
  // substitutions for are checked by decoding the result again.
  const bool can_report = code_page_ != CP_UTF8 && code_page_ != CP_UTF7 && code_page_ < 50000;
  const DWORD flags = can_report ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL used_default = FALSE;
  const int n = ::WideCharToMultiByte(code_page_, flags, wide.data(), in_size, nullptr, 0, nullptr,
                                      can_report ? &used_default : nullptr);
  if (n <= 0) return std::nullopt;
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(code_page_, flags, wide.data(), in_size, out.data(), n, nullptr,
                        can_report ? &used_default : nullptr);
  if (used_default) return std::nullopt;
  Bytes bytes(out.size());
  for (std::size_t i = 0; i < out.size(); ++i) bytes[i] = static_cast<std::byte>(out[i]);
  if (Decode(bytes) != Narrow(wide)) return std::nullopt;  // no silent substitutions
  return bytes;
}

}  // namespace vandrel
