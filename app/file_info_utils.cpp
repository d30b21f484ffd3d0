#include "app/file_info_utils.h"

#include <cstdio>

#include "platform/byte_order.h"
#include "platform/text.h"

namespace vandrel {
namespace {

std::uint16_t U16(std::span<const std::byte> b, std::size_t at) { return LoadU16(b.data() + at); }
std::uint32_t U32(std::span<const std::byte> b, std::size_t at) { return LoadU32(b.data() + at); }

std::size_t Align4(std::size_t v) { return (v + 3) & ~std::size_t{3}; }

// One node of the version tree: wLength, wValueLength, wType, a NUL-ended
// UTF-16 key, the value and the children, each part 32-bit aligned.
struct Node {
  std::size_t begin = 0;
  std::size_t end = 0;  // begin + wLength, inside the parent
  std::uint16_t value_length = 0;
  std::uint16_t type = 0;
  std::u16string key;
  std::size_t value_begin = 0;
  std::size_t children_begin = 0;
};

std::optional<Node> ReadNode(std::span<const std::byte> b, std::size_t at, std::size_t limit) {
  if (at + 6 > limit) return std::nullopt;
  Node n;
  n.begin = at;
  const std::uint16_t length = U16(b, at);
  // A node longer than what holds it is damaged: none of it is read, so a
  // cut block never yields a cut value.
  if (length < 6 || at + length > limit) return std::nullopt;
  n.end = at + length;
  n.value_length = U16(b, at + 2);
  n.type = U16(b, at + 4);
  std::size_t p = at + 6;
  for (;;) {
    if (p + 2 > n.end) return std::nullopt;  // a key must end inside its node
    const char16_t c = static_cast<char16_t>(U16(b, p));
    p += 2;
    if (c == 0) break;
    n.key.push_back(c);
  }
  n.value_begin = std::min(Align4(p), n.end);
  const std::size_t value_bytes = n.type == 1 ? std::size_t{n.value_length} * 2 : n.value_length;
  n.children_begin = std::min(Align4(n.value_begin + value_bytes), n.end);
  return n;
}

std::optional<Node> FindChild(std::span<const std::byte> b, const Node& parent, std::string_view name) {
  std::size_t at = parent.children_begin;
  while (at < parent.end) {
    auto child = ReadNode(b, at, parent.end);
    if (!child) return std::nullopt;
    if (EqualsNoCase(Utf16ToUtf8(child->key), name)) return child;
    at = Align4(child->end);
  }
  return std::nullopt;
}

std::u16string TextAt(std::span<const std::byte> b, std::size_t offset, std::size_t max_chars) {
  std::u16string s;
  for (std::size_t i = 0; i < max_chars; ++i) s.push_back(static_cast<char16_t>(U16(b, offset + 2 * i)));
  return s;
}

std::optional<Bytes> ReadQuietly(VersionResourceReader& reader, const std::string& path) {
  try {
    return reader.ReadVersionResource(path);
  } catch (...) {
    return std::nullopt;  // unreadable files simply have no version text
  }
}

}  // namespace

std::optional<VersionQueryResult> QueryVersionValue(std::span<const std::byte> block,
                                                    std::string_view sub_block) {
  auto node = ReadNode(block, 0, block.size());
  if (!node) return std::nullopt;
  std::size_t pos = 0;
  while (pos < sub_block.size()) {
    while (pos < sub_block.size() && sub_block[pos] == '\\') ++pos;
    if (pos >= sub_block.size()) break;
    std::size_t next = sub_block.find('\\', pos);
    if (next == std::string_view::npos) next = sub_block.size();
    node = FindChild(block, *node, sub_block.substr(pos, next - pos));
    if (!node) return std::nullopt;
    pos = next;
  }
  VersionQueryResult r;
  r.offset = node->value_begin;
  r.length = node->value_length;
  r.available = node->end - node->value_begin;
  return r;
}

std::string SelectTranslationKey(std::span<const std::byte> block) {
  const auto q = QueryVersionValue(block, "\\VarFileInfo\\Translation");
  if (!q || q->length < 4 || q->available < 4) return std::string(kDefaultTranslationKey);
  char key[16];
  std::snprintf(key, sizeof key, "%.4x%.4x", static_cast<unsigned>(U16(block, q->offset)),
                static_cast<unsigned>(U16(block, q->offset + 2)));
  if (std::string_view(key) == "00000000") return std::string(kDefaultTranslationKey);
  return key;
}

std::string VersionValueFromBlock(std::span<const std::byte> block, std::string_view name) {
  const std::string path = "\\StringFileInfo\\" + SelectTranslationKey(block) + "\\" + std::string(name);
  const auto q = QueryVersionValue(block, path);
  if (!q || q->length == 0) return {};
  // The text runs to its first NUL; the value's own node bounds the search.
  std::u16string text;
  for (std::size_t i = 0; 2 * i + 1 < q->available; ++i) {
    const auto c = static_cast<char16_t>(U16(block, q->offset + 2 * i));
    if (c == 0) break;
    text.push_back(c);
  }
  return Utf16ToUtf8(text);
}

std::string FileVersionFromBlock(std::span<const std::byte> block) {
  const std::string path = "\\StringFileInfo\\" + SelectTranslationKey(block) + "\\FileVersion";
  std::string result;
  if (const auto q = QueryVersionValue(block, path); q && q->length > 0) {
    const std::u16string text = TextAt(block, q->offset, std::min<std::size_t>(q->length, q->available / 2));
    for (char16_t c : text) {
      if (c >= u'0' && c <= u'9') {
        result.push_back(static_cast<char>(c));
      } else if (c == u'.' || c == u',') {
        if (!result.empty() && result.back() != '.') result.push_back('.');
      } else if (c == u' ') {
        continue;
      } else {
        break;
      }
    }
    if (!result.empty() && result.back() == '.') result.pop_back();
    if (!result.empty()) return result;
  }
  // No usable text: the fixed part's dwFileVersionMS and dwFileVersionLS.
  const auto fixed = QueryVersionValue(block, "\\");
  if (!fixed || fixed->length < 16 || fixed->available < 16) return {};
  const std::uint32_t ms = U32(block, fixed->offset + 8);
  const std::uint32_t ls = U32(block, fixed->offset + 12);
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF);
  return text;
}

std::string GetVersionInfoValue(VersionResourceReader& reader, const std::string& path, std::string_view name) {
  const auto block = ReadQuietly(reader, path);
  if (!block || block->empty()) return {};
  return VersionValueFromBlock(*block, name);
}

std::string GetFileVersion(VersionResourceReader& reader, const std::string& path) {
  const auto block = ReadQuietly(reader, path);
  if (!block || block->empty()) return {};
  return FileVersionFromBlock(*block);
}

std::string GetLegalCopyright(VersionResourceReader& reader, const std::string& path) {
  return GetVersionInfoValue(reader, path, "LegalCopyright");
}

std::string GetCompanyName(VersionResourceReader& reader, const std::string& path) {
  return GetVersionInfoValue(reader, path, "CompanyName");
}

}  // namespace vandrel
