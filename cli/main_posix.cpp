// Entry point of the native vandrel-cli.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "icons/pe_resource_file.h"
#include "platform/posix/posix_file_system.h"

int main(int argc, char** argv) {
  vandrel::PosixFileSystem fs;
  vandrel::PeResourceLoader loader(fs);
  vandrel::PeVersionReader versions(fs);
  const auto ansi = vandrel::MakeWindows1252Codec();
  vandrel::CliPlatform platform{
      fs, loader, versions, *ansi, nullptr,
      [](std::string_view s) { std::fwrite(s.data(), 1, s.size(), stdout); },
      [](std::string_view s) { std::fwrite(s.data(), 1, s.size(), stderr); },
  };
  std::vector<std::string> args(argv + 1, argv + argc);
  const int code = vandrel::RunCli(args, platform);
  std::fflush(stdout);
  return code;
}
