#include "common/ini_store.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "platform/text.h"

namespace vandrel {
namespace {

bool HasPrefix(std::span<const std::byte> bytes, std::initializer_list<unsigned char> mark) {
  if (bytes.size() < mark.size()) return false;
  std::size_t i = 0;
  for (unsigned char m : mark)
    if (static_cast<unsigned char>(bytes[i++]) != m) return false;
  return true;
}

std::string DecodeUtf16(std::span<const std::byte> bytes, bool big_endian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(big_endian ? (a << 8) | b : (b << 8) | a));
  }
  return Utf16ToUtf8(units);
}

void AppendUtf16(Bytes& out, std::string_view utf8, bool big_endian) {
  for (char16_t u : Utf8ToUtf16(utf8)) {
    const auto hi = static_cast<std::byte>(u >> 8);
    const auto lo = static_cast<std::byte>(u & 0xFF);
    out.push_back(big_endian ? hi : lo);
    out.push_back(big_endian ? lo : hi);
  }
}

void AppendMark(Bytes& out, std::initializer_list<unsigned char> mark) {
  for (unsigned char m : mark) out.push_back(static_cast<std::byte>(m));
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string DecodeText(std::span<const std::byte> bytes, const AnsiCodec& ansi, TextEncoding& found) {
  if (HasPrefix(bytes, {0xEF, 0xBB, 0xBF})) {
    found = TextEncoding::kUtf8;
    const auto rest = bytes.subspan(3);
    // Malformed sequences become U+FFFD, as a UTF-8 decoder on Windows does.
    const std::string_view raw(reinterpret_cast<const char*>(rest.data()), rest.size());
    std::string clean;
    clean.reserve(raw.size());
    std::size_t pos = 0;
    while (pos < raw.size()) AppendUtf8(clean, NextCodePoint(raw, pos));
    return clean;
  }
  if (HasPrefix(bytes, {0xFF, 0xFE})) {
    found = TextEncoding::kUtf16LE;
    return DecodeUtf16(bytes.subspan(2), false);
  }
  if (HasPrefix(bytes, {0xFE, 0xFF})) {
    found = TextEncoding::kUtf16BE;
    return DecodeUtf16(bytes.subspan(2), true);
  }
  found = TextEncoding::kAnsi;
  return ansi.Decode(bytes);
}

std::optional<Bytes> EncodeText(std::string_view text, TextEncoding encoding, const AnsiCodec& ansi) {
  Bytes out;
  switch (encoding) {
    case TextEncoding::kUtf8:
      AppendMark(out, {0xEF, 0xBB, 0xBF});
      for (char c : text) out.push_back(static_cast<std::byte>(c));
      return out;
    case TextEncoding::kUtf16BE:
      AppendMark(out, {0xFE, 0xFF});
      AppendUtf16(out, text, true);
      return out;
    case TextEncoding::kUtf16LE:
      AppendMark(out, {0xFF, 0xFE});
      AppendUtf16(out, text, false);
      return out;
    case TextEncoding::kNone:
    case TextEncoding::kAnsi:
      return ansi.Encode(text);
  }
  return std::nullopt;
}

bool DecodesFaithfully(std::span<const std::byte> bytes, const AnsiCodec& ansi) {
  TextEncoding found = TextEncoding::kNone;
  const std::string text = DecodeText(bytes, ansi, found);
  if (found == TextEncoding::kAnsi && text.find('\0') != std::string::npos) return false;
  const std::optional<Bytes> again = EncodeText(text, found, ansi);
  return again && std::equal(again->begin(), again->end(), bytes.begin(), bytes.end());
}

int ParseIniInteger(std::string_view text, int default_value) {
  std::string_view s = text;
  bool hex = false;
  bool negative = false;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    hex = true;
  } else {
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
      negative = s[0] == '-';
      s.remove_prefix(1);
    }
    if (!s.empty() && s[0] == '$') {
      s.remove_prefix(1);
      hex = true;
    }
  }
  if (s.empty()) return default_value;
  if (hex) {
    // Hexadecimal gives the 32-bit pattern: $FFFFFFFF is -1.
    std::uint64_t v = 0;
    for (char c : s) {
      const int d = HexValue(c);
      if (d < 0) return default_value;
      v = v * 16 + static_cast<unsigned>(d);
      if (v > 0xFFFFFFFFull) return default_value;
    }
    const auto bits = static_cast<std::uint32_t>(negative ? (0u - static_cast<std::uint32_t>(v)) : v);
    return static_cast<int>(static_cast<std::int32_t>(bits));
  }
  std::int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return default_value;
    v = v * 10 + (c - '0');
    if (v > static_cast<std::int64_t>(std::numeric_limits<int>::max()) + 1) return default_value;
  }
  if (negative) v = -v;
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return default_value;
  return static_cast<int>(v);
}

IniStore IniStore::Open(FileSystem& fs, const AnsiCodec& ansi, std::string path) {
  IniStore store(std::move(path), ansi);
  if (auto bytes = fs.ReadFile(store.path_)) {
    store.Load(DecodeText(*bytes, ansi, store.encoding_));
  }
  return store;
}

IniStore IniStore::Parse(std::span<const std::byte> bytes, const AnsiCodec& ansi) {
  IniStore store({}, ansi);
  store.Load(DecodeText(bytes, ansi, store.encoding_));
  return store;
}

void IniStore::Load(std::string_view text) {
  IniSection* current = nullptr;
  bool skipping = true;  // lines before the first section are skipped
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = TrimControl(text.substr(pos, end - pos));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    pos = end + 1;

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
      const std::string_view name = TrimControl(line.substr(1, line.size() - 2));
      if (FindSection(name) != nullptr) {
        skipping = true;  // a repeated section: its lines are ignored
        current = nullptr;
      } else {
        sections_.push_back(IniSection{std::string(name), {}});
        current = &sections_.back();
        skipping = false;
      }
      continue;
    }
    if (skipping || current == nullptr) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      current->entries.push_back(IniEntry{std::string(line), std::nullopt});
    } else {
      current->entries.push_back(IniEntry{std::string(TrimControl(line.substr(0, eq))),
                                          std::string(TrimControl(line.substr(eq + 1)))});
    }
  }
}

const IniSection* IniStore::FindSection(std::string_view name) const {
  for (const auto& s : sections_)
    if (EqualsNoCase(s.name, name)) return &s;
  return nullptr;
}

IniSection* IniStore::FindSection(std::string_view name) {
  for (auto& s : sections_)
    if (EqualsNoCase(s.name, name)) return &s;
  return nullptr;
}

std::string IniStore::ReadString(std::string_view section, std::string_view name,
                                 std::string_view default_value) const {
  if (const IniSection* s = FindSection(section)) {
    for (const auto& e : s->entries)
      if (e.value && EqualsNoCase(e.name, name)) return *e.value;
  }
  return std::string(default_value);
}

int IniStore::ReadInteger(std::string_view section, std::string_view name, int default_value) const {
  if (const IniSection* s = FindSection(section)) {
    for (const auto& e : s->entries)
      if (e.value && EqualsNoCase(e.name, name)) return ParseIniInteger(*e.value, default_value);
  }
  return default_value;
}

bool IniStore::ReadBool(std::string_view section, std::string_view name, bool default_value) const {
  return ReadInteger(section, name, default_value ? 1 : 0) != 0;
}

void IniStore::WriteString(std::string_view section, std::string_view name, std::string_view value) {
  IniSection* s = FindSection(section);
  if (s == nullptr) {
    sections_.push_back(IniSection{std::string(section), {}});
    s = &sections_.back();
  }
  for (auto& e : s->entries) {
    if (e.value && EqualsNoCase(e.name, name)) {
      e.value = std::string(value);
      return;
    }
  }
  s->entries.push_back(IniEntry{std::string(name), std::string(value)});
}

void IniStore::WriteInteger(std::string_view section, std::string_view name, int value) {
  WriteString(section, name, std::to_string(value));
}

void IniStore::WriteBool(std::string_view section, std::string_view name, bool value) {
  WriteString(section, name, value ? "1" : "0");
}

std::vector<std::string> IniStore::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const auto& s : sections_) names.push_back(s.name);
  return names;
}

std::vector<std::string> IniStore::EntryNames(std::string_view section) const {
  std::vector<std::string> names;
  if (const IniSection* s = FindSection(section)) {
    names.reserve(s->entries.size());
    for (const auto& e : s->entries) names.push_back(e.name);
  }
  return names;
}

bool IniStore::HasSection(std::string_view section) const { return FindSection(section) != nullptr; }

void IniStore::DeleteEntry(std::string_view section, std::string_view name) {
  IniSection* s = FindSection(section);
  if (s == nullptr) return;
  for (auto it = s->entries.begin(); it != s->entries.end(); ++it) {
    if (EqualsNoCase(it->name, name)) {
      s->entries.erase(it);
      return;
    }
  }
}

void IniStore::RetainEntries(std::string_view section, const std::vector<bool>& keep) {
  IniSection* s = FindSection(section);
  if (s == nullptr) return;
  std::vector<IniEntry> kept;
  kept.reserve(s->entries.size());
  for (std::size_t i = 0; i < s->entries.size(); ++i)
    if (i < keep.size() && keep[i]) kept.push_back(std::move(s->entries[i]));
  s->entries = std::move(kept);
}

void IniStore::EraseSection(std::string_view section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (EqualsNoCase(it->name, section)) {
      sections_.erase(it);
      return;
    }
  }
}

std::string IniStore::Layout() const {
  std::string text;
  for (const auto& s : sections_) {
    text += '[';
    text += s.name;
    text += "]\r\n";
    for (const auto& e : s.entries) {
      text += e.name;
      if (e.value) {
        text += '=';
        text += *e.value;
      }
      text += "\r\n";
    }
    text += "\r\n";
  }
  return text;
}

Bytes IniStore::Serialize(TextEncoding& used) const {
  const std::string text = Layout();
  used = encoding_ == TextEncoding::kNone ? TextEncoding::kAnsi : encoding_;
  if (auto bytes = EncodeText(text, used, *ansi_)) return std::move(*bytes);
  // The code page would lose characters: keep them all in UTF-16.
  used = TextEncoding::kUtf16LE;
  return *EncodeText(text, used, *ansi_);
}

void IniStore::Save(FileSystem& fs) {
  TextEncoding used = encoding_;
  const Bytes bytes = Serialize(used);
  fs.WriteFileAtomically(path_, bytes);
  encoding_ = used;
}

}  // namespace vandrel
