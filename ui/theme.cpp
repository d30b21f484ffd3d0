#include "ui/theme.h"

#include <algorithm>
#include <cmath>

#include "ui/dark_paint.h"

namespace vandrel::ui {

Palette Palette::Light() {
  Palette p;
  auto set = [&p](ColorRole role, COLORREF c) { p.colors[static_cast<std::size_t>(role)] = c; };
  set(ColorRole::kWindow, ::GetSysColor(COLOR_WINDOW));
  set(ColorRole::kControl, ::GetSysColor(COLOR_BTNFACE));
  set(ColorRole::kText, ::GetSysColor(COLOR_WINDOWTEXT));
  set(ColorRole::kDisabledText, ::GetSysColor(COLOR_GRAYTEXT));
  set(ColorRole::kBorder, ::GetSysColor(COLOR_3DSHADOW));
  set(ColorRole::kLink, RGB(0, 0, 255));
  set(ColorRole::kSelection, ::GetSysColor(COLOR_HIGHLIGHT));
  set(ColorRole::kAccent, ::GetSysColor(COLOR_HOTLIGHT));
  return p;
}

Palette Palette::Dark() {
  Palette p;
  auto set = [&p](ColorRole role, COLORREF c) { p.colors[static_cast<std::size_t>(role)] = c; };
  set(ColorRole::kWindow, RGB(32, 32, 32));
  set(ColorRole::kControl, RGB(43, 43, 43));
  set(ColorRole::kText, RGB(240, 240, 240));
  set(ColorRole::kDisabledText, RGB(150, 150, 150));
  set(ColorRole::kBorder, RGB(100, 100, 100));
  set(ColorRole::kLink, RGB(110, 170, 255));
  set(ColorRole::kSelection, RGB(0, 95, 184));
  set(ColorRole::kAccent, RGB(76, 160, 255));
  return p;
}

void FillClient(HWND hwnd, HDC dc, ColorRole role) {
  RECT r;
  ::GetClientRect(hwnd, &r);
  ::FillRect(dc, &r, Theme::Current().Brush(role));
}

double RelativeLuminance(COLORREF c) {
  const auto channel = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) + 0.0722 * channel(GetBValue(c));
}

double ContrastRatio(COLORREF a, COLORREF b) {
  const double x = RelativeLuminance(a), y = RelativeLuminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

Theme::Theme() : palette_(Palette::Light()) {}

bool Theme::HighContrast() {
  HIGHCONTRASTW hc{sizeof hc};
  return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void Theme::UseDark(bool dark) {
  dark_ = dark;
  Use(this->dark() ? Palette::Dark() : Palette::Light());
  UseDarkMenus(this->dark());
}

Theme& Theme::Current() {
  static Theme theme;
  return theme;
}

HBRUSH Theme::Brush(ColorRole role) {
  BrushHandle& b = brushes_[static_cast<std::size_t>(role)];
  if (!b) b.Reset(::CreateSolidBrush(palette_[role]));
  return b.get();
}

void Theme::Use(const Palette& palette) {
  palette_ = palette;
  for (BrushHandle& b : brushes_) b.Reset();
}

}  // namespace vandrel::ui
