#include "app/settings.h"

#include <algorithm>

#include "config/product.h"

namespace vandrel {
namespace {

std::string WithBackslash(std::string_view text) {
  std::string out(text);
  if (out.empty() || out.back() != '\\') out += '\\';
  return out;
}

}  // namespace

std::string PortablePath(FileSystem& fs, bool portable_mode, std::string_view exe_path, std::string_view app_data,
                         std::string_view company) {
  std::string path;
  if (portable_mode) {
    const std::size_t slash = exe_path.find_last_of('\\');
    path = std::string(exe_path.substr(0, slash == std::string_view::npos ? 0 : slash + 1)) + "Config\\Option.ini";
  } else {
    path = WithBackslash(app_data) + WithBackslash(company) + std::string(kApplicationTitle) + "\\Config\\Option.ini";
  }
  const std::size_t last = path.find_last_of('\\');
  if (last != std::string::npos && last > 0) fs.CreateFolders(path.substr(0, last));
  return path;
}

MainSettings ReadMainSettings(const IniStore& ini) {
  MainSettings s;
  for (std::size_t i = 0; i < kThemeKeys.size(); ++i) s.themes[i] = ini.ReadBool(kOptionSection, kThemeKeys[i], false);
  s.copy_icon = ini.ReadBool(kOptionSection, "CheckBoxCopyIcon", false);
  s.icon_small = ini.ReadBool(kOptionSection, "IconSmallMenu", false);
  s.icon_big = ini.ReadBool(kOptionSection, "IconBigMenu", false);
  s.maximized = ini.ReadString(kOptionSection, "Window", "") == "wsMaximized";
  if (!s.maximized) {
    // A value that is not a number keeps the window's own size.
    constexpr int kNone = -2147483647 - 1;
    const int height = ini.ReadInteger(kOptionSection, "Height", kNone);
    const int width = ini.ReadInteger(kOptionSection, "Width", kNone);
    if (height != kNone) s.height = height;
    if (width != kNone) s.width = width;
  }
  return s;
}

void WriteMainSettings(IniStore& ini, const MainWindowState& state) {
  for (std::size_t i = 0; i < kThemeKeys.size(); ++i) ini.WriteBool(kOptionSection, kThemeKeys[i], state.themes[i]);
  ini.WriteBool(kOptionSection, "CheckBoxCopyIcon", state.copy_icon);
  ini.WriteBool(kOptionSection, "IconSmallMenu", state.icon_small);
  ini.WriteBool(kOptionSection, "IconBigMenu", state.icon_big);
  if (state.maximized) {
    ini.WriteString(kOptionSection, "Window", "wsMaximized");
    return;
  }
  ini.WriteString(kOptionSection, "Window", "wsNormal");
  ini.WriteInteger(kOptionSection, "Height", state.height);
  ini.WriteInteger(kOptionSection, "Width", state.width);
}

int CheckedTheme(const std::array<bool, 3>& themes) {
  int checked = -1;
  for (int i = 0; i < 3; ++i)
    if (themes[static_cast<std::size_t>(i)]) checked = i;
  return checked;
}

ui::Size FitWindowSize(ui::Size wanted, ui::Size minimum, ui::Size work_area) {
  auto fit = [](int value, int low, int high) { return std::max(low, std::min(value, std::max(high, low))); };
  return ui::Size{fit(wanted.width, minimum.width, work_area.width), fit(wanted.height, minimum.height, work_area.height)};
}

}  // namespace vandrel
