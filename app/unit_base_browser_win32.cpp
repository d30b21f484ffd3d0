// The drive and folder browser: the drive box, the folder list and its menu,
// one level up, refresh.
#include "app/unit_base_win32.h"
#include "browser/drives.h"
#include "browser/folder_list.h"
#include "common/paths.h"
#include "icons/get_big_icon_win32.h"

namespace vandrel {

void TForm1::getDrive() {
  ComboBoxDrive.Clear();
  for (char letter : desktop_.LocalDrives()) ComboBoxDrive.Add(DriveEntryText(letter, GetDriveVolume(letter)));
  ComboBoxDrive.Select(0);
}

std::string TForm1::GetDriveVolume(char drive) { return Win32Desktop().VolumeLabel(drive); }

void TForm1::ComboBoxDriveChange() {
  ClearTarget(true, false);
  const std::string root = std::string(DrivePart(ComboBoxDrive.Text())) + "\\";
  PathFolder.SetText(root);
  ScanAndAddFoldersToListView(root);
  ui::ProcessMessages();
}

void TForm1::SelectDriveFromPath(const std::string& path) {
  const DriveChoice choice = vandrel::SelectDriveFromPath(ComboBoxDrive.Items(), path);
  if (choice.index) {
    ComboBoxDrive.Select(*choice.index);
    return;
  }
  ComboBoxDrive.Select(ComboBoxDrive.Add(DriveEntryText(choice.letter, GetDriveVolume(choice.letter))));
}

void TForm1::ButtonUPClick() {
  ClearTarget(true, true);
  const std::string p = PathFolder.Text();
  if (IsAtDriveRoot(p)) return;
  PathFolder.SetText(GetParentDir(fs_, CollapseBackslashes(p),
                                  [this](const std::string& t) { return shell_.ToUpperUserLocale(t); }));
  ScanAndAddFoldersToListView(CollapseBackslashes(PathFolder.Text()));
  ui::ProcessMessages();
}

void TForm1::ScanAndAddFoldersToListView(const std::string& path) {
  ListViewList.SetRedraw(false);
  ListViewList.DeleteAll();
  item_paths_.clear();
  item_own_icon_.clear();
  generic_folder_icon_ = -1;  // a refresh asks the shell again
  try {
    std::vector<ListedFolder> folders = ListFolders(fs_, path);
    item_paths_.reserve(folders.size());
    item_own_icon_.reserve(folders.size());
    for (ListedFolder& f : folders) {
      item_paths_.push_back(std::move(f.full_path));
      item_own_icon_.push_back(f.own_icon);
    }
  } catch (...) {
    ListViewList.SetRedraw(true);
    throw;
  }
  // The items' pictures are looked up as the list draws them.
  ListViewList.SetCount(static_cast<int>(item_paths_.size()));
  ListViewList.SetRedraw(true);
  SelectFirstItem();
  StatusBar2.SetPanelText(0, MessageCaption("LangElements"), true);
  StatusBar2.SetPanelText(1, std::to_string(item_paths_.size()));
  ui::ProcessMessages();
}

int TForm1::FolderIconIndex(int item) {
  if (item < 0 || static_cast<std::size_t>(item) >= item_paths_.size()) return 0;
  if (item_own_icon_[static_cast<std::size_t>(item)]) return folder_icon_lookup_(item_paths_[static_cast<std::size_t>(item)]);
  if (generic_folder_icon_ < 0) generic_folder_icon_ = GenericFolderIconIndex();
  return generic_folder_icon_;
}

void TForm1::SelectFirstItem() {
  if (ListViewList.Count() > 0) ListViewList.Select(0);
}

void TForm1::SelectItemNamed(const std::string& name, bool else_first) {
  ListViewList.Select(-1);
  const int count = ListViewList.Count();
  const std::string wanted = shell_.ToUpperUserLocale(name);
  int found = -1;
  for (int i = 0; i < count && found < 0; ++i)
    if (shell_.ToUpperUserLocale(ListViewList.ItemCaption(i)) == wanted) found = i;
  if (found < 0 && else_first && count > 0) found = 0;
  if (found >= 0) ListViewList.Select(found, true);
}

void TForm1::OpenCommandLineFolder() {
  const std::string& path = *command_line_folder_;
  if (!fs_.FolderExists(path)) return;
  SelectDriveFromPath(path);
  PathFolder.SetText(CommandLineParent(path));
  ScanAndAddFoldersToListView(CollapseBackslashes(PathFolder.Text()));
  SelectItemNamed(CommandLineName(path), false);
}

void TForm1::SetListViewIconSize(bool large) {
  // The shell's own lists, shared: the list never destroys them.
  if (HIMAGELIST list = SystemImageListOf(large)) ListViewList.SetImageList(list);
}

void TForm1::ListViewListDblClick() {
  const int current = ListViewList.Selected();
  if (current < 0) return;
  ClearTarget(true, true);
  PathFolder.SetText(EnterFolder(PathFolder.Text(), ListViewList.ItemCaption(current)));
  ScanAndAddFoldersToListView(CollapseBackslashes(PathFolder.Text()));
  SelectFirstItem();
  ui::ProcessMessages();
}

void TForm1::ButtonRefreshClick() {
  ClearTarget(true, true);
  RefreshIconMenuClick();
}

void TForm1::RefreshIconMenuClick() {
  RestGeneralMenuButton();
  ClearTarget(false, true);
  const std::string box = PathFolder.Text();
  if (box.empty()) return;
  const std::string p = CollapseBackslashes(box);
  if (!fs_.FolderExists(p)) return;  // the list keeps what it showed
  ScanAndAddFoldersToListView(p);
  ui::ProcessMessages();
}

void TForm1::ShowFileListMenu(POINT at) { PopupMenuFileList.Popup(at.x, at.y); }

}  // namespace vandrel
