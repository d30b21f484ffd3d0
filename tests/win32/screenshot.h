// Saves what a window shows on the screen as a PNG file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vandrel::testing {

bool SaveWindowPng(HWND window, const std::string& path);

// What the screen shows in a window's rectangle, row by row.
struct ScreenPixels {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;
  COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
// The whole window, or its client area alone (without frame and scroll bars).
ScreenPixels CaptureWindow(HWND window, bool client_only = false);

}  // namespace vandrel::testing
