// Entry point of vandrel-cli.exe. Arguments come from the wide command line,
// so paths in any script work; output is UTF-8 into files and pipes and wide
// text on a console.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "cli/cli.h"
#include "icons/picture_decoder_win32.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_ansi_codec.h"
#include "platform/win32/win32_resource_loader.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_version_reader.h"

namespace {

void Write(DWORD which, std::string_view text) {
  HANDLE h = ::GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE || text.empty()) return;
  DWORD mode = 0;
  if (::GetConsoleMode(h, &mode)) {
    const std::wstring wide = vandrel::Widen(text);
    DWORD written = 0;
    ::WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    if (!::WriteFile(h, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) || written == 0)
      return;
    done += written;
  }
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv != nullptr && i < argc; ++i) args.push_back(vandrel::Narrow(argv[i]));
  if (argv != nullptr) ::LocalFree(argv);

  vandrel::Win32FileSystem fs;
  vandrel::Win32ResourceLoader loader;
  vandrel::Win32VersionReader versions;
  vandrel::Win32AnsiCodec ansi;
  vandrel::Win32Shell shell;
  vandrel::CliPlatform platform{
      fs, loader, versions, ansi, &shell,
      [](std::string_view s) { Write(STD_OUTPUT_HANDLE, s); },
      [](std::string_view s) { Write(STD_ERROR_HANDLE, s); },
  };
  platform.decode_picture = &vandrel::DecodePicture;
  return vandrel::RunCli(args, platform);
}
