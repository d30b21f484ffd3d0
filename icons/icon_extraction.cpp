#include "icons/icon_extraction.h"

#include "platform/byte_order.h"

namespace vandrel {
namespace {

constexpr std::size_t kGroupHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;
constexpr std::size_t kIcoEntrySize = 16;

std::uint16_t U16(std::span<const std::byte> b, std::size_t at) { return LoadU16(b.data() + at); }
std::uint32_t U32(std::span<const std::byte> b, std::size_t at) { return LoadU32(b.data() + at); }

}  // namespace

int GetIconCountSimple(FileSystem& fs, ResourceLoader& loader, const std::string& exe_file) {
  try {
    if (!fs.FileExists(exe_file)) return 0;
    auto file = loader.Open(exe_file);
    if (!file) return 0;
    int count = 0;
    file->EnumerateNames(kResourceTypeGroupIcon, [&](const ResourceName&) { ++count; });
    return count;
  } catch (...) {
    return 0;  // any failure simply means "no icons"
  }
}

std::vector<ResourceName> ListIconGroups(ResourceFile& file) {
  std::vector<ResourceName> names;
  file.EnumerateNames(kResourceTypeGroupIcon, [&](const ResourceName& n) { names.push_back(n); });
  return names;
}

std::optional<Bytes> BuildIcoFile(ResourceFile& file, const ResourceName& group) {
  const auto dir = file.Find(kResourceTypeGroupIcon, group);
  if (!dir || dir->size() < kGroupHeaderSize) return std::nullopt;
  const std::size_t declared = U16(*dir, 4);
  // A group whose entries run past its data keeps only its whole entries.
  const std::size_t count = std::min(declared, (dir->size() - kGroupHeaderSize) / kGroupEntrySize);
  if (count == 0 && declared != 0) return std::nullopt;

  // Offsets come from the sizes the group declares, before any image is read.
  std::uint64_t offset = kGroupHeaderSize + kIcoEntrySize * count;
  Bytes out;
  out.reserve(offset);
  AppendU16(out, 0);
  AppendU16(out, 1);
  AppendU16(out, static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t e = kGroupHeaderSize + i * kGroupEntrySize;
    if (offset > 0xFFFFFFFFull) return std::nullopt;  // no .ico can hold that
    for (std::size_t k = 0; k < 4; ++k) out.push_back((*dir)[e + k]);  // width, height, colours, reserved
    AppendU16(out, U16(*dir, e + 4));                                       // planes
    AppendU16(out, U16(*dir, e + 6));                                       // bits per pixel
    const std::uint32_t size = U32(*dir, e + 8);
    AppendU32(out, size);
    AppendU32(out, static_cast<std::uint32_t>(offset));
    offset += size;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t e = kGroupHeaderSize + i * kGroupEntrySize;
    const auto image = file.Find(kResourceTypeIcon, ResourceName::Id(U16(*dir, e + 12)));
    if (!image || image->empty()) continue;  // a missing image adds no bytes
    if (out.size() + image->size() > kMaxIcoFileSize) return std::nullopt;
    out.insert(out.end(), image->begin(), image->end());
  }
  return out;
}

bool SaveIconGroup(ResourceFile& file, const ResourceName& group, const std::string& output_ico_file,
                   FileSystem& fs) {
  const auto ico = BuildIcoFile(file, group);
  if (!ico) return false;
  fs.WriteFileAtomically(output_ico_file, *ico);
  return fs.FileExists(output_ico_file);
}

bool ExtractIconByIndex(IconServices& s, const std::string& exe_file, const std::string& output_ico_file,
                        std::int32_t icon_index) {
  if (!s.fs.FileExists(exe_file)) {
    s.prompts.ShowMessage(s.captions.Caption("LangFileNotFound") + " " + exe_file);
    return false;
  }
  auto file = s.loader.Open(exe_file);
  if (!file) {
    s.prompts.ShowMessage(s.captions.Caption("LangFailedUploadFile"));
    return false;
  }
  const std::vector<ResourceName> groups = ListIconGroups(*file);
  if (groups.empty()) {
    s.prompts.ShowMessage(s.captions.Caption("LangNoIconGroups"));
    return false;
  }
  if (icon_index < 0 || static_cast<std::size_t>(icon_index) >= groups.size()) {
    s.prompts.ShowMessage(s.captions.Caption("LangInvalidIconIndex"));
    return false;
  }
  return SaveIconGroup(*file, groups[static_cast<std::size_t>(icon_index)], output_ico_file, s.fs);
}

std::span<const std::byte> IcoImageFor(std::span<const std::byte> ico, int size) {
  if (ico.size() < kGroupHeaderSize) return {};
  const std::size_t count = U16(ico, 4);
  std::span<const std::byte> best;
  int best_side = 0, best_bits = 0;
  for (std::size_t i = 0; i < count && kGroupHeaderSize + (i + 1) * kIcoEntrySize <= ico.size(); ++i) {
    const std::size_t entry = kGroupHeaderSize + i * kIcoEntrySize;
    const int side = std::to_integer<int>(ico[entry]) == 0 ? 256 : std::to_integer<int>(ico[entry]);
    const int bits = U16(ico, entry + 6);
    const std::uint64_t bytes = U32(ico, entry + 8), offset = U32(ico, entry + 12);
    if (bytes == 0 || offset + bytes > ico.size()) continue;
    // Better: large enough where the best is not, else closer to the size
    // from the right side, else more colours.
    const bool fits = side >= size, best_fits = best_side >= size;
    const bool better = best.empty() || (fits && !best_fits) ||
                        (fits == best_fits && (fits ? side < best_side : side > best_side)) ||
                        (side == best_side && bits > best_bits);
    if (better) {
      best = ico.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(bytes));
      best_side = side;
      best_bits = bits;
    }
  }
  return best;
}

}  // namespace vandrel
