// The selected folder: what its Desktop.ini says, the tooltip from its name,
// changing and removing its icon.
#include "app/unit_base_win32.h"
#include "browser/drives.h"
#include "browser/folder_list.h"
#include "common/paths.h"
#include "engine/icon_delete.h"
#include "engine/icon_install.h"
#include "icons/get_big_icon_win32.h"

namespace vandrel {

void TForm1::SetStatus(const std::string& text) { StatusBar.SetPanelText(0, text, true); }

void TForm1::ClearTarget(bool clear_status, bool clear_tip) {
  if (clear_status) SetStatus("");
  ImageFolder.SetIcon({});
  ImageIcon.SetIcon({});
  EditIconFile.SetText("");
  EditFolder.SetText("");
  if (clear_tip) EditInfoTip.SetText("");
}

void TForm1::ShowFolderIcon(const std::string& icon_source, const std::string& folder) {
  // A folder that cannot show an icon of its own shows the generic one; the
  // shell would read the folder and its parent to say so.
  const std::optional<std::uint32_t> attributes = fs_.GetAttributes(CollapseBackslashes(folder));
  const bool generic = attributes && (*attributes & kAttrDirectory) && !MayShowOwnFolderIcon(*attributes) &&
                       !IsAtDriveRoot(folder);
  ImageFolder.SetIcon(generic ? GenericFolderIcon() : GetShellIcon(folder));
  ImageIcon.SetIcon(icon_source.empty() ? IconHandle() : GetShellIcon(icon_source));
}

void TForm1::EnableSourceControls(SourceKind kind) {
  switch (kind) {
    case SourceKind::kNone:
      SpinEditIcon.SetEnabled(false);
      ButtonPickIcon.SetEnabled(false);
      ButtonSaveIcon.SetEnabled(false);
      CheckBoxCopyIcon.SetEnabled(false);
      break;
    case SourceKind::kExecutable:
      SpinEditIcon.SetEnabled(true);
      ButtonPickIcon.SetEnabled(true);
      ButtonSaveIcon.SetEnabled(true);
      CheckBoxCopyIcon.SetEnabled(true);
      break;
    case SourceKind::kIco:
      // An .ico holds the one icon: no index to step, nothing to save from it.
      SpinEditIcon.SetEnabled(false);
      ButtonPickIcon.SetEnabled(false);
      ButtonSaveIcon.SetEnabled(false);
      CheckBoxCopyIcon.SetEnabled(true);
      break;
    case SourceKind::kOther:
      break;
  }
}

void TForm1::UpdateFormState() {
  const int item = ListViewList.Selected();
  if (item < 0 || static_cast<std::size_t>(item) >= item_paths_.size()) {
    ClearTarget(false, true);
    MemoLog.SetText("");
    for (ui::CheckBox* box : {&CheckBoxSys, &CheckBoxHide, &CheckBoxReadOnly}) box->SetChecked(false);
    for (ui::Control* c : std::initializer_list<ui::Control*>{&ButtonBrowseIcon, &ButtonGetInfo, &ButtonChangeIcon,
                                                              &CheckBoxCopyIcon})
      c->SetEnabled(false);
    return;
  }
  ImageFolder.SetIcon({});
  ImageIcon.SetIcon({});
  ButtonBrowseIcon.SetEnabled(true);
  ButtonGetInfo.SetEnabled(true);
  EngineServices s = Services();
  const FormState state = ReadFormState(s, item_paths_[static_cast<std::size_t>(item)], PathFolder.Text(),
                                        ListViewList.ItemCaption(item));
  CheckBoxReadOnly.SetChecked(state.attributes.read_only);
  CheckBoxHide.SetChecked(state.attributes.hidden);
  CheckBoxSys.SetChecked(state.attributes.system);
  EditFolder.SetText(state.icon.folder);
  ShowFolderIndex(state.icon.icon_index);
  EditInfoTip.SetText(state.icon.tip);
  EditIconFile.SetText(state.icon.icon_source);
  ShowFolderIcon(state.icon.icon_source, state.icon.folder);
  ShowReadStatus(state.icon);
  // The log box shows Windows line ends.
  MemoLog.SetText(state.log.value_or(""));
  EnableSourceControls(state.source_kind);
}

void TForm1::ShowReadStatus(const FolderIconInfo& info) {
  if (!info.problem.empty()) {
    SetStatus(info.problem);
  } else if (info.has_desktop_ini) {
    SetStatus("");
  }
}

void TForm1::ShowFolderIndex(int index) {
  // The folder's own index is shown as it stands: the bounds of an earlier
  // source must not clamp it, or "Изменить" would write another icon.
  SpinEditIcon.SetRange(0, 0);
  SpinEditIcon.SetValue(index);
}

void TForm1::getIcon() {
  const int item = ListViewList.Selected();
  if (item < 0 || static_cast<std::size_t>(item) >= item_paths_.size()) return;
  EngineServices s = Services();
  const FolderIconInfo info = GetIcon(s, item_paths_[static_cast<std::size_t>(item)]);
  EditFolder.SetText(info.folder);
  ShowFolderIndex(info.icon_index);
  EditInfoTip.SetText(info.tip);
  EditIconFile.SetText(info.icon_source);
  ShowFolderIcon(info.icon_source, info.folder);
  ShowReadStatus(info);
}

void TForm1::ButtonGetInfoClick() {
  const std::string folder = EditFolder.Text();
  if (folder.empty()) return;
  EditInfoTip.SetText(InfoTipFromFolder(folder));
  ui::ProcessMessages();
  if (EditIconFile.Text().empty()) return;
  ButtonChangeIcon.SetEnabled(true);
  SetDefaultButton(&ButtonChangeIcon);
  ButtonChangeIcon.Focus();
}

void TForm1::RefreshAfterChange() {
  SelectFirstItem();
  ListViewList.Focus();
  getIcon();
  ui::ProcessMessages();
  try {
    EngineServices s = Services();
    MemoLog.SetText(ReadLogText(s, EditFolder.Text() + "Desktop.ini").value_or(""));
  } catch (...) {
    // The log box is a view; a file that cannot be read leaves it empty.
  }
  ui::ProcessMessages();
  ButtonRefreshClick();
  ui::ProcessMessages();
}

void TForm1::ButtonChangeIconClick() {
  SetStatus("");
  const int item = ListViewList.Selected();
  ChangeRequest request;
  request.has_selection = item >= 0;
  if (request.has_selection) request.caption = ListViewList.ItemCaption(item);
  request.install.folder = EditFolder.Text();
  request.install.source = EditIconFile.Text();
  request.install.index = SpinEditIcon.Value();
  request.install.tip = EditInfoTip.Text();
  request.install.copy = CheckBoxCopyIcon.Checked();
  EngineServices s = Services();
  const ChangeResult result = vandrel::ButtonChangeIconClick(s, request, [this] { RefreshAfterChange(); });
  if (!result.status.empty()) SetStatus(result.status);
}

void TForm1::IconDeleteMenuClick() {
  RestGeneralMenuButton();
  EngineServices s = Services();
  const RemoveResult result =
      vandrel::IconDeleteMenuClick(s, EditFolder.Text(), EditIconFile.Text(), [this] { RefreshAfterChange(); });
  if (!result.status.empty()) SetStatus(result.status);
}

}  // namespace vandrel
