// vandrel-cli: the program's core for scripts and batch work.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "icons/picture_source.h"
#include "platform/ansi_codec.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/resource_file.h"
#include "platform/version_resource.h"

namespace vandrel {

struct CliPlatform {
  FileSystem& fs;
  ResourceLoader& loader;
  VersionResourceReader& versions;
  const AnsiCodec& ansi;
  Shell* shell;  // nullptr where there is no Windows shell: show/apply/remove are refused
  std::function<void(std::string_view)> out;  // standard output, UTF-8
  std::function<void(std::string_view)> err;  // standard error, UTF-8
  // Reads a picture (Windows' codecs); empty where there are none: convert is refused.
  PictureDecoder decode_picture = {};
};

// `args` excludes the program name. Returns the process exit code.
int RunCli(const std::vector<std::string>& args, CliPlatform& platform);

}  // namespace vandrel
