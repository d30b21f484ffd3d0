// Builds small PE images with a resource section, laid out as a linker does,
// so tests and fixtures can name exactly the resources a file holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/resource_file.h"

namespace vandrel::testing {

struct PeResource {
  std::uint16_t type = 0;
  ResourceName name;
  std::uint16_t language = 0x0409;
  Bytes data;
};

struct PeOptions {
  bool pe32plus = false;
  // Keep the name entries in the order given instead of sorting them as a
  // linker does (named first by name, then identifiers ascending).
  bool keep_order = false;
  std::uint32_t section_rva = 0x1000;
  std::uint32_t trailing_zero_bytes = 0;  // overlay appended after the image
};

Bytes BuildPe(const std::vector<PeResource>& resources, const PeOptions& options = {});

// One icon group: images (each stored as an RT_ICON resource with the given
// identifier) and the matching group directory.
struct IconImage {
  std::uint16_t id = 0;
  std::uint8_t width = 16, height = 16, colours = 0, reserved = 0;
  std::uint16_t planes = 1, bits = 32;
  std::uint32_t declared_size = 0;  // 0: the real size of `data`
  Bytes data;
};

Bytes BuildGroupDirectory(const std::vector<IconImage>& images);

// A group with its images as resources, ready to be added to a PE.
std::vector<PeResource> IconGroupResources(const ResourceName& group, const std::vector<IconImage>& images);

// A deterministic pseudo-image of `size` bytes, different for each seed.
Bytes PatternBytes(std::size_t size, std::uint32_t seed);

// A real icon image: a square 32-bit DIB of one colour (0xAARRGGBB), opaque
// mask, as icon resources hold it. Windows can draw it.
Bytes SolidIconImage(std::uint8_t size, std::uint32_t argb);

// `count` groups, each with one 32 x 32 image of its own colour (group i has
// the name id 100 + i and the image id 1 + i).
std::vector<PeResource> SolidIconGroups(int count);
std::uint32_t SolidIconGroupColour(int group);  // 0xAARRGGBB

Bytes ToBytes(std::string_view text);

}  // namespace vandrel::testing
