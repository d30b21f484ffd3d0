#include "engine/folder_state.h"

#include "common/ini_store.h"
#include "common/paths.h"
#include "engine/folder_files.h"
#include "platform/error.h"
#include "platform/text.h"

namespace vandrel {
namespace {

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  std::size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

int IndexFrom(std::string_view text) {
  return ParseIniInteger(TrimControl(text), 0);
}

}  // namespace

std::string Work(std::string_view text, char c) {
  const std::size_t at = text.find(c);
  return std::string(at == std::string_view::npos ? text : text.substr(0, at));
}

FolderIconInfo GetIcon(EngineServices& s, const std::string& item_path) {
  FolderIconInfo info;
  info.folder = WithTrailingBackslash(CollapseBackslashes(item_path));
  s.process_messages();
  const std::string ini_path = info.folder + std::string(kDesktopIni);
  const bool exists = s.fs.FileExists(ini_path);
  const auto oversized = exists ? OversizedDesktopIni(s.fs, ini_path) : std::nullopt;
  if (oversized) {
    info.problem = DesktopIniTooLargeText(s.captions, ini_path, *oversized);
  } else if (exists) {
    const IniStore ini = IniStore::Open(s.fs, s.ansi, ini_path);
    std::string icon_file = ini.ReadString(kShellClassInfo, "IconFile", "");
    const std::string icon_index = ini.ReadString(kShellClassInfo, "IconIndex", "");
    std::string icon_resource = ini.ReadString(kShellClassInfo, "IconResource", "");
    info.tip = ini.ReadString(kShellClassInfo, "InfoTip", "");

    // Only this exact spelling is expanded, as the shell writes it.
    const std::string windows = s.shell.GetSpecialFolder(kCsidlWindows);
    icon_file = ReplaceAll(icon_file, "%SystemRoot%", windows);
    icon_resource = ReplaceAll(icon_resource, "%SystemRoot%", windows);
    icon_resource = ReplaceAll(icon_resource, ".\\", "");

    const std::string whole = icon_resource;
    const std::string res_path = Work(icon_resource, ',');
    auto index_from_whole = [&] {
      if (whole.empty()) return 0;
      const std::size_t comma = whole.find(',');
      return IndexFrom(comma == std::string::npos ? std::string_view(whole) : std::string_view(whole).substr(comma + 1));
    };
    auto index_from_key = [&] { return icon_index.empty() ? 0 : IndexFrom(icon_index); };

    // An empty name would make the first two rules test the folder itself and
    // the empty path, neither of which is a file.
    if (s.fs.FileExists(info.folder + res_path)) {
      info.icon_source = info.folder + res_path;
      info.icon_index = index_from_whole();
    } else if (s.fs.FileExists(res_path)) {
      info.icon_source = res_path;
      info.icon_index = index_from_whole();
    } else if (s.fs.FileExists(info.folder + icon_file)) {
      info.icon_source = info.folder + icon_file;
      info.icon_index = index_from_key();
    } else if (s.fs.FileExists(icon_file)) {
      info.icon_source = icon_file;
      info.icon_index = index_from_key();
    }
    info.has_desktop_ini = true;
  }
  s.process_messages();
  return info;
}

FolderAttributes GetAttrFolder(EngineServices& s, const std::string& path_box, const std::string& caption) {
  try {
    const auto bits = s.fs.GetAttributes(CollapseBackslashes(path_box + "\\" + caption));
    if (!bits) return {};
    return {(*bits & kAttrReadOnly) != 0, (*bits & kAttrHidden) != 0, (*bits & kAttrSystem) != 0};
  } catch (...) {
    return {};  // unreadable attributes simply show as unchecked
  }
}

SourceKind ClassifySource(std::string_view icon_source) {
  if (TrimControl(icon_source).empty()) return SourceKind::kNone;
  if (HasExtension(icon_source, ".exe") || HasExtension(icon_source, ".dll")) return SourceKind::kExecutable;
  if (HasExtension(icon_source, ".ico")) return SourceKind::kIco;
  return SourceKind::kOther;
}

std::optional<std::string> ReadLogText(EngineServices& s, const std::string& path) {
  if (!s.fs.FileExists(path)) return std::nullopt;
  if (const auto size = OversizedDesktopIni(s.fs, path)) return DesktopIniTooLargeText(s.captions, path, *size);
  const auto bytes = s.fs.ReadFile(path);
  if (!bytes) return std::nullopt;
  TextEncoding found{};
  return DecodeText(*bytes, s.ansi, found);
}

FormState ReadFormState(EngineServices& s, const std::string& item_path, const std::string& path_box,
                        const std::string& caption) {
  FormState state;
  state.attributes = GetAttrFolder(s, path_box, caption);
  state.icon = GetIcon(s, item_path);
  s.process_messages();
  state.log = ReadLogText(s, state.icon.folder + std::string(kDesktopIni));
  if (state.log) s.process_messages();
  state.source_kind = ClassifySource(state.icon.icon_source);
  return state;
}

std::string InfoTipFromFolder(std::string_view edit_folder) {
  if (!edit_folder.empty() && edit_folder.back() == '\\') edit_folder.remove_suffix(1);
  return std::string(NamePart(edit_folder));
}

}  // namespace vandrel
