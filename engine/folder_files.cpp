#include "engine/folder_files.h"

#include <array>

#include "common/paths.h"
#include "engine/folder_state.h"
#include "platform/error.h"
#include "platform/text.h"

namespace vandrel {
namespace {

bool IsDeviceName(std::string_view name) {
  // "NUL", "nul.ico" and "COM1.txt" all name devices.
  const std::string_view stem = name.substr(0, name.find('.'));
  constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
  for (std::string_view d : kPlain)
    if (EqualsAsciiNoCase(stem, d)) return true;
  if (stem.size() == 4 && (EqualsAsciiNoCase(stem.substr(0, 3), "COM") || EqualsAsciiNoCase(stem.substr(0, 3), "LPT")) &&
      stem[3] >= '1' && stem[3] <= '9')
    return true;
  return false;
}

}  // namespace

std::optional<std::string> PlainFileName(std::string_view stored_name) {
  const std::size_t cut = stored_name.find_last_of("\\/:");
  const std::string_view name = cut == std::string_view::npos ? stored_name : stored_name.substr(cut + 1);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return std::nullopt;
    if (std::string_view("<>\"|?*").find(c) != std::string_view::npos) return std::nullopt;
  }
  if (name.back() == '.' || name.back() == ' ') return std::nullopt;
  if (IsDeviceName(name)) return std::nullopt;
  return std::string(name);
}

std::optional<std::string> IcoCopyName(std::string_view stored_name) {
  std::optional<std::string> name = PlainFileName(stored_name);
  if (!name || !HasExtension(*name, ".ico")) return std::nullopt;
  return name;
}

std::vector<std::string> NamedIcoCopies(const IniStore& desktop_ini) {
  std::vector<std::string> names;
  for (const std::string& stored : {desktop_ini.ReadString(kShellClassInfo, "IconFile", ""),
                                    Work(desktop_ini.ReadString(kShellClassInfo, "IconResource", ""), ',')})
    if (auto name = IcoCopyName(stored)) names.push_back(*name);
  return names;
}

std::optional<std::uint64_t> OversizedDesktopIni(FileSystem& fs, const std::string& path) {
  const std::unique_ptr<ByteSource> file = fs.OpenForReading(path);
  if (!file || file->Size() <= kMaxDesktopIniSize) return std::nullopt;
  return file->Size();
}

std::string DesktopIniTooLargeText(const MessageCaptions& captions, const std::string& path, std::uint64_t size) {
  return captions.Caption("LangDesktopIniTooLarge") + " " + path + " (" + std::to_string(size) + " bytes)";
}

void RecycleOrFail(EngineServices& s, const std::string& path) {
  std::string reason;
  const bool recycled = s.shell.RecycleFile(path, reason);
  if (!s.fs.FileExists(path)) return;
  if (recycled || reason.empty()) reason = "The file is still there.";
  throw Error("Cannot move \"" + path + "\" to the recycle bin", reason);
}

std::string TooltipLine(std::string_view tip) {
  std::string out;
  out.reserve(tip.size());
  std::size_t pos = 0;
  while (pos < tip.size()) {
    const std::size_t start = pos;
    const char32_t c = NextCodePoint(tip, pos);
    // C0 and C1 controls, DEL, and the Unicode line and paragraph separators.
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029) {
      out.push_back(' ');
    } else {
      out.append(tip.substr(start, pos - start));
    }
  }
  return out;
}

}  // namespace vandrel
