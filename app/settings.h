// The main window's settings in Option.ini: where the file lies in each mode,
// and what the window reads from it and writes to it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "common/ini_store.h"
#include "platform/file_system.h"
#include "ui/layout.h"

namespace vandrel {

inline constexpr std::string_view kOptionSection = "Option";
// The three theme items in menu order, named as their keys.
inline constexpr std::array<std::string_view, 3> kThemeKeys = {"ThemeAuto", "ThemeLight", "ThemeDark"};

// Where Option.ini lies: beside the executable in `Config` in portable mode,
// else under the roaming application data, the company and the program's
// title. `exe_path` is the executable's full path; `app_data` may be empty
// (the shell could not tell). Creates the file's folder with its parents; a
// folder that cannot be made is not reported (the later write fails).
std::string PortablePath(FileSystem& fs, bool portable_mode, std::string_view exe_path, std::string_view app_data,
                         std::string_view company);

struct MainSettings {
  std::array<bool, 3> themes{};  // as kThemeKeys
  bool copy_icon = false;
  bool icon_small = false;
  bool icon_big = false;
  bool maximized = false;
  // The normal outer size; nullopt keeps the window's own.
  std::optional<int> height, width;
};

// What the file says, with the defaults for what it does not.
MainSettings ReadMainSettings(const IniStore& ini);

// The window as it is at closing. `height` and `width` are its outer size when
// it is not maximised (a minimised window gives its normal size).
struct MainWindowState {
  std::array<bool, 3> themes{};
  bool copy_icon = false, icon_small = false, icon_big = false;
  bool maximized = false;
  int height = 0, width = 0;
};
// Writes the main window's keys in their order; a maximised window leaves the
// stored normal size as it is.
void WriteMainSettings(IniStore& ini, const MainWindowState& state);

// The theme item that ends up checked when the items are checked one after
// another from their keys: the last true one; -1 when none.
int CheckedTheme(const std::array<bool, 3>& themes);

// A stored outer size made to fit: no smaller than the window's minimum, no
// larger than the screen's work area (a size from a larger or removed screen).
ui::Size FitWindowSize(ui::Size wanted, ui::Size minimum, ui::Size work_area);

}  // namespace vandrel
