// The ports the folder icon engine works through.
#pragma once

#include <functional>

#include "i18n/message_captions.h"
#include "icons/picture_source.h"
#include "platform/ansi_codec.h"
#include "platform/file_system.h"
#include "platform/prompts.h"
#include "platform/resource_file.h"
#include "platform/shell.h"

namespace vandrel {

struct EngineServices {
  FileSystem& fs;
  const AnsiCodec& ansi;
  Shell& shell;
  Prompts& prompts;
  const MessageCaptions& captions;
  ResourceLoader& loader;
  // Lets pending window messages be processed, so the windows repaint.
  std::function<void()> process_messages = [] {};
  // Reads pictures given as icon sources (the system's codecs); empty where
  // there are none, and a picture is then refused.
  PictureDecoder decode_picture = {};
};

inline constexpr std::string_view kDesktopIni = "Desktop.ini";
inline constexpr std::string_view kShellClassInfo = ".ShellClassInfo";

}  // namespace vandrel
