// Docking and anchoring in pure geometry: where each control of a container
// goes at a given DPI. No window is involved, so it is tested natively.
#pragma once

#include <vector>

namespace vandrel::ui {

enum class Dock { kNone, kTop, kBottom, kLeft, kRight, kFill };

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Box&) const = default;
};

// A control's place, in pixels at 96 DPI. Docked controls use width (left,
// right) or height (top, bottom); the rest use x, y, width and height, where
// x is the right margin for one anchored right and width the right margin for
// one that stretches.
struct Placement {
  Dock dock = Dock::kNone;
  int x = 0, y = 0, width = 0, height = 0;
  bool anchor_right = false;
  bool stretch = false;
};

struct Size {
  int width = 0, height = 0;
  bool operator==(const Size&) const = default;
};

int ScaleForDpi(int design_pixels, int dpi);

// Docked controls take their strips in order, then the filling ones get what
// is left; free controls are placed against the whole area.
std::vector<Box> LayOut(const std::vector<Placement>& items, Box area, int dpi);

// The room for the controls inside a group box's frame and a framed panel.
Box GroupBoxInterior(Box client, int dpi);
Box FramedPanelInterior(Box client, int dpi);

}  // namespace vandrel::ui
