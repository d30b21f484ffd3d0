// The icon source: the open dialog, files and folders dropped on the window,
// the icon index and its preview, saving an icon.
#include "app/unit_base_win32.h"
#include "app/unit_icon_picker_win32.h"
#include "common/paths.h"
#include "icons/get_big_icon_win32.h"
#include "icons/icon_extraction.h"
#include "icons/picture_decoder_win32.h"
#include "platform/error.h"
#include "platform/text.h"

namespace vandrel {

void TForm1::SetPreview(IconHandle icon) { ImageIcon.SetIcon(std::move(icon)); }

void TForm1::ShowIconMenu(POINT at) { PopupMenuIcon.Popup(at.x, at.y); }

void TForm1::OfferChange() {
  // A picture is always placed in the folder: there is no choice to offer.
  CheckBoxCopyIcon.SetEnabled(!IsPictureFile(TrimControl(EditIconFile.Text())));
  ButtonChangeIcon.SetEnabled(true);
  SetDefaultButton(&ButtonChangeIcon);
  if (ButtonChangeIcon.Showing() && ButtonChangeIcon.Enabled()) ButtonChangeIcon.Focus();
}

void TForm1::ApplyIndexBox(const IndexBoxSetup& setup) {
  SpinEditIcon.SetRange(setup.min, setup.max);
  SpinEditIcon.SetEnabled(setup.enabled);
  ButtonPickIcon.SetEnabled(setup.enabled);
  ButtonSaveIcon.SetEnabled(setup.save_enabled);
}

void TForm1::EditIconFileClick() { ImageIconClick(); }
void TForm1::ButtonBrowseIconClick() { ImageIconClick(); }

void TForm1::ImageIconClick() {
  FileDialog open;
  open.kind = FileDialog::Kind::kOpen;
  open.title = OpenDialog.GetProperty("Title");
  open.filter = OpenDialog.GetProperty("Filter");
  if (const std::optional<std::string> picked = prompts_->ChooseFile(open)) {
    const std::string& path = *picked;
    const SourceKind kind = ClassifySource(path);
    if (kind == SourceKind::kExecutable) {
      EditIconFile.SetText(path);
      SpinEditIcon.SetValue(0);
      const IndexBoxSetup setup = ChosenExecutableSetup(GetIconCountSimple(fs_, loader_, path));
      ApplyIndexBox(setup);
      if (setup.preview_index) SpinEditIconChange();
      SetPreview(GetShellIcon(path));
      SetStatus("");
      CheckBoxCopyIcon.SetEnabled(true);
    } else if (kind == SourceKind::kIco) {
      // The index box keeps its value: an .ico has only the one icon.
      EditIconFile.SetText(path);
      SetPreview(GetShellIcon(path));
      EnableSourceControls(SourceKind::kIco);
    } else if (IsPictureFile(path)) {
      ChoosePicture(path);
    }
  }
  if (!EditIconFile.Text().empty()) OfferChange();
}

std::string TForm1::ResolveShortcut(const std::string& lnk_file) {
  Win32FileSystem fs;
  if (!fs.FileExists(lnk_file)) return {};
  return Win32Desktop().ResolveShortcut(lnk_file);
}

void TForm1::DropPath(const std::string& path) {
  if (fs_.FolderExists(path)) {
    DropFolder(path);
  } else {
    DropFile(path);
  }
}

void TForm1::DropFolder(const std::string& path) {
  ListViewList.DeleteAll();
  item_paths_.clear();
  item_own_icon_.clear();
  SelectDriveFromPath(path);
  const std::string parent = CommandLineParent(path);
  PathFolder.SetText(parent);
  ScanAndAddFoldersToListView(CollapseBackslashes(parent));
  std::string_view folder = path;
  if (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  SelectItemNamed(std::string(NamePart(folder)), true);
}

void TForm1::DropFile(std::string path) {
  if (HasExtension(path, ".lnk")) {
    path = ResolveShortcut(path);
    if (path.empty() || !fs_.FileExists(path)) return;  // a shortcut to a folder is not a source
  }
  if (IsPictureFile(path)) {
    if (!ChoosePicture(path)) return;  // not a picture after all: nothing to offer
    OfferChange();
    SetStatus("");
    return;
  }
  const SourceKind kind = ClassifySource(path);
  if (kind != SourceKind::kExecutable && kind != SourceKind::kIco) return;
  EditIconFile.SetText(path);
  if (kind == SourceKind::kIco) {
    IconHandle icon = GetShellIcon(path);
    const bool shown = static_cast<bool>(icon);
    SetPreview(std::move(icon));
    SpinEditIcon.SetValue(0);
    EnableSourceControls(SourceKind::kIco);
    if (!shown) return;
  } else {
    SpinEditIcon.SetValue(0);
    const IndexBoxSetup setup = DroppedExecutableSetup(GetIconCountSimple(fs_, loader_, path));
    ApplyIndexBox(setup);
    if (setup.show_preview) {
      CheckBoxCopyIcon.SetEnabled(true);
      SetPreview(GetShellIcon(path));
    } else {
      SetPreview({});
    }
  }
  OfferChange();
  SetStatus("");
}

bool TForm1::ChoosePicture(const std::string& path) {
  // The index box and the copy option have nothing to say for a picture;
  // it can be saved as the .ico it becomes.
  // The index goes to 0 before the box names the picture, so the picture is
  // decoded once, for the preview below.
  SpinEditIcon.SetValue(0);
  EditIconFile.SetText(path);
  EnableSourceControls(SourceKind::kIco);
  ButtonSaveIcon.SetEnabled(true);
  SpinEditIconChange();
  return ImageIcon.icon() != nullptr;
}

void TForm1::SpinEditIconChange() {
  const std::string source(TrimControl(EditIconFile.Text()));
  SetPreview({});
  if (source.empty() || !fs_.FileExists(source)) return;
  if (IsPictureFile(source)) {
    const ui::BusyCursor busy;  // a photo of many megapixels takes a moment
    SetPreview(PicturePreviewIcon(source, Scale(48)));  // the icon it becomes
    return;
  }
  // 48 x 48 on a standard screen, sharp on a scaled one.
  SetPreview(ExtractPreviewIcon(source, SpinEditIcon.Value(), Scale(48)));
}

bool TForm1::SpinEditIconKeyDown(WPARAM key) {
  switch (key) {
    case VK_BACK: case VK_TAB: case VK_RETURN: case VK_ESCAPE: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN: case VK_DELETE:
      return true;
    default:
      return false;
  }
}

FileDialog TForm1::IconSaveDialog(std::string file_name) {
  // A name typed without an extension is saved as .ico.
  FileDialog save;
  save.kind = FileDialog::Kind::kSave;
  save.title = SavePictureDialog.GetProperty("Title");
  save.filter = SavePictureDialog.GetProperty("Filter");
  save.default_extension = "ico";
  save.file_name = std::move(file_name);
  return save;
}

void TForm1::ButtonSaveIconClick() {
  const std::string source = EditIconFile.Text();
  const std::optional<std::string> target = prompts_->ChooseFile(IconSaveDialog(ProposedIconFileName(source)));
  if (!target) return;
  IconServices services{fs_, loader_, *prompts_, captions_};
  try {
    if (IsPictureFile(source)) {
      WritePictureIco(services, &DecodePicture, source, *target);
      return;
    }
    ExtractIconByIndex(services, source, *target, SpinEditIcon.Value());
  } catch (const Error& e) {
    prompts_->ShowError(e.what(), MessageCaption("LangError"));
  }
}

void TForm1::ButtonPickIconClick() {
  const std::string source(TrimControl(EditIconFile.Text()));
  if (source.empty()) {
    prompts_->ShowError(MessageCaption("LangTarget"), MessageCaption("LangError"));
    return;
  }
  if (!fs_.FileExists(source)) {
    prompts_->ShowError(MessageCaption("LangFileNotFound") + " " + source, MessageCaption("LangError"));
    return;
  }
  if (GetIconCountSimple(fs_, loader_, source) == 0) {
    prompts_->ShowError(MessageCaption("LangNoIconGroups"), MessageCaption("LangError"));
    return;
  }
  if (icon_picker_ == nullptr) return;
  // Each icon chosen shows in the index box and the preview at once; a
  // cancelled picker puts the index back.
  const int before = SpinEditIcon.Value();
  if (!icon_picker_->Pick(source, before, [this](int index) { SpinEditIcon.SetValue(index); }))
    SpinEditIcon.SetValue(before);
}

void TForm1::SaveIconMenuClick() {
  const std::string source = EditIconFile.Text();
  if (source.empty()) {
    prompts_->ShowError(MessageCaption("LangTarget"), MessageCaption("LangError"));
    return;
  }
  if (!HasExtension(source, ".ico")) return;  // executables are saved with the save button
  const LocalTime now = desktop_.Now();
  const FileDialog save = IconSaveDialog(IconCopyFileName(now.short_date, now.hour, now.minute, now.second));
  ui::ProcessMessages();
  const std::optional<std::string> target = prompts_->ChooseFile(save);
  if (!target) return;
  // A plain file with the time of saving; problems here are not reported. A
  // copy that failed (the source itself picked as the target, a locked
  // file) leaves the target alone.
  try {
    fs_.CopyFileOver(source, *target);
  } catch (const Error&) {
    ui::ProcessMessages();
    return;
  }
  fs_.SetAttributes(*target, kAttrNormal);
  desktop_.SetWriteTime(*target, now);
  ui::ProcessMessages();
}

}  // namespace vandrel
