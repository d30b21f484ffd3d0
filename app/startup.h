// The decisions of the program's start-up and of the main window's lifecycle
// that do not depend on the window toolkit.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/product.h"

namespace vandrel {

// Windows 10 and 11 both report major version 10; Windows 11 from build 22000.
bool IsWindows10Or11(unsigned major_version, unsigned build_number);

// "(32-bit)" for the build we ship; the 64-bit test build says so of itself.
std::string GetBitness();

// "Vandrel 9.0.26.320 (32-bit)", followed by " Portable" in portable mode.
std::string ComposeTitle(std::string_view caption, std::string_view version, bool portable);

// The folder named on the command line (`args` without the program's own
// name): the first argument with one pair of enclosing double quotes removed,
// and a lone closing quote read as the backslash it stood for ("D:\"
// arrives as D:"); nullopt when there is no argument.
std::optional<std::string> FolderArgument(const std::vector<std::string>& args);

// For a command-line folder: the folder whose sub-folders are listed (one
// trailing backslash off, then the directory part without its backslash)
// and the name of the item to select (the text after the last backslash).
std::string CommandLineParent(std::string_view path);
std::string CommandLineName(std::string_view path);

// The "≡" button keeps its state as a speed button does, in AllowAllUp and Down.
struct MenuButtonState {
  bool allow_all_up = true;
  bool down = false;
};
enum class MenuButtonClick { kOpenMenu, kCloseMenu };
// A click: opens the menu from the resting state, or releases the button (and
// closes the menu) when the previous click opened it.
MenuButtonClick ClickMenuButton(MenuButtonState& state);
void RestMenuButton(MenuButtonState& state);

}  // namespace vandrel
