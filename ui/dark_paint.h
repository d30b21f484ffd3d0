// What the dark style draws itself, where Windows and Wine draw controls in
// their light colours whatever the palette says.
#pragma once

#include <windows.h>

#include <functional>

namespace vandrel::ui {

// In the dark style, answers a control's WM_ERASEBKGND and WM_PAINT with
// `paint`; false for every other message, and always in the light style
// (the system draws today's look).
bool PaintDarkInstead(HWND hwnd, UINT msg, LRESULT& result, const std::function<void(HDC)>& paint);

// Asks Windows for a dark (or the usual) title bar on a top-level window;
// nothing changes where the system has none to give (Wine, old builds).
void UseDarkTitleBar(HWND window, bool dark);

// Windows' own dark scroll bars (and, for a drop-down list, its list) on a
// control: `dark_class` is the theme class that has them. The light style
// returns the control to the system's theme.
void UseDarkScrollBars(HWND control, bool dark, const wchar_t* dark_class = L"DarkMode_Explorer");

// Popup menus in dark colours, where Windows can draw them so: Windows 10
// 1903 and later, never Wine. Elsewhere nothing changes.
void UseDarkMenus(bool dark);

// A push button (a flat one shows its face only while hot or pushed), with
// its glyph, caption, default frame and focus.
void PaintDarkButton(HWND button, HDC dc, bool flat, HICON glyph, int glyph_size);
// A check box: its square (check mark, or a filled square for the third
// state), its caption and focus.
void PaintDarkCheckBox(HWND check_box, HDC dc);
// The sunken edge of an edit box, over what the system drew.
void PaintDarkEditEdge(HWND edit);
// A progress bar: its trough and the filled part.
void PaintDarkProgressBar(HWND bar, HDC dc);
// The up and down arrows of a spin box.
void PaintDarkSpinArrows(HWND updown, HDC dc);
// A closed drop-down list: the chosen text and the arrow.
void PaintDarkDropDown(HWND combo, HDC dc);
// A group box's frame line and caption.
void PaintDarkGroupFrame(HWND frame, HDC dc);
// A status bar's panels and texts ("\t\t" before a text sets it flush right).
void PaintDarkStatusBar(HWND bar, HDC dc);

}  // namespace vandrel::ui
