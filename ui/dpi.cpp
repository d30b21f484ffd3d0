#include "ui/dpi.h"

namespace vandrel::ui {
namespace {

template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

UINT DpiOfSystem() {
  static const auto fn = User32Function<UINT(WINAPI*)()>("GetDpiForSystem");
  if (fn) return fn();
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT DpiOfWindow(HWND window) {
  static const auto fn = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (fn) {
    if (const UINT dpi = fn(window); dpi != 0) return dpi;
  }
  return DpiOfSystem();
}

BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, BOOL menu, DWORD ex_style, UINT dpi) {
  static const auto fn = User32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  return fn ? fn(rect, style, menu, ex_style, dpi) : ::AdjustWindowRectEx(rect, style, menu, ex_style);
}

int SystemMetricForDpi(int index, UINT dpi) {
  static const auto fn = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  return fn ? fn(index, dpi) : ::GetSystemMetrics(index);
}

BOOL NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, UINT dpi) {
  static const auto fn = User32Function<BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT)>("SystemParametersInfoForDpi");
  metrics.cbSize = sizeof metrics;
  return fn ? fn(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)
            : ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
}

}  // namespace vandrel::ui
