// Any Desktop.ini and any icon source: read the folder, apply (with and
// without Copy) and remove, on an in-memory disk that records every change.
// Stops as soon as a change names a path outside the folder (our own
// temporary extraction file aside), or changes a file inside it that is
// neither Desktop.ini nor an .ico copy (files this run created aside).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

#include "engine/folder_state.h"
#include "engine/icon_delete.h"
#include "engine/icon_install.h"
#include "icons/pe_resource_file.h"
#include "platform/error.h"
#include "platform/text.h"
#include "tests/fakes/fake_shell.h"
#include "tests/support/pe_builder.h"

namespace {

using vandrel::testing::FakeFileSystem;
using vandrel::testing::FakeShell;
using vandrel::testing::ScriptedPrompts;

constexpr std::string_view kFolder = "D:\\A\\";
constexpr std::string_view kTemp = "C:\\Temp\\";

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "unsafe step: %s\n", why.c_str());
  __builtin_trap();
}

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
  return text.size() >= prefix.size() && vandrel::EqualsNoCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

// A direct child of the folder: its name.
std::optional<std::string> ChildName(const std::string& path) {
  if (!StartsWithNoCase(path, kFolder)) return std::nullopt;
  const std::string name = path.substr(kFolder.size());
  if (name.empty() || name.find_first_of("\\/:") != std::string::npos) return std::nullopt;
  return name;
}

bool EndsWithNoCase(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         vandrel::EqualsNoCase(std::string_view(text).substr(text.size() - suffix.size()), suffix);
}

class Checker {
 public:
  explicit Checker(const FakeFileSystem& fs) {
    for (const auto& [path, data] : fs.files) existing_.insert(path);
  }

  void Check(const std::vector<std::string>& log) {
    for (; seen_ < log.size(); ++seen_) Step(log[seen_]);
  }

 private:
  // `path` is written to or created.
  void Written(const std::string& path, const std::string& step) {
    if (created_.count(path)) return;
    if (auto name = ChildName(path)) {
      if (vandrel::EqualsNoCase(*name, "Desktop.ini") || EndsWithNoCase(*name, ".ico")) return;
    }
    Fail(step);
  }
  // `path` is changed, deleted or moved away.
  void Changed(const std::string& path, const std::string& step) {
    if (created_.count(path)) return;
    if (path == std::string(kFolder.substr(0, kFolder.size() - 1))) return;  // the folder's own attributes
    if (auto name = ChildName(path)) {
      if (vandrel::EqualsNoCase(*name, "Desktop.ini") || EndsWithNoCase(*name, ".ico")) return;
      if (!existing_.count(path)) return;  // nothing there to harm
    }
    Fail(step);
  }

  void Step(const std::string& step) {
    auto after = [&](std::string_view prefix) { return step.substr(prefix.size()); };
    if (step.rfind("create ", 0) == 0) {
      const std::string path = after("create ");
      if (!ChildName(path) && !StartsWithNoCase(path, kTemp)) Fail(step);
      if (existing_.count(path)) Fail(step);
      created_.insert(path);
    } else if (step.rfind("write ", 0) == 0) {
      Written(after("write "), step);
    } else if (step.rfind("attr ", 0) == 0) {
      const std::string rest = after("attr ");
      Changed(rest.substr(0, rest.rfind(' ')), step);
    } else if (step.rfind("remove ", 0) == 0) {
      Changed(after("remove "), step);
    } else if (step.rfind("recycle ", 0) == 0) {
      Changed(after("recycle "), step);
    } else if (step.rfind("copy ", 0) == 0 || step.rfind("move ", 0) == 0) {
      const std::string rest = step.substr(5);
      const std::size_t arrow = rest.find(" -> ");
      const std::string from = rest.substr(0, arrow);
      const std::string to = rest.substr(arrow + 4);
      if (step[0] == 'm') Changed(from, step);
      Written(to, step);
    } else if (step == "notify" || step == "refresh desktop" || step.rfind("update ", 0) == 0) {
      // Shell notifications change nothing on disk.
    } else {
      Fail("unknown step " + step);
    }
  }

  std::set<std::string, vandrel::testing::NoCaseLess> existing_;
  std::set<std::string, vandrel::testing::NoCaseLess> created_;
  std::size_t seen_ = 0;
};

const vandrel::Bytes& Executable() {
  static const vandrel::Bytes pe = [] {
    using namespace vandrel::testing;
    std::vector<PeResource> r;
    for (std::uint16_t g = 0; g < 3; ++g) {
      auto group = IconGroupResources(vandrel::ResourceName::Id(static_cast<std::uint16_t>(g + 1)),
                                      {{.id = static_cast<std::uint16_t>(100 + g), .data = PatternBytes(40 + g, g)}});
      r.insert(r.end(), group.begin(), group.end());
    }
    return BuildPe(r);
  }();
  return pe;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  FakeFileSystem fs;
  for (const char* f : {"C:", "C:\\Icons", "C:\\Tools", "C:\\Temp", "D:", "D:\\A", "D:\\A\\sub"}) fs.folders.insert(f);
  auto text = [](std::string_view s) { return vandrel::Bytes(reinterpret_cast<const std::byte*>(s.data()),
                                                            reinterpret_cast<const std::byte*>(s.data() + s.size())); };
  fs.files["C:\\Icons\\moon.ico"] = text("moon");
  fs.files["C:\\Tools\\app.exe"] = Executable();
  fs.files["D:\\A\\app.exe"] = Executable();
  fs.files["D:\\A\\star.ico"] = text("star");
  fs.files["D:\\A\\app.ico"] = text("an icon of the folder's own");
  fs.files["D:\\A\\moon.ico.vandrel-new"] = text("a file that happens to have our staging name");
  fs.files["D:\\A\\notes.txt"] = text("notes");
  fs.files["D:\\A\\Foo.exe"] = text("not an executable");
  fs.files["D:\\A\\sub\\deep.ico"] = text("deeper");
  fs.files["D:\\outside.ico"] = text("outside");
  fs.files["D:\\thesis.docx"] = text("thesis");
  fs.files["C:\\Temp\\app.ico"] = text("someone else's temporary file");
  fs.files["C:\\Temp\\vandrel-icon.ico"] = text("another run's file");
  if (in.ConsumeBool()) fs.attributes["D:\\A\\notes.txt"] = vandrel::kAttrReadOnly;

  const std::string ini_bytes = in.ConsumeRandomLengthString(4096);
  fs.files["D:\\A\\Desktop.ini"] = text(ini_bytes);

  static const char* kSources[] = {"C:\\Icons\\moon.ico", "C:\\Tools\\app.exe", "D:\\A\\star.ico", "D:\\A\\app.exe",
                                   "D:\\A\\Foo.exe",       "D:\\outside.ico",    "D:\\A\\notes.txt"};
  std::string source = in.ConsumeBool() ? kSources[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kSources) - 1)]
                                        : in.ConsumeRandomLengthString(64);
  const int index = in.ConsumeIntegralInRange<int>(-2, 4);
  const bool copy = in.ConsumeBool();
  const std::string shown = in.ConsumeBool() ? std::string("D:\\A\\star.ico") : in.ConsumeRandomLengthString(32);

  FakeShell shell(fs);
  shell.temp_path = std::string(kTemp);
  ScriptedPrompts prompts;
  vandrel::DesignTimeCaptions captions;
  vandrel::PeResourceLoader loader{fs};
  static const auto ansi = vandrel::MakeWindows1251Codec();
  vandrel::EngineServices s{fs, *ansi, shell, prompts, captions, loader};
  Checker checker(fs);

  for (int round = 0; round < 2; ++round) {
    try {
      (void)vandrel::GetIcon(s, "D:\\A");
      (void)vandrel::ReadLogText(s, "D:\\A\\Desktop.ini");
      checker.Check(*fs.log);
      (void)vandrel::IconInstall(s, vandrel::InstallRequest{std::string(kFolder), source, index, "tip", copy});
    } catch (const vandrel::Error&) {
      // Errors reach the window's report; what matters is what was touched.
    }
    checker.Check(*fs.log);
    try {
      (void)vandrel::IconDelete(s, std::string(kFolder), round == 0 ? shown : source);
    } catch (const vandrel::Error&) {
    }
    checker.Check(*fs.log);
  }
  return 0;
}
