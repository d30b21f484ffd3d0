// The yardstick for the start-up and memory benchmarks: an empty window
// program built like Vandrel.exe (same toolchain, flags, manifest and
// resources) that loads the same system libraries (common controls 6,
// shell32, ole32), shows a window and waits for input.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&icc);
  SHFILEINFOW info{};  // shell32 in use, as the folder list uses it
  ::SHGetFileInfoW(L"Folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
  WNDCLASSEXW wc{sizeof wc};
  wc.lpfnWndProc = &Proc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"VandrelEmptyWindow";
  ::RegisterClassExW(&wc);
  HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"Empty", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                                  480, nullptr, nullptr, instance, nullptr);
  ::ShowWindow(window, show);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ::CoUninitialize();
  return 0;
}
