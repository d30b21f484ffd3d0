// The one palette every window and control paints from. A style is a
// palette: the light one follows the system's colours; another style fills
// the same roles with its own.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

#include "platform/win32/gdi_handles.h"

namespace vandrel::ui {

enum class ColorRole : std::size_t {
  kWindow,        // the inside of edit boxes and lists
  kControl,       // windows, panels, buttons
  kText,
  kDisabledText,
  kBorder,        // frames of panels
  kLink,
  kSelection,
  kAccent,
  kCount
};

struct Palette {
  std::array<COLORREF, static_cast<std::size_t>(ColorRole::kCount)> colors{};
  COLORREF operator[](ColorRole role) const { return colors[static_cast<std::size_t>(role)]; }
  // Today's look: the system's own colours, links in blue.
  static Palette Light();
};

class Theme {
 public:
  static Theme& Current();
  const Palette& palette() const { return palette_; }
  COLORREF Color(ColorRole role) const { return palette_[role]; }
  // A brush of the role's colour, owned by the theme.
  HBRUSH Brush(ColorRole role);
  // Takes another palette (or the same one again after the system's colours
  // changed); the windows then repaint.
  void Use(const Palette& palette);

 private:
  Theme();
  Palette palette_;
  std::array<BrushHandle, static_cast<std::size_t>(ColorRole::kCount)> brushes_;
};

}  // namespace vandrel::ui
