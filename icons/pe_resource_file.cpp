#include "icons/pe_resource_file.h"

#include <array>
#include <vector>

#include "platform/byte_order.h"
#include "platform/text.h"

namespace vandrel {
namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kMaxSections = 96;  // the loader's own limit


struct Section {
  std::uint32_t virtual_address;
  std::uint32_t raw_pointer;
  std::uint32_t raw_size;
};

struct DirEntry {
  std::uint32_t name;
  std::uint32_t target;
  bool named() const { return (name & kHighBit) != 0; }
  bool subdirectory() const { return (target & kHighBit) != 0; }
  std::uint32_t target_offset() const { return target & ~kHighBit; }
};

class PeResourceFile final : public ResourceFile {
 public:
  PeResourceFile(std::unique_ptr<ByteSource> source, std::vector<Section> sections, std::uint32_t root_rva)
      : source_(std::move(source)), sections_(std::move(sections)), root_rva_(root_rva) {}

  void EnumerateNames(std::uint16_t type, const std::function<void(const ResourceName&)>& visit) override {
    const auto type_entry = FindTypeEntry(type);
    if (!type_entry || !type_entry->subdirectory()) return;
    std::vector<DirEntry> names;
    if (!ReadDirectory(type_entry->target_offset(), names)) return;
    for (const DirEntry& e : names) {
      if (auto name = EntryName(e)) visit(*name);
    }
  }

  std::optional<Bytes> Find(std::uint16_t type, const ResourceName& name) override {
    const auto type_entry = FindTypeEntry(type);
    if (!type_entry || !type_entry->subdirectory()) return std::nullopt;
    std::vector<DirEntry> names;
    if (!ReadDirectory(type_entry->target_offset(), names)) return std::nullopt;
    for (const DirEntry& e : names) {
      const auto entry_name = EntryName(e);
      if (!entry_name || !Matches(*entry_name, name)) continue;
      if (!e.subdirectory()) return std::nullopt;  // a name must lead to its languages
      std::vector<DirEntry> languages;
      if (!ReadDirectory(e.target_offset(), languages) || languages.empty()) return std::nullopt;
      // The first language entry; it must be a data entry, not another level.
      const DirEntry& lang = languages.front();
      if (lang.subdirectory()) return std::nullopt;
      return ReadData(lang.target_offset());
    }
    return std::nullopt;
  }

 private:
  static bool Matches(const ResourceName& a, const ResourceName& b) {
    if (a.is_id != b.is_id) return false;
    return a.is_id ? a.id == b.id : EqualsNoCase(a.text, b.text);
  }

  // Reads `out.size()` bytes at a virtual address; the whole range must lie in
  // one section's data as stored in the file. A file opened as data is not
  // mapped as an image, so as for the system loader, only the stored bytes of
  // a section count.
  bool ReadRva(std::uint64_t rva, std::span<std::byte> out) {
    for (const Section& s : sections_) {
      const std::uint64_t start = s.virtual_address;
      if (rva < start || rva >= start + s.raw_size) continue;
      const std::uint64_t delta = rva - start;
      if (delta + out.size() > s.raw_size) return false;
      return source_->Read(std::uint64_t{s.raw_pointer} + delta, out);
    }
    return false;
  }

  // Reads one directory table (its 16-byte header and all its 8-byte entries)
  // at an offset from the resource root.
  bool ReadDirectory(std::uint32_t offset, std::vector<DirEntry>& out) {
    std::array<std::byte, 16> header{};
    if (!ReadRva(std::uint64_t{root_rva_} + offset, header)) return false;
    const std::size_t count = std::size_t{LoadU16(&header[12])} + LoadU16(&header[14]);
    if (count == 0) return true;
    std::vector<std::byte> raw(count * 8);  // at most 1 MiB, and only after the header was read
    if (!ReadRva(std::uint64_t{root_rva_} + offset + 16, raw)) return false;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) out.push_back(DirEntry{LoadU32(&raw[i * 8]), LoadU32(&raw[i * 8 + 4])});
    return true;
  }

  std::optional<DirEntry> FindTypeEntry(std::uint16_t type) {
    std::vector<DirEntry> types;
    if (root_rva_ == 0 || !ReadDirectory(0, types)) return std::nullopt;
    for (const DirEntry& e : types)
      if (!e.named() && (e.name & 0xFFFF) == type && (e.name >> 16) == 0) return e;
    return std::nullopt;
  }

  std::optional<ResourceName> EntryName(const DirEntry& e) {
    if (!e.named()) {
      if ((e.name >> 16) != 0) return std::nullopt;
      return ResourceName::Id(static_cast<std::uint16_t>(e.name));
    }
    const std::uint64_t at = std::uint64_t{root_rva_} + (e.name & ~kHighBit);
    std::array<std::byte, 2> len_bytes{};
    if (!ReadRva(at, len_bytes)) return std::nullopt;
    const std::size_t length = LoadU16(len_bytes.data());
    std::vector<std::byte> raw(length * 2);
    if (!ReadRva(at + 2, raw)) return std::nullopt;
    std::u16string units;
    units.reserve(length);
    for (std::size_t i = 0; i < length; ++i) units.push_back(static_cast<char16_t>(LoadU16(&raw[i * 2])));
    return ResourceName::String(Utf16ToUtf8(units));
  }

  std::optional<Bytes> ReadData(std::uint32_t entry_offset) {
    std::array<std::byte, 16> entry{};
    if (!ReadRva(std::uint64_t{root_rva_} + entry_offset, entry)) return std::nullopt;
    const std::uint32_t data_rva = LoadU32(&entry[0]);
    const std::uint32_t size = LoadU32(&entry[4]);
    // Check the range against the file before anything is allocated for it.
    if (size > source_->Size()) return std::nullopt;
    Bytes data(size);
    if (!ReadRva(data_rva, data)) return std::nullopt;
    return data;
  }

  std::unique_ptr<ByteSource> source_;
  std::vector<Section> sections_;
  std::uint32_t root_rva_;
};

}  // namespace

namespace {

// The headers every question about a PE image starts from.
struct PeHeaders {
  std::size_t section_count = 0;
  std::uint64_t optional_at = 0;  // where the optional header starts
  std::vector<std::byte> optional;
  std::size_t rva_count_at = 0;   // where the data directory count stands in it
  // The data directory `index` (address and size); nullopt when there is none.
  std::optional<std::pair<std::uint32_t, std::uint32_t>> Directory(std::size_t index) const {
    const std::uint32_t rva_count = LoadU32(&optional[rva_count_at]);
    const std::size_t at = rva_count_at + 4 + index * 8;
    if (rva_count <= index || optional.size() < at + 8) return std::nullopt;
    return std::pair{LoadU32(&optional[at]), LoadU32(&optional[at + 4])};
  }
};

std::optional<PeHeaders> ReadPeHeaders(ByteSource& source) {
  std::array<std::byte, 64> dos{};
  if (!source.Read(0, dos) || LoadU16(&dos[0]) != 0x5A4D) return std::nullopt;  // "MZ"
  const std::uint32_t pe_offset = LoadU32(&dos[0x3C]);

  // Signature, file header and the largest optional header we look at.
  std::array<std::byte, 4 + 20> nt{};
  if (!source.Read(pe_offset, nt) || LoadU32(&nt[0]) != 0x00004550) return std::nullopt;  // "PE\0\0"
  PeHeaders h;
  h.section_count = LoadU16(&nt[4 + 2]);
  const std::size_t optional_size = LoadU16(&nt[4 + 16]);
  if (h.section_count > kMaxSections || optional_size < 2) return std::nullopt;

  h.optional.resize(optional_size);
  h.optional_at = std::uint64_t{pe_offset} + 24;
  if (!source.Read(h.optional_at, h.optional)) return std::nullopt;
  const std::uint16_t magic = LoadU16(&h.optional[0]);
  if (magic == 0x10B) {
    h.rva_count_at = 92;  // PE32
  } else if (magic == 0x20B) {
    h.rva_count_at = 108;  // PE32+
  } else {
    return std::nullopt;
  }
  if (optional_size < h.rva_count_at + 4) return std::nullopt;
  return h;
}

}  // namespace

std::optional<PeCertificateTable> FindPeCertificateTable(ByteSource& source) {
  const auto h = ReadPeHeaders(source);
  if (!h) return std::nullopt;
  // The fifth directory gives a file offset, not an address.
  const auto table = h->Directory(4);
  if (!table) return PeCertificateTable{};
  return PeCertificateTable{table->first, table->second};
}

std::unique_ptr<ResourceFile> OpenPeResources(std::unique_ptr<ByteSource> source) {
  if (!source) return nullptr;
  const auto h = ReadPeHeaders(*source);
  if (!h) return nullptr;
  const std::size_t section_count = h->section_count;
  const std::uint64_t optional_at = h->optional_at;
  const std::size_t optional_size = h->optional.size();
  const std::uint32_t root_rva = h->Directory(2).value_or(std::pair<std::uint32_t, std::uint32_t>{0, 0}).first;

  std::vector<std::byte> table(section_count * 40);
  if (!source->Read(optional_at + optional_size, table)) return nullptr;
  std::vector<Section> sections;
  sections.reserve(section_count);
  for (std::size_t i = 0; i < section_count; ++i) {
    const std::byte* s = &table[i * 40];
    sections.push_back(Section{LoadU32(s + 12), LoadU32(s + 20), LoadU32(s + 16)});
  }
  return std::make_unique<PeResourceFile>(std::move(source), std::move(sections), root_rva);
}

std::unique_ptr<ResourceFile> PeResourceLoader::Open(const std::string& path) {
  return OpenPeResources(fs_.OpenForReading(path));
}

std::optional<Bytes> ReadVersionBlock(ResourceFile& file) {
  return file.Find(kResourceTypeVersion, ResourceName::Id(1));
}

std::optional<Bytes> PeVersionReader::ReadVersionResource(const std::string& path) {
  auto file = loader_.Open(path);
  if (!file) return std::nullopt;
  return ReadVersionBlock(*file);
}

}  // namespace vandrel
