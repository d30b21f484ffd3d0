#include "ui/layout.h"

#include <algorithm>
#include <cstdint>

namespace vandrel::ui {

int ScaleForDpi(int design_pixels, int dpi) {
  // As MulDiv rounds: half away from zero.
  const std::int64_t product = static_cast<std::int64_t>(design_pixels) * dpi;
  const std::int64_t half = 48;
  return static_cast<int>(product >= 0 ? (product + half) / 96 : (product - half) / 96);
}

std::vector<Box> LayOut(const std::vector<Placement>& items, Box area, int dpi) {
  std::vector<Box> out(items.size());
  const Box full = area;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Placement& p = items[i];
    if (p.dock == Dock::kNone || p.dock == Dock::kFill) continue;
    Box r = area;
    const int w = ScaleForDpi(p.width, dpi);
    const int h = ScaleForDpi(p.height, dpi);
    switch (p.dock) {
      case Dock::kTop: r.bottom = area.top + h; area.top = r.bottom; break;
      case Dock::kBottom: r.top = area.bottom - h; area.bottom = r.top; break;
      case Dock::kLeft: r.right = area.left + w; area.left = r.right; break;
      case Dock::kRight: r.left = area.right - w; area.right = r.left; break;
      default: break;
    }
    out[i] = r;
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Placement& p = items[i];
    if (p.dock == Dock::kFill) {
      out[i] = Box{area.left, area.top, area.left + std::max(0, area.Width()), area.top + std::max(0, area.Height())};
    } else if (p.dock == Dock::kNone) {
      const int width = full.Width();
      int x = ScaleForDpi(p.x, dpi);
      int w = ScaleForDpi(p.width, dpi);
      if (p.stretch) w = std::max(0, width - x - ScaleForDpi(p.width, dpi));
      if (p.anchor_right) x = width - ScaleForDpi(p.x, dpi) - w;
      const int y = ScaleForDpi(p.y, dpi);
      out[i] = Box{full.left + x, full.top + y, full.left + x + w, full.top + y + ScaleForDpi(p.height, dpi)};
    }
  }
  return out;
}

Box GroupBoxInterior(Box c, int dpi) {
  return Box{c.left + ScaleForDpi(6, dpi), c.top + ScaleForDpi(16, dpi), c.right - ScaleForDpi(6, dpi),
             c.bottom - ScaleForDpi(6, dpi)};
}

Box FramedPanelInterior(Box c, int dpi) {
  const int m = ScaleForDpi(3, dpi);
  return Box{c.left + m, c.top + m, c.right - m, c.bottom - m};
}

}  // namespace vandrel::ui
