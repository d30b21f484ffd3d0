#include "ui/theme.h"

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

Theme::Theme() : palette_(Palette::Light()) {}

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
