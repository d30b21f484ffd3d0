#include "ui/controls/list_view.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/win32/wide.h"
#include "ui/dark_paint.h"
#include "ui/theme.h"

namespace vandrel::ui {

ListView::ListView(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kListView, {"Hint"}) {
  CreateControlWindow(WS_EX_CLIENTEDGE, WC_LISTVIEWW,
                      WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                          LVS_SHAREIMAGELISTS | LVS_OWNERDATA,
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
void ListView::DeleteAll() { SetCount(0); }

void ListView::SetCount(int count) {
  images_.assign(static_cast<std::size_t>(std::max(0, count)), -1);
  // The selected and the focused item lose their state (one of each in this
  // single-selection list): clearing it on all items would walk every one.
  for (UINT which : {LVNI_SELECTED, LVNI_FOCUSED})
    if (const int item = ListView_GetNextItem(hwnd_, -1, which); item >= 0)
      ListView_SetItemState(hwnd_, item, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemCountEx(hwnd_, count, 0);
  if (count > 0) ListView_EnsureVisible(hwnd_, 0, FALSE);
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

int ListView::Count() const { return ListView_GetItemCount(hwnd_); }

std::string ListView::ItemCaption(int item) const {
  return item_text && item >= 0 && item < Count() ? item_text(item) : std::string();
}

int ListView::FindItem(const std::wstring& wanted, int start, bool partial, bool wrap) const {
  const int count = Count();
  if (count == 0 || !item_text) return -1;
  const auto starts_with = [&](int i) {
    std::wstring text = Widen(item_text(i));
    // Typing finds as the system's own lists find: by prefix, without case.
    if (partial && text.size() > wanted.size()) text.resize(wanted.size());
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(), static_cast<int>(text.size()),
                            wanted.c_str(), static_cast<int>(wanted.size())) == CSTR_EQUAL;
  };
  start = std::clamp(start, 0, count - 1);
  for (int i = start; i < count; ++i)
    if (starts_with(i)) return i;
  if (wrap)
    for (int i = 0; i < start; ++i)
      if (starts_with(i)) return i;
  return -1;
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

void ApplyListColours(HWND list) {
  const Theme& theme = Theme::Current();
  ListView_SetBkColor(list, theme.Color(ColorRole::kWindow));
  ListView_SetTextBkColor(list, theme.Color(ColorRole::kWindow));
  ListView_SetTextColor(list, theme.Color(ColorRole::kText));
  UseDarkScrollBars(list, theme.dark());
}

void FillDisplayText(LVITEMW& item, const std::string& text) {
  if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0) return;
  const std::wstring wide = Widen(text);
  const std::size_t n = std::min<std::size_t>(wide.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
  std::copy_n(wide.c_str(), n, item.pszText);
  item.pszText[n] = L'\0';
}

void ListView::ApplyTheme() { ApplyListColours(hwnd_); }

LRESULT ListView::OnNotify(const NMHDR& header) {
  if (header.code == LVN_GETDISPINFOW) {
    // The list's own structure, handed to us to fill in.
    LVITEMW& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
    if (item.iItem < 0 || item.iItem >= Count()) return 0;
    if (item.mask & LVIF_TEXT) FillDisplayText(item, item_text ? item_text(item.iItem) : std::string());
    if (item.mask & LVIF_IMAGE) {
      int& image = images_[static_cast<std::size_t>(item.iItem)];
      if (image < 0) image = item_image ? std::max(0, item_image(item.iItem)) : 0;
      item.iImage = image;
    }
    return 0;
  }
  if (header.code == LVN_ODFINDITEMW) {
    const auto& find = reinterpret_cast<const NMLVFINDITEMW&>(header);
    if ((find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find.lvfi.psz == nullptr) return -1;
    return FindItem(find.lvfi.psz, find.iStart, (find.lvfi.flags & LVFI_PARTIAL) != 0,
                    (find.lvfi.flags & LVFI_WRAP) != 0);
  }
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
