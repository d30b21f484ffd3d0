// A grid of large pictures, each with a caption under it (the list view's
// icon view). It holds no items of its own: it knows how many there are,
// asks `item_text` for a caption when it draws one, and shows a picture once
// its owner hands it over — until then the cell is empty.
#pragma once

#include "ui/control.h"

namespace vandrel::ui {

class IconGrid final : public Control {
 public:
  IconGrid(Form& form, const Spec& spec);
  ~IconGrid() override;

  // `count` cells for pictures of `size` pixels, none of them there yet,
  // nothing selected, scrolled to the top.
  void Reset(int count, int size);
  int Count() const;
  int PictureSize() const { return size_; }
  // The grid keeps a copy of the icon; a null icon leaves the cell empty.
  void SetPicture(int item, HICON icon);
  bool HasPicture(int item) const;
  // The cells the grid shows at once when scrolled just far enough to show
  // `item`: [first, end), in rows of `columns`.
  struct Screen {
    int first = 0, end = 0;
    int columns = 1, rows = 1;
  };
  Screen ScreenAround(int item) const;
  int Selected() const;  // -1: none
  // Selects and focuses the item, scrolled into view.
  void Select(int item);
  // The cell's rectangle in the grid's client area (empty when out of range).
  RECT CellRect(int item) const;

  std::function<std::string(int item)> item_text;
  std::function<void(int item)> on_click;     // a click on a cell
  std::function<void(int item)> on_activate;  // a double click on a cell
  std::function<void()> on_dpi_change;        // the window moved to another DPI

  LRESULT OnNotify(const NMHDR& header) override;
  void ApplyTheme() override;
  void ApplyDpi() override;

 private:
  HIMAGELIST images_ = nullptr;
  std::vector<int> image_of_;  // the picture's place in `images_`, -1: none yet
  int size_ = 0;
};

}  // namespace vandrel::ui
