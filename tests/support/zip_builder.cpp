#include "tests/support/zip_builder.h"

#include "platform/byte_order.h"

namespace vandrel::testing {
namespace {

void AppendU64(Bytes& out, std::uint64_t v) {
  AppendU32(out, static_cast<std::uint32_t>(v));
  AppendU32(out, static_cast<std::uint32_t>(v >> 32));
}

void AppendText(Bytes& out, const std::string& text) {
  for (char c : text) out.push_back(static_cast<std::byte>(c));
}

// Local headers and data for the entries; their offsets.
std::vector<std::uint32_t> AppendLocal(Bytes& zip, const std::vector<ZipEntrySpec>& entries) {
  std::vector<std::uint32_t> offsets;
  for (const ZipEntrySpec& e : entries) {
    offsets.push_back(static_cast<std::uint32_t>(zip.size()));
    const std::string name = e.local_name.value_or(e.name);
    const auto data_size = static_cast<std::uint32_t>(e.data.size());
    const std::uint32_t compressed = e.local_size.value_or(data_size);
    const std::uint32_t uncompressed = e.local_size.value_or(e.declared_size.value_or(data_size));
    AppendU32(zip, 0x04034b50);
    AppendU16(zip, 20);
    AppendU16(zip, e.flags);
    AppendU16(zip, 0);  // stored
    AppendU32(zip, 0);  // time and date
    AppendU32(zip, 0);  // CRC: the check does not read it
    AppendU32(zip, compressed);
    AppendU32(zip, uncompressed);
    AppendU16(zip, static_cast<std::uint32_t>(name.size()));
    AppendU16(zip, 0);
    AppendText(zip, name);
    AppendText(zip, e.data);
  }
  return offsets;
}

void AppendDirectory(Bytes& zip, const std::vector<ZipEntrySpec>& entries, const std::vector<std::uint32_t>& offsets) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ZipEntrySpec& e = entries[i];
    const auto size = static_cast<std::uint32_t>(e.data.size());
    AppendU32(zip, 0x02014b50);
    AppendU16(zip, 20);
    AppendU16(zip, 20);
    AppendU16(zip, e.flags);
    AppendU16(zip, 0);
    AppendU32(zip, 0);
    AppendU32(zip, 0);
    AppendU32(zip, size);
    AppendU32(zip, e.declared_size.value_or(size));
    AppendU16(zip, static_cast<std::uint32_t>(e.name.size()));
    AppendU16(zip, e.zip64_extra ? 12 : 0);
    AppendU16(zip, 0);
    AppendU16(zip, e.disk);
    AppendU16(zip, 0);
    AppendU32(zip, 0);
    AppendU32(zip, e.directory_offset.value_or(offsets[i]));
    AppendText(zip, e.name);
    if (e.zip64_extra) {
      AppendU16(zip, 0x0001);
      AppendU16(zip, 8);
      AppendU64(zip, size);
    }
  }
}

}  // namespace

Bytes BuildZip(const ZipSpec& spec) {
  Bytes zip;
  const std::vector<std::uint32_t> offsets = AppendLocal(zip, spec.entries);
  std::vector<std::uint32_t> hidden_offsets;
  if (spec.zip64_directory) hidden_offsets = AppendLocal(zip, *spec.zip64_directory);
  const auto directory_offset = static_cast<std::uint32_t>(zip.size());
  AppendDirectory(zip, spec.entries, offsets);
  const auto directory_size = static_cast<std::uint32_t>(zip.size() - directory_offset);
  if (spec.zip64_directory) {
    const auto hidden_offset = static_cast<std::uint64_t>(zip.size());
    AppendDirectory(zip, *spec.zip64_directory, hidden_offsets);
    const std::uint64_t hidden_size = zip.size() - hidden_offset;
    const auto record = static_cast<std::uint64_t>(zip.size());
    AppendU32(zip, 0x06064b50);
    AppendU64(zip, 44);
    AppendU16(zip, 45);
    AppendU16(zip, 45);
    AppendU32(zip, 0);
    AppendU32(zip, 0);
    AppendU64(zip, spec.zip64_directory->size());
    AppendU64(zip, spec.zip64_directory->size());
    AppendU64(zip, hidden_size);
    AppendU64(zip, hidden_offset);
    AppendU32(zip, 0x07064b50);
    AppendU32(zip, 0);
    AppendU64(zip, record);
    AppendU32(zip, 1);
  }
  const std::uint16_t count = spec.count.value_or(static_cast<std::uint16_t>(spec.entries.size()));
  AppendU32(zip, 0x06054b50);
  AppendU16(zip, spec.this_disk);
  AppendU16(zip, spec.directory_disk);
  AppendU16(zip, count);
  AppendU16(zip, count);
  AppendU32(zip, spec.directory_size.value_or(directory_size));
  AppendU32(zip, spec.end_offset.value_or(directory_offset));
  AppendU16(zip, spec.comment_length.value_or(static_cast<std::uint16_t>(spec.comment.size())));
  AppendText(zip, spec.comment);
  return zip;
}

Bytes BuildZip(const std::vector<std::string>& names) {
  ZipSpec spec;
  for (const std::string& name : names) spec.entries.push_back({.name = name, .data = "content of " + name});
  return BuildZip(spec);
}

}  // namespace vandrel::testing
