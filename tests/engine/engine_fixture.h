// A folder D:\A\ on an in-memory disk, with the engine's ports around it.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/engine_services.h"
#include "icons/icon_extraction.h"
#include "icons/pe_resource_file.h"
#include "tests/fakes/fake_shell.h"
#include "tests/support/pe_builder.h"

namespace vandrel::testing {

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() {
    for (const char* f : {"C:", "C:\\Icons", "C:\\Windows", "C:\\Windows\\System32", "C:\\Users\\me\\AppData\\Local\\Temp",
                          "D:", "D:\\A"})
      fs.folders.insert(f);
    fs.files["C:\\Icons\\star.ico"] = ToBytes("star icon");
    fs.files["C:\\Icons\\moon.ico"] = ToBytes("moon icon");
  }

  // An executable with `groups` numbered icon groups of one image each.
  void AddExecutable(const std::string& path, int groups) {
    std::vector<PeResource> r;
    for (int g = 0; g < groups; ++g) {
      auto group = IconGroupResources(ResourceName::Id(static_cast<std::uint16_t>(g + 1)),
                                      {{.id = static_cast<std::uint16_t>(100 + g), .data = PatternBytes(64 + g, g)}});
      r.insert(r.end(), group.begin(), group.end());
    }
    fs.files[path] = BuildPe(r);
  }

  std::string Ini() const { return fs.Text("D:\\A\\Desktop.ini"); }

  FakeFileSystem fs;
  FakeShell shell{fs};
  ScriptedPrompts prompts;
  DesignTimeCaptions captions;
  PeResourceLoader loader{fs};
  std::unique_ptr<AnsiCodec> ansi = MakeWindows1251Codec();
  int pumped = 0;
  EngineServices services{fs, *ansi, shell, prompts, captions, loader, [this] { ++pumped; }};
  IconServices icon_services{fs, loader, prompts, captions};
};

}  // namespace vandrel::testing
