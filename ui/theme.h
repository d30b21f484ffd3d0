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
  // Dark greys with light text; every text role keeps a contrast of at
  // least 4.5:1 against the backgrounds it is drawn on.
  static Palette Dark();
};

// Fills a window's client area with a role's colour of the current palette
// (a window's WM_ERASEBKGND).
void FillClient(HWND hwnd, HDC dc, ColorRole role);

// The relative luminance of a colour as WCAG defines it (0 black, 1 white).
double RelativeLuminance(COLORREF c);
// The contrast ratio of two colours as WCAG defines it (1 to 21).
double ContrastRatio(COLORREF a, COLORREF b);

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
  // The dark style or the light one. Under Windows' high-contrast mode the
  // system's colours are used whatever was asked.
  void UseDark(bool dark);
  bool dark() const { return dark_ && !HighContrast(); }
  // The system's colours or settings changed: the palette is made again.
  void Refresh() { UseDark(dark_); }
  static bool HighContrast();

 private:
  Theme();
  Palette palette_;
  bool dark_ = false;
  std::array<BrushHandle, static_cast<std::size_t>(ColorRole::kCount)> brushes_;
};

}  // namespace vandrel::ui
