#include "icons/icon_source.h"

#include <cstdio>

#include "common/paths.h"

namespace vandrel {

IndexBoxSetup ChosenExecutableSetup(int groups) {
  IndexBoxSetup s;
  s.enabled = true;
  s.save_enabled = true;
  s.show_preview = true;
  if (groups <= 1) {
    s.max = groups < 0 ? 0 : groups;
  } else {
    s.max = groups - 1;
    s.preview_index = true;
  }
  return s;
}

IndexBoxSetup DroppedExecutableSetup(int groups) {
  IndexBoxSetup s;
  if (groups <= 0) return s;
  s.max = groups - 1;
  s.enabled = groups > 1;
  s.save_enabled = true;
  s.show_preview = true;
  return s;
}

std::string ProposedIconFileName(std::string_view source) {
  std::string_view name = NamePart(source);
  name.remove_suffix(Extension(name).size());
  return std::string(name.empty() ? "icon" : name) + ".ico";
}

std::string IconCopyFileName(std::string_view short_date, int hour, int minute, int second) {
  std::string name = "Image_";
  for (const char c : short_date) {
    const bool forbidden = c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
                           c == '>' || c == '|' || static_cast<unsigned char>(c) < 0x20;
    name += forbidden ? '-' : c;
  }
  char time[16];
  std::snprintf(time, sizeof time, "_%02d-%02d-%02d", hour, minute, second);
  return name + time;
}

}  // namespace vandrel
