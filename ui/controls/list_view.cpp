#include "ui/controls/list_view.h"

#include <windowsx.h>

#include "platform/win32/wide.h"
#include "ui/dark_paint.h"
#include "ui/theme.h"

namespace vandrel::ui {

ListView::ListView(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kListView, {"Hint"}) {
  CreateControlWindow(WS_EX_CLIENTEDGE, WC_LISTVIEWW,
                      WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                          LVS_SHAREIMAGELISTS,
                      "");
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  Subclass();
}

std::vector<std::string> ListView::GetStrings(std::string_view list) const {
  return list == "Columns" ? columns_ : std::vector<std::string>{};
}

void ListView::SetString(std::string_view list, std::size_t index, const std::string& value) {
  if (list != "Columns" || index >= columns_.size()) return;
  columns_[index] = value;
  std::wstring w = Widen(value);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = w.data();
  ListView_SetColumn(hwnd_, static_cast<int>(index), &col);
}

void ListView::AddColumn(const std::string& caption, int width) {
  std::wstring w = Widen(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH | LVCF_TEXT;
  column.cx = Scale(width);
  column.pszText = w.data();
  ListView_InsertColumn(hwnd_, static_cast<int>(columns_.size()), &column);
  columns_.push_back(caption);
}

void ListView::SetImageList(HIMAGELIST list) {
  ListView_SetImageList(hwnd_, list, LVSIL_SMALL);
  ListView_SetImageList(hwnd_, list, LVSIL_NORMAL);
}

void ListView::SetRedraw(bool on) { ::SendMessageW(hwnd_, WM_SETREDRAW, on, 0); }
void ListView::DeleteAll() { ListView_DeleteAllItems(hwnd_); }

void ListView::Add(const std::string& caption, int image) {
  std::wstring text = Widen(caption);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = Count();
  item.pszText = text.data();
  item.iImage = image;
  item.lParam = item.iItem;
  ListView_InsertItem(hwnd_, &item);
}

int ListView::Count() const { return ListView_GetItemCount(hwnd_); }

std::string ListView::ItemCaption(int item) const {
  wchar_t text[MAX_PATH * 4] = {};
  ListView_GetItemText(hwnd_, item, 0, text, static_cast<int>(std::size(text)));
  return Narrow(text);
}

int ListView::Selected() const { return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); }

void ListView::Select(int item, bool whole) {
  if (item < 0) {
    ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    return;
  }
  ListView_SetItemState(hwnd_, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(hwnd_, item, whole ? FALSE : TRUE);
}

void ListView::KeepScrollBars(bool horizontal, bool vertical) {
  keep_bars_ = true;
  horizontal_ = horizontal;
  vertical_ = vertical;
}

void ListView::ApplyTheme() {
  const Theme& theme = Theme::Current();
  ListView_SetBkColor(hwnd_, theme.Color(ColorRole::kWindow));
  ListView_SetTextBkColor(hwnd_, theme.Color(ColorRole::kWindow));
  ListView_SetTextColor(hwnd_, theme.Color(ColorRole::kText));
  UseDarkScrollBars(hwnd_, theme.dark());
}

LRESULT ListView::OnNotify(const NMHDR& header) {
  if (header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) && ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) && on_select)
      on_select();
  } else if (header.code == NM_CLICK) {
    if (on_click) on_click();
  } else if (header.code == NM_DBLCLK) {
    if (on_double_click) on_double_click();
  }
  return 0;
}

bool ListView::OnOwnMessage(HWND hwnd, UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  if (msg == WM_CONTEXTMENU) {
    // A right click and the keyboard (the menu key, Shift+F10) both open the
    // list's menu; from the keyboard below the focused item.
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    const bool keyboard = lp == -1;
    if (keyboard) {
      RECT r{};
      const int focused = ListView_GetNextItem(hwnd, -1, LVNI_FOCUSED);
      p = focused >= 0 && ListView_GetItemRect(hwnd, focused, &r, LVIR_LABEL) ? POINT{r.left, r.bottom} : POINT{0, 0};
      ::ClientToScreen(hwnd, &p);
    }
    if (on_context_menu) on_context_menu(p, keyboard);
    result = 0;
    return true;
  }
  // Showing a bar sends messages of its own; fix the bars once per outer message.
  if (keep_bars_ && !fixing_bars_) {
    fixing_bars_ = true;
    ::ShowScrollBar(hwnd, SB_HORZ, horizontal_);
    ::ShowScrollBar(hwnd, SB_VERT, vertical_);
    fixing_bars_ = false;
  }
  return false;
}

}  // namespace vandrel::ui
