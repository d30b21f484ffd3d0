// Writes crafted PE files into a folder, for comparing our readers with
// independent ones (icoutils' wrestool, python3-pefile) and with the system
// loader. Each file is described on standard output: name, then what it holds.
#include <cstdio>
#include <string>

#include "platform/error.h"
#include "tests/support/pe_builder.h"
#include "tests/support/version_builder.h"
#ifdef _WIN32
#include "platform/win32/win32_file_system.h"
using NativeFileSystem = vandrel::Win32FileSystem;
#else
#include "platform/posix/posix_file_system.h"
using NativeFileSystem = vandrel::PosixFileSystem;
#endif

using namespace vandrel;
using namespace vandrel::testing;

namespace {

std::vector<PeResource> Mixed() {
  std::vector<PeResource> r;
  auto add = [&](const std::vector<PeResource>& g) { r.insert(r.end(), g.begin(), g.end()); };
  add(IconGroupResources(ResourceName::Id(101), {{.id = 1, .width = 16, .height = 16, .data = PatternBytes(1128, 1)},
                                                 {.id = 2, .width = 32, .height = 32, .data = PatternBytes(4264, 2)},
                                                 {.id = 3, .width = 0, .height = 0, .data = PatternBytes(16936, 3)}}));
  add(IconGroupResources(ResourceName::Id(5), {{.id = 4, .colours = 16, .bits = 4, .data = PatternBytes(296, 4)}}));
  add(IconGroupResources(ResourceName::Id(1), {{.id = 5, .reserved = 7, .data = PatternBytes(744, 5)}}));
  add(IconGroupResources(ResourceName::String("MAINICON"), {{.id = 6, .width = 48, .height = 48, .data = PatternBytes(9640, 6)}}));
  add(IconGroupResources(ResourceName::String("APPICON"), {{.id = 7, .data = PatternBytes(1128, 7)},
                                                           {.id = 8, .width = 24, .height = 24, .data = PatternBytes(2440, 8)}}));
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pe_fixtures FOLDER\n");
    return 2;
  }
  const std::string dir = argv[1];
  NativeFileSystem fs;
  struct Fixture {
    const char* name;
    Bytes bytes;
  };
  const VersionSpec version = SimpleVersion(u"9, 0, 26, 320", (9u << 16), (26u << 16) | 320u);
  auto with_version = [&](std::vector<PeResource> r, const VersionSpec& v) {
    r.push_back({kResourceTypeVersion, ResourceName::Id(1), 0x0409, BuildVersionBlock(v)});
    return r;
  };
  std::vector<Fixture> fixtures = {
      {"mixed32.dll", BuildPe(with_version(Mixed(), version))},
      {"mixed64.dll", BuildPe(with_version(Mixed(), version), PeOptions{.pe32plus = true})},
      {"noicons.dll", BuildPe(with_version({}, version))},
      {"padded.dll", BuildPe(Mixed(), PeOptions{.trailing_zero_bytes = 1 << 20})},
  };
  // One file per row of the version normalisation table.
  const struct {
    const char* name;
    std::u16string text;
    bool has_text;
    bool has_fixed;
    std::uint32_t ms, ls;
  } versions[] = {
      {"ver_plain.dll", u"9.0.26.320", true, true, 9u << 16, (26u << 16) | 320u},
      {"ver_commas.dll", u"9, 0, 26, 320", true, true, 9u << 16, (26u << 16) | 320u},
      {"ver_beta.dll", u"2.1.0.5 beta", true, true, 1u << 16, 0},
      {"ver_trailing.dll", u"1.2.", true, true, 1u << 16, 0},
      {"ver_leading.dll", u"..1,,2", true, true, 1u << 16, 0},
      {"ver_word.dll", u"Version 2.0", true, true, 2u << 16, (3u << 16) | 4u},
      {"ver_fixed_only.dll", u"", false, true, 9u << 16, (26u << 16) | 320u},
      {"ver_nothing.dll", u"", false, false, 0, 0},
  };
  for (const auto& v : versions) {
    VersionSpec spec = SimpleVersion(v.text, v.ms, v.ls);
    if (!v.has_text) spec.tables[0].strings.pop_back();
    if (!v.has_fixed) spec.fixed.reset();
    fixtures.push_back({v.name, BuildPe(with_version({}, spec))});
  }
  try {
    for (const auto& f : fixtures) {
      fs.WriteFileAtomically(dir + "/" + f.name, f.bytes);
      std::printf("%s\n", f.name);
    }
  } catch (const Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
