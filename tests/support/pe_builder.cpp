#include "tests/support/pe_builder.h"

#include <algorithm>
#include <map>

#include "platform/byte_order.h"
#include "platform/text.h"

namespace vandrel::testing {
namespace {

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<std::byte>(v & 0xFF);
  b[at + 1] = static_cast<std::byte>((v >> 8) & 0xFF);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
void AlignTo(Bytes& b, std::size_t a) { b.resize((b.size() + a - 1) / a * a); }

bool NameLess(const ResourceName& a, const ResourceName& b) {
  if (a.is_id != b.is_id) return !a.is_id;  // string names first
  if (a.is_id) return a.id < b.id;
  return Utf8ToUtf16(a.text) < Utf8ToUtf16(b.text);
}

struct NameGroup {
  ResourceName name;
  std::vector<const PeResource*> languages;
};

struct TypeGroup {
  std::uint16_t type;
  std::vector<NameGroup> names;
};

// The .rsrc section: directories first, then strings, data entries, data.
Bytes BuildResourceSection(const std::vector<PeResource>& resources, const PeOptions& o) {
  std::vector<TypeGroup> types;
  for (const PeResource& r : resources) {
    auto t = std::find_if(types.begin(), types.end(), [&](const TypeGroup& g) { return g.type == r.type; });
    if (t == types.end()) {
      types.push_back({r.type, {}});
      t = types.end() - 1;
    }
    auto n = std::find_if(t->names.begin(), t->names.end(), [&](const NameGroup& g) { return g.name == r.name; });
    if (n == t->names.end()) {
      t->names.push_back({r.name, {}});
      n = t->names.end() - 1;
    }
    n->languages.push_back(&r);
  }
  std::sort(types.begin(), types.end(), [](const TypeGroup& a, const TypeGroup& b) { return a.type < b.type; });
  if (!o.keep_order) {
    for (auto& t : types)
      std::stable_sort(t.names.begin(), t.names.end(),
                       [](const NameGroup& a, const NameGroup& b) { return NameLess(a.name, b.name); });
  }

  // Sizes of the directory tables.
  std::size_t dir_size = 16 + 8 * types.size();
  std::size_t leaf_count = 0;
  for (const auto& t : types) {
    dir_size += 16 + 8 * t.names.size();
    for (const auto& n : t.names) {
      dir_size += 16 + 8 * n.languages.size();
      leaf_count += n.languages.size();
    }
  }
  Bytes sec(dir_size);
  std::size_t strings_at = dir_size;
  // Strings region.
  std::map<std::string, std::uint32_t> string_offsets;
  Bytes strings;
  for (const auto& t : types)
    for (const auto& n : t.names)
      if (!n.name.is_id && !string_offsets.count(n.name.text)) {
        string_offsets[n.name.text] = static_cast<std::uint32_t>(strings_at + strings.size());
        const std::u16string u = Utf8ToUtf16(n.name.text);
        AppendU16(strings, static_cast<std::uint32_t>(u.size()));
        for (char16_t c : u) AppendU16(strings, c);
      }
  sec.insert(sec.end(), strings.begin(), strings.end());
  AlignTo(sec, 8);
  const std::size_t entries_at = sec.size();
  sec.resize(entries_at + 16 * leaf_count);
  AlignTo(sec, 8);

  // Lay the tables out: root, then each type's name table, then the language tables.
  std::size_t cursor = 0;
  auto table = [&](std::size_t named, std::size_t ids) {
    const std::size_t at = cursor;
    Put16(sec, at + 12, static_cast<std::uint32_t>(named));
    Put16(sec, at + 14, static_cast<std::uint32_t>(ids));
    cursor += 16 + 8 * (named + ids);
    return at;
  };
  const std::size_t root = table(0, types.size());
  std::size_t leaf = 0;
  for (std::size_t ti = 0; ti < types.size(); ++ti) {
    const auto& t = types[ti];
    std::size_t named = 0;
    for (const auto& n : t.names) named += n.name.is_id ? 0 : 1;
    const std::size_t names_table = table(named, t.names.size() - named);
    Put32(sec, root + 16 + 8 * ti, t.type);
    Put32(sec, root + 16 + 8 * ti + 4, 0x80000000u | static_cast<std::uint32_t>(names_table));
    for (std::size_t ni = 0; ni < t.names.size(); ++ni) {
      const auto& n = t.names[ni];
      const std::size_t lang_table = table(0, n.languages.size());
      const std::uint32_t name_field = n.name.is_id ? n.name.id : (0x80000000u | string_offsets[n.name.text]);
      Put32(sec, names_table + 16 + 8 * ni, name_field);
      Put32(sec, names_table + 16 + 8 * ni + 4, 0x80000000u | static_cast<std::uint32_t>(lang_table));
      for (std::size_t li = 0; li < n.languages.size(); ++li) {
        const PeResource& r = *n.languages[li];
        const std::size_t entry = entries_at + 16 * leaf++;
        Put32(sec, lang_table + 16 + 8 * li, r.language);
        Put32(sec, lang_table + 16 + 8 * li + 4, static_cast<std::uint32_t>(entry));
        const std::size_t data_at = sec.size();
        sec.insert(sec.end(), r.data.begin(), r.data.end());
        AlignTo(sec, 8);
        Put32(sec, entry, static_cast<std::uint32_t>(o.section_rva + data_at));
        Put32(sec, entry + 4, static_cast<std::uint32_t>(r.data.size()));
        Put32(sec, entry + 8, 0);
      }
    }
  }
  return sec;
}

}  // namespace

Bytes BuildPe(const std::vector<PeResource>& resources, const PeOptions& o) {
  constexpr std::uint32_t kFileAlign = 0x200;
  constexpr std::uint32_t kSectionAlign = 0x1000;
  const Bytes rsrc = BuildResourceSection(resources, o);
  const std::uint32_t raw_size = static_cast<std::uint32_t>((rsrc.size() + kFileAlign - 1) / kFileAlign * kFileAlign);
  const std::uint32_t virtual_size = static_cast<std::uint32_t>(rsrc.size());

  Bytes pe(kFileAlign);
  pe[0] = std::byte{'M'};
  pe[1] = std::byte{'Z'};
  const std::uint32_t nt = 0x80;
  Put32(pe, 0x3C, nt);
  Put32(pe, nt, 0x00004550);
  const std::size_t coff = nt + 4;
  const std::uint16_t optional_size = o.pe32plus ? 0xF0 : 0xE0;
  Put16(pe, coff + 0, o.pe32plus ? 0x8664 : 0x014C);
  Put16(pe, coff + 2, 1);  // one section
  Put16(pe, coff + 16, optional_size);
  Put16(pe, coff + 18, 0x2102);  // executable, 32-bit machine, DLL
  const std::size_t opt = coff + 20;
  Put16(pe, opt + 0, o.pe32plus ? 0x20B : 0x10B);
  const std::size_t windows_fields = o.pe32plus ? 24 : 28;
  // Image base, alignments, versions, sizes.
  if (o.pe32plus) {
    Put32(pe, opt + windows_fields, 0x80000000u);
    Put32(pe, opt + windows_fields + 4, 0x1);
  } else {
    Put32(pe, opt + windows_fields, 0x10000000u);
  }
  Put32(pe, opt + 32, kSectionAlign);
  Put32(pe, opt + 36, kFileAlign);
  Put16(pe, opt + 40, 6);  // OS version
  Put16(pe, opt + 48, 6);  // subsystem version
  const std::uint32_t image_size =
      o.section_rva + (virtual_size + kSectionAlign - 1) / kSectionAlign * kSectionAlign;
  Put32(pe, opt + 56, image_size);
  Put32(pe, opt + 60, kFileAlign);  // size of headers
  Put16(pe, opt + 68, 2);           // GUI subsystem
  const std::size_t rva_count_at = o.pe32plus ? 108 : 92;
  Put32(pe, opt + rva_count_at, 16);
  const std::size_t dirs = opt + rva_count_at + 4;
  Put32(pe, dirs + 2 * 8, resources.empty() ? 0 : o.section_rva);
  Put32(pe, dirs + 2 * 8 + 4, resources.empty() ? 0 : virtual_size);
  const std::size_t sec = opt + optional_size;
  const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
  for (int i = 0; i < 8; ++i) pe[sec + i] = static_cast<std::byte>(name[i]);
  Put32(pe, sec + 8, virtual_size);
  Put32(pe, sec + 12, o.section_rva);
  Put32(pe, sec + 16, raw_size);
  Put32(pe, sec + 20, kFileAlign);
  Put32(pe, sec + 36, 0x40000040u);  // initialised data, readable

  pe.insert(pe.end(), rsrc.begin(), rsrc.end());
  pe.resize(kFileAlign + raw_size);
  pe.resize(pe.size() + o.trailing_zero_bytes);
  return pe;
}

Bytes BuildGroupDirectory(const std::vector<IconImage>& images) {
  Bytes b;
  AppendU16(b, 0);
  AppendU16(b, 1);
  AppendU16(b, static_cast<std::uint32_t>(images.size()));
  for (const IconImage& i : images) {
    b.push_back(static_cast<std::byte>(i.width));
    b.push_back(static_cast<std::byte>(i.height));
    b.push_back(static_cast<std::byte>(i.colours));
    b.push_back(static_cast<std::byte>(i.reserved));
    AppendU16(b, i.planes);
    AppendU16(b, i.bits);
    AppendU32(b, i.declared_size ? i.declared_size : static_cast<std::uint32_t>(i.data.size()));
    AppendU16(b, i.id);
  }
  return b;
}

std::vector<PeResource> IconGroupResources(const ResourceName& group, const std::vector<IconImage>& images) {
  std::vector<PeResource> out;
  out.push_back({kResourceTypeGroupIcon, group, 0x0409, BuildGroupDirectory(images)});
  for (const IconImage& i : images)
    if (!i.data.empty()) out.push_back({kResourceTypeIcon, ResourceName::Id(i.id), 0x0409, i.data});
  return out;
}

Bytes PatternBytes(std::size_t size, std::uint32_t seed) {
  Bytes b(size);
  std::uint32_t x = seed * 2654435761u + 1;
  for (auto& v : b) {
    x = x * 1103515245u + 12345u;
    v = static_cast<std::byte>(x >> 24);
  }
  return b;
}

Bytes SolidIconImage(std::uint8_t size, std::uint32_t argb) {
  const std::uint32_t side = size == 0 ? 256 : size;
  const std::uint32_t mask_row = (side + 31) / 32 * 4;
  Bytes b;
  auto put = [&b](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::byte>(v >> (8 * i)));
  };
  put(40, 4);         // BITMAPINFOHEADER
  put(side, 4);
  put(side * 2, 4);   // colour and mask, one above the other
  put(1, 2);
  put(32, 2);
  put(0, 4);
  put(side * side * 4 + mask_row * side, 4);
  put(0, 4);
  put(0, 4);
  put(0, 4);
  put(0, 4);
  for (std::uint32_t i = 0; i < side * side; ++i) put(argb, 4);
  for (std::uint32_t i = 0; i < mask_row * side; ++i) put(0, 1);
  return b;
}

std::uint32_t SolidIconGroupColour(int group) {
  // Colours far apart, so a preview tells the groups apart.
  const auto channel = static_cast<std::uint32_t>(40 + (group * 53) % 200);
  return 0xFF000000u | (channel << 16) | ((255 - channel) << 8) | static_cast<std::uint32_t>((group * 97) % 256);
}

std::vector<PeResource> SolidIconGroups(int count) {
  std::vector<PeResource> out;
  for (int i = 0; i < count; ++i) {
    IconImage image;
    image.id = static_cast<std::uint16_t>(1 + i);
    image.width = image.height = 32;
    image.data = SolidIconImage(32, SolidIconGroupColour(i));
    for (PeResource& r : IconGroupResources(ResourceName::Id(static_cast<std::uint16_t>(100 + i)), {image}))
      out.push_back(std::move(r));
  }
  return out;
}

Bytes ToBytes(std::string_view text) {
  Bytes b(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) b[i] = static_cast<std::byte>(text[i]);
  return b;
}

}  // namespace vandrel::testing
