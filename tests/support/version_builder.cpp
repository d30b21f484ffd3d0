#include "tests/support/version_builder.h"

#include "platform/byte_order.h"
#include "platform/text.h"

namespace vandrel::testing {
namespace {

void Align4(Bytes& b) {
  while (b.size() % 4) b.push_back(std::byte{0});
}

// wLength, wValueLength, wType, key, padding, value, padding, children.
Bytes Node(const std::string& key, std::uint16_t type, std::uint16_t value_length, const Bytes& value,
           const std::vector<Bytes>& children) {
  Bytes b(6);
  for (char16_t c : Utf8ToUtf16(key)) AppendU16(b, c);
  AppendU16(b, 0);
  Align4(b);
  b.insert(b.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    Align4(b);
    b.insert(b.end(), child.begin(), child.end());
  }
  const auto length = static_cast<std::uint16_t>(b.size());
  b[0] = static_cast<std::byte>(length & 0xFF);
  b[1] = static_cast<std::byte>(length >> 8);
  b[2] = static_cast<std::byte>(value_length & 0xFF);
  b[3] = static_cast<std::byte>(value_length >> 8);
  b[4] = static_cast<std::byte>(type);
  b[5] = std::byte{0};
  return b;
}

}  // namespace

Bytes BuildVersionBlock(const VersionSpec& spec) {
  Bytes fixed;
  if (spec.fixed) {
    const std::uint32_t words[13] = {0xFEEF04BD, 0x00010000, spec.fixed->first, spec.fixed->second,
                                     spec.fixed->first, spec.fixed->second, 0x3F, 0, 0x40004, 2, 0, 0, 0};
    for (std::uint32_t w : words) {
      AppendU16(fixed, w & 0xFFFF);
      AppendU16(fixed, w >> 16);
    }
  }
  std::vector<Bytes> children;
  if (!spec.tables.empty()) {
    std::vector<Bytes> tables;
    for (const VersionTable& t : spec.tables) {
      std::vector<Bytes> strings;
      for (const VersionString& s : t.strings) {
        Bytes value;
        for (char16_t c : s.value) AppendU16(value, c);
        AppendU16(value, 0);
        strings.push_back(Node(s.name, 1, s.value_length.value_or(static_cast<std::uint16_t>(s.value.size() + 1)),
                               value, {}));
      }
      tables.push_back(Node(t.key, 1, 0, {}, strings));
    }
    children.push_back(Node("StringFileInfo", 1, 0, {}, tables));
  }
  if (spec.translations) {
    Bytes value;
    for (const auto& [lang, cp] : *spec.translations) {
      AppendU16(value, lang);
      AppendU16(value, cp);
    }
    const Bytes var = Node("Translation", 0, static_cast<std::uint16_t>(value.size()), value, {});
    children.push_back(Node("VarFileInfo", 1, 0, {}, {var}));
  }
  return Node("VS_VERSION_INFO", 0, static_cast<std::uint16_t>(fixed.size()), fixed, children);
}

VersionSpec SimpleVersion(std::u16string file_version, std::uint32_t ms, std::uint32_t ls) {
  VersionSpec spec;
  spec.fixed = std::make_pair(ms, ls);
  spec.tables.push_back({"040904E4", {{"CompanyName", u"Vandrel Software"}, {"FileVersion", std::move(file_version)}}});
  spec.translations = std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0x0409, 0x04E4}};
  return spec;
}

}  // namespace vandrel::testing
