#include "engine/icon_delete.h"

#include <vector>

#include "common/ini_store.h"
#include "common/paths.h"
#include "engine/folder_files.h"
#include "engine/folder_state.h"
#include "engine/icon_install.h"
#include "platform/error.h"

namespace vandrel {
std::optional<std::string> IconDelete(EngineServices& s, const std::string& edit_folder,
                                      const std::string& edit_icon_file) {
  const std::string f = WithTrailingBackslash(edit_folder);
  const std::string d = f + std::string(kDesktopIni);
  auto stop = [&](const std::string& text) {
    s.prompts.ShowError(text, s.captions.Caption("LangError"));
    return std::nullopt;
  };
  if (s.fs.FileExists(d)) {
    if (const auto size = OversizedDesktopIni(s.fs, d)) return stop(DesktopIniTooLargeText(s.captions, d, *size));
    std::optional<IniStore> ini;
    try {
      ini = IniStore::Open(s.fs, s.ansi, d);
    } catch (...) {
      return std::nullopt;  // an unreadable file ends the removal quietly
    }
    // The copies go only when the icon shown for the folder is an .ico file,
    // and only the folder's own .ico files. (A leading ".\\" needs no
    // removing: only the name after the last separator counts.)
    std::vector<std::string> copies;
    if (HasExtension(edit_icon_file, ".ico"))
      for (const std::string& name : NamedIcoCopies(*ini)) copies.push_back(f + name);
    // What else the file holds (a localized name, view settings) stays.
    for (std::string_view key : {"IconFile", "IconIndex", "IconResource", "InfoTip", "ConfirmFileOp"})
      for (std::size_t n = ini->EntryNames(kShellClassInfo).size(); n > 0; --n) ini->DeleteEntry(kShellClassInfo, key);
    if (ini->EntryNames(kShellClassInfo).empty()) ini->EraseSection(kShellClassInfo);
    bool keep = false;
    for (const IniSection& section : ini->sections()) keep = keep || !section.entries.empty();

    s.fs.SetAttributes(d, kAttrNormal);
    try {
      for (const std::string& copy : copies) {
        if (!s.fs.FileExists(copy)) continue;
        s.fs.SetAttributes(copy, kAttrNormal);
        RecycleOrFail(s, copy);
      }
      if (keep) {
        ini->Save(s.fs);
        s.fs.SetAttributes(d, kAttrHidden | kAttrSystem);
      } else {
        RecycleOrFail(s, d);
      }
    } catch (const Error& e) {
      // Explorer still reads what is left of the file.
      if (s.fs.FileExists(d)) s.fs.SetAttributes(d, kAttrHidden | kAttrSystem);
      return stop(e.what());
    }
  }
  s.process_messages();
  return s.captions.Caption("LangIconDelete");
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
  NotifyFolderChanged(s.shell, WithTrailingBackslash(edit_folder));
  s.shell.RefreshDesktop();
  if (refresh_window) refresh_window();
  s.shell.NotifyAssociationsChanged();
  return result;
}

}  // namespace vandrel
