#include "ui/dark_paint.h"

#include <commctrl.h>
#include <dwmapi.h>

#include <uxtheme.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/system_version.h"

#include "ui/dpi.h"
#include "ui/theme.h"

namespace vandrel::ui {
namespace {

// The faces of a button in the dark style: resting, hot, pushed.
constexpr COLORREF kFace = RGB(55, 55, 55);
constexpr COLORREF kHotFace = RGB(70, 70, 70);
constexpr COLORREF kPushedFace = RGB(30, 30, 30);

void Fill(HDC dc, const RECT& r, COLORREF color) {
  ::SetDCBrushColor(dc, color);
  ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

void Frame(HDC dc, const RECT& r, COLORREF color) {
  ::SetDCBrushColor(dc, color);
  ::FrameRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

std::wstring TextOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

HFONT FontOf(HWND hwnd) { return reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)); }

}  // namespace

void UseDarkTitleBar(HWND window, bool dark) {
  BOOL on = dark ? TRUE : FALSE;
  if (FAILED(::DwmSetWindowAttribute(window, 20 /* DWMWA_USE_IMMERSIVE_DARK_MODE */, &on, sizeof on)))
    ::DwmSetWindowAttribute(window, 19 /* the same before build 19041 */, &on, sizeof on);
}

void UseDarkScrollBars(HWND control, bool dark, const wchar_t* dark_class) {
  // Only a control we once gave the dark class is given back its own.
  constexpr wchar_t kDarkThemeProperty[] = L"VandrelDarkTheme";
  const bool was_dark = ::GetPropW(control, kDarkThemeProperty) != nullptr;
  if (dark == was_dark) return;
  ::SetWindowTheme(control, dark ? dark_class : nullptr, nullptr);
  if (dark) {
    ::SetPropW(control, kDarkThemeProperty, reinterpret_cast<HANDLE>(1));
  } else {
    ::RemovePropW(control, kDarkThemeProperty);
  }
}

void UseDarkMenus(bool dark) {
  // uxtheme's unnamed SetPreferredAppMode (ordinal 135) and FlushMenuThemes
  // (136) exist with these meanings from build 18362; Wine exports other
  // functions, or none, under the same ordinals.
  using SetPreferredAppMode = int(WINAPI*)(int);
  using FlushMenuThemes = void(WINAPI*)();
  static const auto entries = []() -> std::pair<SetPreferredAppMode, FlushMenuThemes> {
    const SystemVersion& v = CurrentSystemVersion();
    if (v.wine || v.major < 10 || v.build < 18362) return {};
    HMODULE uxtheme = ::LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (uxtheme == nullptr) return {};
    auto set = reinterpret_cast<SetPreferredAppMode>(
        reinterpret_cast<void*>(::GetProcAddress(uxtheme, MAKEINTRESOURCEA(135))));
    auto flush = reinterpret_cast<FlushMenuThemes>(
        reinterpret_cast<void*>(::GetProcAddress(uxtheme, MAKEINTRESOURCEA(136))));
    if (set == nullptr || flush == nullptr) return {};
    return {set, flush};
  }();
  static bool menus_dark = false;
  if (entries.first == nullptr || dark == menus_dark) return;
  constexpr int kDefault = 0, kForceDark = 2;
  entries.first(dark ? kForceDark : kDefault);
  entries.second();
  menus_dark = dark;
}

bool PaintDarkInstead(HWND hwnd, UINT msg, LRESULT& result, const std::function<void(HDC)>& paint) {
  if (!Theme::Current().dark()) return false;
  if (msg == WM_ERASEBKGND) {
    result = 1;
    return true;
  }
  if (msg != WM_PAINT) return false;
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd, &ps);
  paint(dc);
  ::EndPaint(hwnd, &ps);
  result = 0;
  return true;
}

void PaintDarkButton(HWND button, HDC dc, bool flat, HICON glyph, int glyph_size) {
  const Theme& theme = Theme::Current();
  RECT r;
  ::GetClientRect(button, &r);
  const LRESULT state = ::SendMessageW(button, BM_GETSTATE, 0, 0);
  const bool pushed = (state & BST_PUSHED) != 0;
  const bool hot = (state & BST_HOT) != 0;
  const bool enabled = ::IsWindowEnabled(button) != FALSE;
  const bool is_default = (::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  Fill(dc, r, theme.Color(ColorRole::kControl));
  if (!flat || hot || pushed) {
    Fill(dc, r, pushed ? kPushedFace : hot ? kHotFace : kFace);
    Frame(dc, r, is_default ? theme.Color(ColorRole::kAccent) : theme.Color(ColorRole::kBorder));
  }
  if (glyph != nullptr) {
    ::DrawIconEx(dc, (r.right - glyph_size) / 2, (r.bottom - glyph_size) / 2, glyph, glyph_size, glyph_size, 0,
                 nullptr, DI_NORMAL);
  }
  const std::wstring text = TextOf(button);
  if (!text.empty()) {
    HGDIOBJ old = ::SelectObject(dc, FontOf(button));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, theme.Color(enabled ? ColorRole::kText : ColorRole::kDisabledText));
    RECT t = r;
    if (pushed) ::OffsetRect(&t, 1, 1);
    // Mnemonic underlines only once the keyboard is in use, as Windows shows them.
    const bool hide_accel = (::SendMessageW(button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | (hide_accel ? DT_HIDEPREFIX : 0));
    ::SelectObject(dc, old);
  }
  if (::GetFocus() == button && (::SendMessageW(button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0) {
    RECT f = r;
    ::InflateRect(&f, -3, -3);
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkColor(dc, RGB(0, 0, 0));
    ::DrawFocusRect(dc, &f);
  }
}

void PaintDarkCheckBox(HWND check_box, HDC dc) {
  const Theme& theme = Theme::Current();
  const int dpi = static_cast<int>(DpiOfWindow(check_box));
  RECT r;
  ::GetClientRect(check_box, &r);
  Fill(dc, r, theme.Color(ColorRole::kControl));
  const int size = ::MulDiv(13, dpi, 96);
  const int top = (r.bottom - size) / 2;
  const RECT box{0, top, size, top + size};
  const bool enabled = ::IsWindowEnabled(check_box) != FALSE;
  Fill(dc, box, theme.Color(ColorRole::kWindow));
  Frame(dc, box, theme.Color(enabled ? ColorRole::kText : ColorRole::kDisabledText));
  const LRESULT check = ::SendMessageW(check_box, BM_GETCHECK, 0, 0);
  const COLORREF mark = theme.Color(enabled ? ColorRole::kText : ColorRole::kDisabledText);
  if (check == BST_CHECKED) {
    HPEN pen = ::CreatePen(PS_SOLID, std::max(1, size / 7), mark);
    HGDIOBJ old = ::SelectObject(dc, pen);
    const POINT points[] = {{size / 4, top + size / 2}, {size * 5 / 12, top + size * 3 / 4}, {size * 3 / 4, top + size / 4}};
    ::Polyline(dc, points, 3);
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
  } else if (check == BST_INDETERMINATE) {
    RECT inner = box;
    ::InflateRect(&inner, -size / 4, -size / 4);
    Fill(dc, inner, mark);
  }
  const std::wstring text = TextOf(check_box);
  RECT t{size + ::MulDiv(4, dpi, 96), 0, r.right, r.bottom};
  HGDIOBJ old = ::SelectObject(dc, FontOf(check_box));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, mark);
  RECT measured = t;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, DT_SINGLELINE | DT_CALCRECT);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_VCENTER | DT_SINGLELINE);
  ::SelectObject(dc, old);
  if (::GetFocus() == check_box && (::SendMessageW(check_box, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0) {
    RECT f{t.left - 1, (r.bottom - (measured.bottom - measured.top)) / 2 - 1, measured.right + 1, 0};
    f.bottom = f.top + (measured.bottom - measured.top) + 2;
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkColor(dc, RGB(0, 0, 0));
    ::DrawFocusRect(dc, &f);
  }
}

void PaintDarkEditEdge(HWND edit) {
  const Theme& theme = Theme::Current();
  HDC dc = ::GetWindowDC(edit);
  RECT r;
  ::GetWindowRect(edit, &r);
  ::OffsetRect(&r, -r.left, -r.top);
  Frame(dc, r, theme.Color(ColorRole::kBorder));
  ::InflateRect(&r, -1, -1);
  Frame(dc, r, theme.Color(ColorRole::kWindow));
  ::ReleaseDC(edit, dc);
}

namespace {

// A small filled triangle pointing up or down, centred in `r`.
void Arrow(HDC dc, const RECT& r, bool up, COLORREF color) {
  const int w = std::max<int>(3, (r.right - r.left) / 2) | 1;
  const int h = (w + 1) / 2;
  const int x = (r.left + r.right - w) / 2, y = (r.top + r.bottom - h) / 2;
  const std::array<POINT, 3> points = up ? std::array<POINT, 3>{POINT{x, y + h}, POINT{x + w, y + h}, POINT{x + w / 2, y}}
                                        : std::array<POINT, 3>{POINT{x, y}, POINT{x + w, y}, POINT{x + w / 2, y + h}};
  ::SetDCBrushColor(dc, color);
  ::SetDCPenColor(dc, color);
  HGDIOBJ brush = ::SelectObject(dc, ::GetStockObject(DC_BRUSH));
  HGDIOBJ pen = ::SelectObject(dc, ::GetStockObject(DC_PEN));
  ::Polygon(dc, points.data(), 3);
  ::SelectObject(dc, brush);
  ::SelectObject(dc, pen);
}

}  // namespace

void PaintDarkProgressBar(HWND bar, HDC dc) {
  const Theme& theme = Theme::Current();
  RECT r;
  ::GetClientRect(bar, &r);
  Fill(dc, r, theme.Color(ColorRole::kWindow));
  Frame(dc, r, theme.Color(ColorRole::kBorder));
  PBRANGE range{};
  ::SendMessageW(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  const int position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
  if (range.iHigh > range.iLow && position > range.iLow) {
    RECT filled = r;
    ::InflateRect(&filled, -1, -1);
    filled.right = filled.left + ::MulDiv(filled.right - filled.left, position - range.iLow, range.iHigh - range.iLow);
    Fill(dc, filled, theme.Color(ColorRole::kAccent));
  }
}

void PaintDarkSpinArrows(HWND updown, HDC dc) {
  const Theme& theme = Theme::Current();
  RECT r;
  ::GetClientRect(updown, &r);
  // The arrows are as enabled as the box they step.
  const auto buddy = reinterpret_cast<HWND>(::SendMessageW(updown, UDM_GETBUDDY, 0, 0));
  const bool enabled = ::IsWindowEnabled(updown) && (buddy == nullptr || ::IsWindowEnabled(buddy));
  const COLORREF text = theme.Color(enabled ? ColorRole::kText : ColorRole::kDisabledText);
  RECT up = r, down = r;
  up.bottom = down.top = (r.top + r.bottom) / 2;
  for (const RECT& half : {up, down}) {
    Fill(dc, half, kFace);
    Frame(dc, half, theme.Color(ColorRole::kBorder));
  }
  Arrow(dc, up, true, text);
  Arrow(dc, down, false, text);
}

void PaintDarkDropDown(HWND combo, HDC dc) {
  const Theme& theme = Theme::Current();
  RECT r;
  ::GetClientRect(combo, &r);
  const bool enabled = ::IsWindowEnabled(combo) != FALSE;
  Fill(dc, r, theme.Color(ColorRole::kWindow));
  Frame(dc, r, theme.Color(ColorRole::kBorder));
  const int button = SystemMetricForDpi(SM_CXVSCROLL, DpiOfWindow(combo));
  RECT arrow{r.right - button, r.top + 1, r.right - 1, r.bottom - 1};
  Fill(dc, arrow, kFace);
  Arrow(dc, arrow, false, theme.Color(enabled ? ColorRole::kText : ColorRole::kDisabledText));
  const std::wstring text = TextOf(combo);
  RECT t{r.left + 4, r.top, arrow.left - 2, r.bottom};
  HGDIOBJ old = ::SelectObject(dc, FontOf(combo));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, theme.Color(enabled ? ColorRole::kText : ColorRole::kDisabledText));
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &t,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  ::SelectObject(dc, old);
  if (::GetFocus() == combo && !::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) {
    RECT f{r.left + 2, r.top + 2, arrow.left - 1, r.bottom - 2};
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkColor(dc, RGB(0, 0, 0));
    ::DrawFocusRect(dc, &f);
  }
}

void PaintDarkGroupFrame(HWND frame, HDC dc) {
  const Theme& theme = Theme::Current();
  RECT r;
  ::GetClientRect(frame, &r);
  HGDIOBJ old = ::SelectObject(dc, FontOf(frame));
  TEXTMETRICW tm{};
  ::GetTextMetricsW(dc, &tm);
  Fill(dc, r, theme.Color(ColorRole::kControl));
  RECT line = r;
  line.top = tm.tmHeight / 2;
  Frame(dc, line, theme.Color(ColorRole::kBorder));
  const std::wstring text = TextOf(frame);
  if (!text.empty()) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const int x = tm.tmAveCharWidth;
    RECT caption{x, 0, x + size.cx + 4, tm.tmHeight};
    Fill(dc, caption, theme.Color(ColorRole::kControl));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, theme.Color(::IsWindowEnabled(frame) ? ColorRole::kText : ColorRole::kDisabledText));
    ::TextOutW(dc, x + 2, 0, text.c_str(), static_cast<int>(text.size()));
  }
  ::SelectObject(dc, old);
}

void PaintDarkStatusBar(HWND bar, HDC dc) {
  const Theme& theme = Theme::Current();
  RECT r;
  ::GetClientRect(bar, &r);
  Fill(dc, r, theme.Color(ColorRole::kControl));
  HGDIOBJ old = ::SelectObject(dc, FontOf(bar));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, theme.Color(ColorRole::kText));
  const int parts = static_cast<int>(::SendMessageW(bar, SB_GETPARTS, 0, 0));
  for (int i = 0; i < parts; ++i) {
    RECT part{};
    ::SendMessageW(bar, SB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&part));
    Frame(dc, part, theme.Color(ColorRole::kBorder));
    const int n = LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(i), 0));
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    ::SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    UINT align = DT_LEFT;
    if (text.rfind(L"\t\t", 0) == 0) {
      text.erase(0, 2);
      align = DT_RIGHT;
    } else if (text.rfind(L"\t", 0) == 0) {
      text.erase(0, 1);
      align = DT_CENTER;
    }
    ::InflateRect(&part, -3, 0);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &part, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  ::SelectObject(dc, old);
}

}  // namespace vandrel::ui
