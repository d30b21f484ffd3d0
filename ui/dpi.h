// The per-monitor DPI functions of Windows 10, looked up when first used:
// imported directly, they would keep the program from starting at all on an
// older Windows, where it must still say that it needs Windows 10 or 11.
// There each answers at the system's DPI.
#pragma once

#include <windows.h>

namespace vandrel::ui {

UINT DpiOfWindow(HWND window);
UINT DpiOfSystem();
BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, BOOL menu, DWORD ex_style, UINT dpi);
int SystemMetricForDpi(int index, UINT dpi);
// The system's fonts and sizes of window parts (SPI_GETNONCLIENTMETRICS).
BOOL NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, UINT dpi);

}  // namespace vandrel::ui
