#include "engine/icon_install.h"

#include <array>

#include "app/ini_store.h"
#include "browser/paths.h"
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

// The new icon file is copied under a temporary name inside the folder before
// anything old is recycled, and renamed into place after, so a failed copy
// leaves the old icon as it was. A failed step removes the staged file and
// shows the system's reason.
bool StagingStep(EngineServices& s, const std::string& staging, const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const Error& e) {
    s.fs.RemoveFile(staging);
    ShowStop(s, e.what());
    return false;
  }
}

}  // namespace

bool DeleteFileWithUndo(Shell& shell, const std::string& path) { return shell.RecycleFile(path); }

std::optional<std::string> IconInstall(EngineServices& s, const InstallRequest& r) {
  const std::string& f = r.folder;
  const std::string d = f + std::string(kDesktopIni);
  const std::string source_name(NamePart(r.source));
  const bool is_ico = HasExtension(r.source, ".ico");
  const bool is_executable = HasExtension(r.source, ".exe") || HasExtension(r.source, ".dll");
  // Another kind of file cannot be placed in the folder; it is then used
  // where it is, as without Copy, so the folder still gets its icon.
  const bool copy = r.copy && (is_ico || is_executable);

  // A folder must not be pointed at a file that is not there.
  if (!s.fs.FileExists(r.source)) {
    ShowStop(s, s.captions.Caption("LangFileNotFound") + " " + r.source);
    return std::nullopt;
  }

  // Make the new icon file ready before the folder is touched.
  std::string ico_name;   // the name of the copy inside the folder
  std::string ready;      // the file to copy from
  if (copy && is_ico) {
    ico_name = source_name;
    ready = r.source;
  } else if (copy) {
    ico_name = ReplaceExtension(source_name, ".ico");
    ready = WithTrailingBackslash(s.shell.TempFolderPath()) + ico_name;
    // A file left by an earlier extraction must not pass for this one.
    if (s.fs.FileExists(ready) && !s.fs.RemoveFile(ready)) {
      ShowStop(s, s.captions.Caption("LangErrorExtractingIcon") + " " + ready);
      return std::nullopt;
    }
    CountingPrompts counted(s.prompts);
    IconServices icons{s.fs, s.loader, counted, s.captions};
    bool written = false;
    try {
      written = ExtractIconByIndex(icons, r.source, ready, r.index);
    } catch (const Error& e) {
      ShowStop(s, e.what());
      return std::nullopt;
    }
    if (!written || !s.fs.FileExists(ready)) {
      // The extraction explains most failures itself; a damaged group it does not.
      if (counted.shown == 0) ShowStop(s, s.captions.Caption("LangErrorExtractingIcon"));
      return std::nullopt;
    }
  }
  const std::string target = f + ico_name;
  const bool needs_copy = copy && !EqualsNoCase(ready, target);
  const std::string staging = target + ".vandrel-new";
  if (needs_copy && !StagingStep(s, staging, [&] { s.fs.CopyFileOver(ready, staging); })) return std::nullopt;

  IniStore ini = IniStore::Open(s.fs, s.ansi, d);
  const std::string old_file = ini.ReadString(kShellClassInfo, "IconFile", "");
  const std::string old_res = Work(ini.ReadString(kShellClassInfo, "IconResource", ""), ',');

  s.fs.SetAttributes(d, kAttrNormal);
  for (const std::string* old : {&old_file, &old_res})
    if (!old->empty()) s.fs.SetAttributes(f + std::string(NamePart(*old)), kAttrNormal);

  if (!copy) {
    WriteKeys(ini, r.source, r.index, r.source + "," + std::to_string(r.index), r.tip);
    ini.Save(s.fs);
  } else {
    // Earlier copies go to the recycle bin; for an .ico, not the one that
    // the new copy replaces anyway.
    for (const std::string* old : {&old_file, &old_res}) {
      if (old->empty() || !HasExtension(*old, ".ico")) continue;
      const std::string old_name(NamePart(*old));
      if (is_ico && EqualsNoCase(old_name, source_name)) continue;
      const std::string old_path = f + old_name;
      s.fs.SetAttributes(old_path, kAttrNormal);
      if (s.fs.FileExists(old_path)) DeleteFileWithUndo(s.shell, old_path);
    }
    if (needs_copy && !StagingStep(s, staging, [&] { s.fs.MoveFileOver(staging, target); })) return std::nullopt;
    if (is_ico) {
      WriteKeys(ini, ico_name, r.index, ico_name + "," + std::to_string(r.index), r.tip);
    } else {
      WriteKeys(ini, ico_name, r.index, ico_name, r.tip);
    }
    ini.Save(s.fs);
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
    s.shell.RefreshDesktop();
  }
  if (refresh_window) refresh_window();
  return result;
}

}  // namespace vandrel
