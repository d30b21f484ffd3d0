#include "engine/icon_delete.h"

#include "app/ini_store.h"
#include "browser/paths.h"
#include "engine/folder_state.h"
#include "engine/icon_install.h"

namespace vandrel {
namespace {

std::string RemoveAll(std::string text, std::string_view what) {
  std::size_t pos = 0;
  while ((pos = text.find(what, pos)) != std::string::npos) text.erase(pos, what.size());
  return text;
}

}  // namespace

std::optional<std::string> IconDelete(EngineServices& s, const std::string& edit_folder,
                                      const std::string& edit_icon_file) {
  const std::string f = WithTrailingBackslash(edit_folder);
  const std::string d = f + std::string(kDesktopIni);
  try {
    if (s.fs.FileExists(d)) {
      std::string old_file, old_res;
      {
        const IniStore ini = IniStore::Open(s.fs, s.ansi, d);
        old_file = ini.ReadString(kShellClassInfo, "IconFile", "");
        old_res = Work(RemoveAll(ini.ReadString(kShellClassInfo, "IconResource", ""), ".\\"), ',');
      }
      s.fs.SetAttributes(d, kAttrNormal);
      // The copies go only when the icon shown for the folder is an .ico file.
      const bool shown_is_ico = HasExtension(edit_icon_file, ".ico");
      for (const std::string* old : {&old_file, &old_res}) {
        if (old->empty() || !shown_is_ico) continue;
        const std::string copy = f + std::string(NamePart(*old));
        if (!s.fs.FileExists(copy)) continue;
        s.fs.SetAttributes(copy, kAttrNormal);
        DeleteFileWithUndo(s.shell, copy);
      }
      DeleteFileWithUndo(s.shell, d);
    }
    s.process_messages();
    return s.captions.Caption("LangIconDelete");
  } catch (...) {
    return std::nullopt;  // what was removed stays removed; nothing is reported
  }
}

RemoveResult IconDeleteMenuClick(EngineServices& s, const std::string& edit_folder, const std::string& edit_icon_file,
                                 const std::function<void()>& refresh_window) {
  RemoveResult result;
  if (edit_folder.empty()) {
    s.prompts.ShowError(s.captions.Caption("LangFolderWithIcon"), s.captions.Caption("LangError"));
    return result;
  }
  if (!s.prompts.Confirm(s.captions.Caption("LangDelIconFolder"), s.captions.Caption("LangAttention"))) {
    result.outcome = RemoveOutcome::kDeclined;
    return result;
  }
  const auto status = IconDelete(s, edit_folder, edit_icon_file);
  result.outcome = status ? RemoveOutcome::kRemoved : RemoveOutcome::kStopped;
  if (status) result.status = *status;
  s.shell.NotifyAssociationsChanged();
  s.shell.RefreshDesktop();
  if (refresh_window) refresh_window();
  s.shell.NotifyAssociationsChanged();
  return result;
}

}  // namespace vandrel
