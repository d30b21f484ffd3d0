#include "engine/icon_install.h"

#include <array>
#include <vector>

#include "common/ini_store.h"
#include "common/paths.h"
#include "engine/folder_files.h"
#include "engine/folder_state.h"
#include "icons/icon_extraction.h"
#include "platform/error.h"
#include "platform/text.h"

namespace vandrel {
namespace {

constexpr std::array<std::string_view, 5> kProtectedNames = {
    "Documents and Settings", "System Volume Information", "$RECYCLE.BIN", "Boot", "Windows"};

std::string ReplaceExtension(std::string_view name, std::string_view extension) {
  const std::string_view ext = Extension(name);
  return std::string(name.substr(0, name.size() - ext.size())) + std::string(extension);
}

void WriteKeys(IniStore& ini, const std::string& icon_file, int index, const std::string& icon_resource,
               const std::string& tip) {
  ini.WriteString(kShellClassInfo, "IconFile", icon_file);
  ini.WriteInteger(kShellClassInfo, "IconIndex", index);
  ini.WriteString(kShellClassInfo, "IconResource", icon_resource);
  ini.WriteString(kShellClassInfo, "InfoTip", tip);
  ini.WriteString(kShellClassInfo, "ConfirmFileOp", "0");
}

// Passes prompts on and counts the messages shown.
class CountingPrompts final : public Prompts {
 public:
  explicit CountingPrompts(Prompts& inner) : inner_(inner) {}
  void ShowMessage(const std::string& text) override {
    ++shown;
    inner_.ShowMessage(text);
  }
  void ShowError(const std::string& text, const std::string& title) override {
    ++shown;
    inner_.ShowError(text, title);
  }
  bool Confirm(const std::string& text, const std::string& title) override { return inner_.Confirm(text, title); }
  int shown = 0;

 private:
  Prompts& inner_;
};

void ShowStop(EngineServices& s, const std::string& text) {
  s.prompts.ShowError(text, s.captions.Caption("LangError"));
}


// A file already at `target` goes to the recycle bin, where it can be
// restored, before the staged file takes its place. A backup copy puts it
// back should the rename fail, so the folder never names a file in the bin.
void ReplaceThroughRecycleBin(EngineServices& s, const std::string& folder, const std::string& name,
                              const std::string& staged, const std::string& target) {
  OwnFile backup(s.fs);
  backup.Set(s.fs.CreateUniqueFile(folder, name, ".vandrel-old"));
  s.fs.CopyFileOver(target, backup.path());
  RecycleOrFail(s, target);
  try {
    s.fs.MoveFileOver(staged, target);
  } catch (const Error&) {
    try {
      s.fs.MoveFileOver(backup.path(), target);
      backup.Keep();
    } catch (const Error&) {
      backup.Keep();  // the only copy left outside the bin: never deleted
    }
    throw;
  }
}

}  // namespace

bool ExtractInto(EngineServices& s, const std::string& source, int index, const std::string& out) {
  CountingPrompts counted(s.prompts);
  IconServices icons{s.fs, s.loader, counted, s.captions};
  const bool written = ExtractIconByIndex(icons, source, out, index);
  if (written && s.fs.FileExists(out)) return true;
  // The extraction explains most failures itself; a damaged group it does not.
  if (counted.shown == 0) ShowStop(s, s.captions.Caption("LangErrorExtractingIcon"));
  return false;
}

bool ConvertInto(EngineServices& s, const std::string& source, const std::string& out) {
  IconServices icons{s.fs, s.loader, s.prompts, s.captions};
  return WritePictureIco(icons, s.decode_picture, source, out);
}

bool DeleteFileWithUndo(Shell& shell, const std::string& path) {
  std::string reason;
  return shell.RecycleFile(path, reason);
}

std::optional<std::string> IconInstall(EngineServices& s, const InstallRequest& r) {
  const std::string& f = r.folder;
  const std::string d = f + std::string(kDesktopIni);
  const bool is_ico = HasExtension(r.source, ".ico");
  const bool is_executable = HasExtension(r.source, ".exe") || HasExtension(r.source, ".dll");
  // A picture becomes an .ico in the folder whatever Copy says.
  const bool is_picture = IsPictureFile(r.source);
  // Another kind of file cannot be placed in the folder; it is then used
  // where it is, as without Copy, so the folder still gets its icon.
  const bool copy = is_picture || (r.copy && (is_ico || is_executable));
  // An .ico file holds one icon: any other index shows nothing in Explorer.
  const bool one_icon = is_ico || is_picture;
  const int index = one_icon ? 0 : r.index;
  const std::string tip = TooltipLine(r.tip);

  // A folder must not be pointed at a file that is not there.
  if (!s.fs.FileExists(r.source)) {
    ShowStop(s, s.captions.Caption("LangFileNotFound") + " " + r.source);
    return std::nullopt;
  }
  if (const auto size = OversizedDesktopIni(s.fs, d)) {
    ShowStop(s, DesktopIniTooLargeText(s.captions, d, *size));
    return std::nullopt;
  }
  // Read before anything changes: an unreadable file stops here.
  IniStore ini = IniStore::Open(s.fs, s.ansi, d);
  const std::vector<std::string> old_copies = NamedIcoCopies(ini);
  auto names_old_copy = [&](const std::string& name) {
    for (const std::string& old : old_copies)
      if (EqualsNoCase(old, name)) return true;
    return false;
  };

  // Make the new icon file ready and put it in place before the folder's
  // Desktop.ini changes: a failure here leaves the old icon as it was.
  std::string ico_name;  // the name of the copy inside the folder
  std::string target;
  bool target_created = false;
  if (copy) {
    OwnFile extracted(s.fs);
    OwnFile staged(s.fs);
    try {
      std::string ready;  // the file to copy from
      if (is_ico) {
        const auto name = PlainFileName(NamePart(r.source));
        if (!name) {
          ShowStop(s, s.captions.Caption("LangFileNotFound") + " " + r.source);
          return std::nullopt;
        }
        ico_name = *name;
        ready = r.source;
      } else {
        const auto name = PlainFileName(ReplaceExtension(NamePart(r.source), ".ico"));
        if (!name) {
          ShowStop(s, s.captions.Caption("LangErrorExtractingIcon"));
          return std::nullopt;
        }
        ico_name = *name;
        if (!r.prepared_ico.empty() && s.fs.FileExists(r.prepared_ico)) {
          ready = r.prepared_ico;
        } else {
          // A file of our own in the temporary folder: never someone else's
          // file of the same name, and never one left by an earlier run.
          extracted.Set(s.fs.CreateUniqueFile(WithTrailingBackslash(s.shell.TempFolderPath()), "vandrel-icon", ".ico"));
          const bool written = is_picture ? ConvertInto(s, r.source, extracted.path())
                                          : ExtractInto(s, r.source, r.index, extracted.path());
          if (!written) return std::nullopt;
          ready = extracted.path();
        }
      }
      target = f + ico_name;
      if (!EqualsNoCase(ready, target)) {
        staged.Set(s.fs.CreateUniqueFile(f, ico_name, ".vandrel-new"));
        s.fs.CopyFileOver(ready, staged.path());
        if (!s.fs.FileExists(target)) {
          s.fs.MoveFileOver(staged.path(), target);
          target_created = true;
        } else if (is_ico && names_old_copy(ico_name)) {
          // The earlier copy of this same .ico is simply overwritten.
          const auto before = s.fs.GetAttributes(target);
          s.fs.SetAttributes(target, kAttrNormal);
          try {
            s.fs.MoveFileOver(staged.path(), target);
          } catch (const Error&) {
            if (before) s.fs.SetAttributes(target, *before);
            throw;
          }
        } else {
          // An earlier extraction of the same name, or a file of the folder's
          // own that merely shares the name.
          ReplaceThroughRecycleBin(s, f, ico_name, staged.path(), target);
        }
        staged.Keep();
      }
    } catch (const Error& e) {
      ShowStop(s, e.what());
      return std::nullopt;
    }
  }

  s.fs.SetAttributes(d, kAttrNormal);
  for (const std::string& old : old_copies) s.fs.SetAttributes(f + old, kAttrNormal);

  if (!copy) {
    WriteKeys(ini, r.source, index, r.source + "," + std::to_string(index), tip);
  } else if (one_icon) {
    WriteKeys(ini, ico_name, index, ico_name + "," + std::to_string(index), tip);
  } else {
    WriteKeys(ini, ico_name, index, ico_name, tip);
  }
  try {
    ini.Save(s.fs);
  } catch (...) {
    if (target_created) s.fs.RemoveFile(target);  // nothing names it
    throw;
  }

  if (copy) {
    // Earlier copies that the new one did not replace go to the recycle bin.
    for (const std::string& old : old_copies) {
      if (EqualsNoCase(old, ico_name)) continue;
      const std::string old_path = f + old;
      if (s.fs.FileExists(old_path)) DeleteFileWithUndo(s.shell, old_path);
    }
    s.fs.SetAttributes(target, kAttrHidden | kAttrSystem);
  }
  s.fs.SetAttributes(d, kAttrHidden | kAttrSystem);
  s.fs.SetAttributes(f, kAttrReadOnly);
  s.process_messages();
  return s.captions.Caption("LangIconInstall");
}

bool IsProtectedFolderName(Shell& shell, const std::string& caption) {
  const std::string upper = shell.ToUpperUserLocale(caption);
  for (std::string_view name : kProtectedNames)
    if (upper == shell.ToUpperUserLocale(std::string(name))) return true;
  return false;
}

void NotifyFolderChanged(Shell& shell, const std::string& folder) {
  std::string_view path = folder;
  while (path.size() > 1 && path.back() == '\\') path.remove_suffix(1);
  shell.NotifyItemUpdated(std::string(path));
  const std::size_t cut = path.find_last_of('\\');
  if (cut == std::string_view::npos) return;
  // The parent keeps its backslash when it is a drive's root.
  const std::string_view parent = path.substr(0, path[cut - (cut > 0 ? 1 : 0)] == ':' ? cut + 1 : cut);
  if (!parent.empty()) shell.NotifyFolderUpdated(std::string(parent));
}

bool IsDriveRoot(const std::string& folder) { return folder == std::string(DrivePart(folder)) + "\\"; }

ChangeResult ButtonChangeIconClick(EngineServices& s, const ChangeRequest& r,
                                   const std::function<void()>& refresh_window) {
  ChangeResult result;
  if (!r.has_selection) return result;
  if (IsProtectedFolderName(s.shell, r.caption)) {
    result.outcome = ChangeOutcome::kProtectedName;
    return result;
  }
  if (r.caption.empty() || r.install.folder.empty()) {
    result.outcome = ChangeOutcome::kMissingFields;
    return result;
  }
  if (r.install.source.empty()) {
    s.prompts.ShowError(s.captions.Caption("LangTarget"), s.captions.Caption("LangError"));
    result.outcome = ChangeOutcome::kNoIconSource;
    return result;
  }
  if (IsDriveRoot(r.install.folder)) {
    s.prompts.ShowError(s.captions.Caption("LangCannotChangeIcon"), s.captions.Caption("LangError"));
    result.outcome = ChangeOutcome::kDriveRoot;
    return result;
  }
  result.outcome = ChangeOutcome::kDeclined;
  if (s.prompts.Confirm(s.captions.Caption("LangChangeIconFolder"), s.captions.Caption("LangAttention"))) {
    const auto status = IconInstall(s, r.install);
    result.outcome = status ? ChangeOutcome::kInstalled : ChangeOutcome::kInstallStopped;
    if (status) result.status = *status;
    s.shell.NotifyAssociationsChanged();
    NotifyFolderChanged(s.shell, r.install.folder);
    s.shell.RefreshDesktop();
  }
  if (refresh_window) refresh_window();
  return result;
}

}  // namespace vandrel
