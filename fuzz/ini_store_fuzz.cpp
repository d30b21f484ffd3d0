// Any bytes as an INI file: read, write, save, and read the saved file again;
// the second reading must give the same sections and entries.
#include <cstddef>
#include <cstdint>

#include "common/ini_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto codec = vandrel::MakeWindows1251Codec();
  const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  auto ini = vandrel::IniStore::Parse(bytes, *codec);
  for (const auto& section : ini.SectionNames()) {
    for (const auto& name : ini.EntryNames(section)) (void)ini.ReadInteger(section, name, 0);
  }
  ini.WriteString(".ShellClassInfo", "IconResource", "icon.ico,0");
  vandrel::TextEncoding used{};
  const vandrel::Bytes saved = ini.Serialize(used);
  auto again = vandrel::IniStore::Parse(saved, *codec);
  if (again.Layout() != ini.Layout()) __builtin_trap();
  return 0;
}
