#include "ui/controls/icon_grid.h"

#include <algorithm>

#include "ui/controls/list_view.h"

namespace vandrel::ui {

IconGrid::IconGrid(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kListView, {"Hint"}) {
  CreateControlWindow(WS_EX_CLIENTEDGE, WC_LISTVIEWW,
                      WS_TABSTOP | LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_AUTOARRANGE | LVS_OWNERDATA, "");
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_DOUBLEBUFFER);
  Subclass();
}

IconGrid::~IconGrid() {
  if (hwnd_ != nullptr) ListView_SetImageList(hwnd_, nullptr, LVSIL_NORMAL);
  if (images_ != nullptr) ::ImageList_Destroy(images_);
}

void IconGrid::Reset(int count, int size) {
  count = std::max(0, count);
  ListView_SetItemCountEx(hwnd_, 0, 0);
  if (images_ == nullptr || size != size_) {
    HIMAGELIST fresh = ::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, std::max(count, 1), 16);
    ListView_SetImageList(hwnd_, fresh, LVSIL_NORMAL);
    if (images_ != nullptr) ::ImageList_Destroy(images_);
    images_ = fresh;
    size_ = size;
  } else {
    ::ImageList_RemoveAll(images_);
  }
  image_of_.assign(static_cast<std::size_t>(count), -1);
  // Room for the caption under each picture, the same at any DPI.
  ListView_SetIconSpacing(hwnd_, size + Scale(28), size + Scale(30));
  ListView_SetItemCountEx(hwnd_, count, 0);
  if (count > 0) ListView_EnsureVisible(hwnd_, 0, FALSE);
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

int IconGrid::Count() const { return static_cast<int>(image_of_.size()); }

void IconGrid::SetPicture(int item, HICON icon) {
  if (item < 0 || item >= Count() || icon == nullptr || images_ == nullptr) return;
  int& at = image_of_[static_cast<std::size_t>(item)];
  at = ::ImageList_ReplaceIcon(images_, at, icon);  // -1 adds it
  ListView_RedrawItems(hwnd_, item, item);
}

bool IconGrid::HasPicture(int item) const {
  return item >= 0 && item < Count() && image_of_[static_cast<std::size_t>(item)] >= 0;
}

IconGrid::Screen IconGrid::ScreenAround(int item) const {
  // Worked out from the cell spacing: the list lays its cells out only when
  // it is about to show them.
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  const DWORD spacing = static_cast<DWORD>(ListView_GetItemSpacing(hwnd_, FALSE));
  const int cx = std::max(1, static_cast<int>(LOWORD(spacing)));
  const int cy = std::max(1, static_cast<int>(HIWORD(spacing)));
  Screen screen;
  screen.columns = std::max(1, static_cast<int>(client.right) / cx);
  screen.rows = std::max(1, (static_cast<int>(client.bottom) + cy - 1) / cy);  // a row partly shown counts
  // Scrolled just far enough to show the item, as the list scrolls.
  const int row = std::clamp(item, 0, std::max(0, Count() - 1)) / screen.columns;
  const int top_row = std::max(0, row - screen.rows + 1);
  screen.first = std::min(Count(), top_row * screen.columns);
  screen.end = std::min(Count(), (top_row + screen.rows) * screen.columns);
  return screen;
}

int IconGrid::Selected() const { return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); }

void IconGrid::Select(int item) {
  if (item < 0 || item >= Count()) {
    ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    return;
  }
  ListView_SetItemState(hwnd_, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(hwnd_, item, FALSE);
}

RECT IconGrid::CellRect(int item) const {
  RECT r{};
  if (item < 0 || item >= Count() || !ListView_GetItemRect(hwnd_, item, &r, LVIR_BOUNDS)) return RECT{};
  return r;
}

void IconGrid::ApplyTheme() { ApplyListColours(hwnd_); }

void IconGrid::ApplyDpi() {
  Control::ApplyDpi();
  if (on_dpi_change) on_dpi_change();
}

LRESULT IconGrid::OnNotify(const NMHDR& header) {
  if (header.code == LVN_GETDISPINFOW) {
    // The list's own structure, handed to us to fill in.
    LVITEMW& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
    if (item.iItem < 0 || item.iItem >= Count()) return 0;
    if (item.mask & LVIF_TEXT) FillDisplayText(item, item_text ? item_text(item.iItem) : std::string());
    if (item.mask & LVIF_IMAGE) {
      const int image = image_of_[static_cast<std::size_t>(item.iItem)];
      item.iImage = image >= 0 ? image : I_IMAGENONE;
    }
    return 0;
  }
  if (header.code == NM_RETURN) {
    // Enter on the grid itself (a window without a default button).
    if (on_activate && Selected() >= 0) on_activate(Selected());
    return 0;
  }
  if (header.code == NM_CLICK || header.code == NM_DBLCLK) {
    const int item = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
    if (item < 0 || item >= Count()) return 0;  // the empty space between cells
    const auto& handler = header.code == NM_CLICK ? on_click : on_activate;
    if (handler) handler(item);
  }
  return 0;
}

}  // namespace vandrel::ui
