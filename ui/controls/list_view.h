// The report-style list of one column without a header, whole-row and single
// selection, the selection visible without the focus. The list holds no items
// of its own: it asks `item_text` and `item_image` for what it is about to
// draw, so a folder of 100,000 entries shows at once and costs only what
// its owner keeps.
#pragma once

#include "ui/control.h"
#include "ui/controls/edit.h"

namespace vandrel::ui {

// What list views share: the palette's colours for their background and
// text, and the text an LVN_GETDISPINFO asks for, copied into the list's buffer.
void ApplyListColours(HWND list);
void FillDisplayText(LVITEMW& item, const std::string& text);

class ListView final : public Control {
 public:
  ListView(Form& form, const Spec& spec);
  std::vector<std::string> GetStrings(std::string_view list) const override;
  void SetString(std::string_view list, std::size_t index, const std::string& value) override;

  // A report column; its caption is a translatable text.
  void AddColumn(const std::string& caption, int width);
  // The image lists the items' pictures come from; the list never destroys them.
  void SetImageList(HIMAGELIST list);
  void SetRedraw(bool on);
  void DeleteAll();
  // The list now has `count` items, none selected, scrolled to the top; each
  // is asked for when first drawn.
  void SetCount(int count);
  int Count() const;
  std::string ItemCaption(int item) const;
  int Selected() const;  // -1: none
  // Selects and focuses the item (scrolled into view, partly is enough unless
  // `whole`); -1 clears the selection.
  void Select(int item, bool whole = false);
  // Keeps the scroll bars as set whatever the list would show.
  void KeepScrollBars(bool horizontal, bool vertical);

  // An item's caption, and its picture's index in the image lists; the list
  // keeps the picture for the item's life in the list, so each is asked once.
  std::function<std::string(int item)> item_text;
  std::function<int(int item)> item_image;
  std::function<void()> on_select;        // the selection changed
  std::function<void()> on_click;
  std::function<void()> on_double_click;
  ContextMenuHandler on_context_menu;     // at the point, or below the focused item

  LRESULT OnNotify(const NMHDR& header) override;
  void ApplyTheme() override;

 protected:
  bool OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  // The first item from `start` whose caption is `wanted` (or begins with it), -1: none.
  int FindItem(const std::wstring& wanted, int start, bool partial, bool wrap) const;
  std::vector<std::string> columns_;
  std::vector<int> images_;  // -1: not asked yet
  bool keep_bars_ = false, horizontal_ = false, vertical_ = true, fixing_bars_ = false;
};

}  // namespace vandrel::ui
