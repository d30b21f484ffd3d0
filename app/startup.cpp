#include "app/startup.h"

namespace vandrel {

bool IsWindows10Or11(unsigned major_version, unsigned build_number) {
  return major_version == 10 && build_number >= 10240;
}

std::string GetBitness() { return sizeof(void*) == 4 ? "(32-bit)" : "(64-bit)"; }

std::string ComposeTitle(std::string_view caption, std::string_view version, bool portable) {
  std::string title(caption);
  title += ' ';
  title += version;
  title += ' ';
  title += GetBitness();
  if (portable) title += " Portable";
  return title;
}

std::optional<std::string> FolderArgument(const std::vector<std::string>& args) {
  if (args.empty()) return std::nullopt;
  std::string path = args.front();
  if (!path.empty() && path.front() == '"' && path.back() == '"') {
    // A lone quote is both the first and the last character: it leaves nothing.
    path = path.size() >= 2 ? path.substr(1, path.size() - 2) : std::string();
  }
  // Explorer's "%1" in quotes turns a drive root D:\ into "D:\", whose
  // backslash escapes the closing quote under the usual argument rules: D:"
  // arrives. A quote that ends the only one is that backslash.
  if (path.size() >= 2 && path.back() == '"' && path.find('"') == path.size() - 1) path.back() = '\\';
  return path;
}

std::string CommandLineParent(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  // The directory part runs up to and including the last backslash or the
  // drive's colon.
  const std::size_t cut = path.find_last_of("\\:");
  std::string_view dir = cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
  if (!dir.empty() && dir.back() == '\\') dir.remove_suffix(1);
  return std::string(dir);
}

std::string CommandLineName(std::string_view path) {
  const std::size_t cut = path.rfind('\\');
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

MenuButtonClick ClickMenuButton(MenuButtonState& state) {
  if (!state.allow_all_up) {
    RestMenuButton(state);
    return MenuButtonClick::kCloseMenu;
  }
  state.allow_all_up = false;
  state.down = true;
  return MenuButtonClick::kOpenMenu;
}

void RestMenuButton(MenuButtonState& state) {
  state.allow_all_up = true;
  state.down = false;
}

}  // namespace vandrel
