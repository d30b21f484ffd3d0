#include "browser/drives.h"

#include "common/paths.h"
#include "platform/text.h"

namespace vandrel {
namespace {

std::vector<std::string> Characters(std::string_view text) {
  std::vector<std::string> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = pos;
    NextCodePoint(text, pos);
    out.emplace_back(text.substr(start, pos - start));
  }
  return out;
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

}  // namespace

std::string DriveEntryText(char letter, std::string_view label) {
  std::string text(1, AsciiUpper(letter));
  text += ":\\ [";
  text += label;
  text += " ]";
  return text;
}

std::string TrimEX(std::string_view word, std::string_view symbols,
                   const std::function<std::string(const std::string&)>& to_upper) {
  if (symbols.empty()) return std::string(word);
  const std::string_view t = TrimControl(word);
  if (t.empty()) return std::string(word);
  const std::vector<std::string> chars = Characters(t);
  const std::vector<std::string> set = Characters(to_upper(std::string(symbols)));
  auto is_trim = [&](const std::string& c) {
    const std::string up = to_upper(c);
    for (const auto& s : set)
      if (s == up) return true;
    return false;
  };
  std::size_t i = 0;
  while (i + 1 < chars.size() && is_trim(chars[i])) ++i;
  std::size_t j = chars.size() - 1;
  while (j > 0 && is_trim(chars[j])) --j;
  if (j < i) return {};
  std::string out;
  for (std::size_t k = i; k <= j; ++k) out += chars[k];
  return out;
}

std::string GetParentDir(FileSystem& fs, std::string_view start_directory,
                         const std::function<std::string(const std::string&)>& to_upper) {
  if (!fs.FolderExists(std::string(start_directory))) return {};
  const std::string d = TrimEX(start_directory, "\\", to_upper);
  if (d.empty()) return {};
  // The last backslash after the first character; 1 when there is none.
  std::size_t k = d.size();
  while (k > 1 && d[k - 1] != '\\') --k;
  std::string r = d.substr(0, k);
  if (r.empty() || r.back() != '\\') r += '\\';
  return fs.FolderExists(r) ? r : std::string();
}

DriveChoice SelectDriveFromPath(const std::vector<std::string>& entries, std::string_view path) {
  DriveChoice choice;
  const std::string_view drive = DrivePart(path);
  choice.letter = drive.empty() ? '\0' : AsciiUpper(drive.front());
  const std::string prefix = std::string(1, choice.letter) + ":\\";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::string upper = entries[i];
    for (char& c : upper) c = AsciiUpper(c);
    if (upper.rfind(prefix, 0) == 0) {
      choice.index = i;
      break;
    }
  }
  return choice;
}

bool IsAtDriveRoot(std::string_view path_box) {
  const std::string_view drive = DrivePart(path_box);
  return path_box == drive || path_box == std::string(drive) + "\\";
}

}  // namespace vandrel
