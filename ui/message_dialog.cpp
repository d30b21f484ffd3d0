#include "ui/message_dialog.h"

#include <algorithm>

#include <commctrl.h>

#include "platform/win32/gdi_handles.h"
#include "platform/win32/wide.h"
#include "ui/app.h"
#include "ui/dark_paint.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace vandrel::ui {
namespace {

constexpr wchar_t kDialogClass[] = L"VandrelMessageDialog";
constexpr int kFirstButtonId = 100;
// Posted to itself when the system's settings change: by the time it
// arrives the program's windows have taken the style the change asks for.
constexpr UINT kRestyle = WM_APP + 1;
constexpr UINT_PTR kButtonHookId = 1;

struct DialogState {
  const MessageDialogSpec* spec = nullptr;
  int result = -1;
  bool done = false;
  int cancel = 0;
};

// The buttons draw themselves in the dark style, as the windows' buttons do.
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) noexcept {
  if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &ButtonProc, kButtonHookId);
  LRESULT result = 0;
  if (PaintDarkInstead(hwnd, msg, result, [hwnd](HDC dc) { PaintDarkButton(hwnd, dc, false, nullptr, 0); }))
    return result;
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

void Restyle(HWND dialog) {
  UseDarkTitleBar(dialog, Theme::Current().dark());
  ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

LRESULT CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
      break;
    case DM_GETDEFID:
      if (state) return MAKELRESULT(kFirstButtonId + state->spec->default_button, DC_HASDEFID);
      break;
    case WM_COMMAND:
      if (state && HIWORD(wp) == BN_CLICKED) {
        const int id = LOWORD(wp);
        if (id == IDCANCEL) {
          state->result = state->cancel;
        } else if (id == IDOK) {
          state->result = state->spec->default_button;
        } else if (id >= kFirstButtonId && id < kFirstButtonId + static_cast<int>(state->spec->buttons.size())) {
          state->result = id - kFirstButtonId;
        } else {
          break;
        }
        state->done = true;
        return 0;
      }
      break;
    case WM_CLOSE:
      if (state) {
        state->result = state->cancel;
        state->done = true;
      }
      return 0;
    case WM_ERASEBKGND:
      FillClient(hwnd, reinterpret_cast<HDC>(wp), ColorRole::kWindow);
      return 1;
    case WM_CTLCOLORSTATIC: {
      Theme& theme = Theme::Current();
      auto dc = reinterpret_cast<HDC>(wp);
      ::SetTextColor(dc, theme.Color(ColorRole::kText));
      ::SetBkColor(dc, theme.Color(ColorRole::kWindow));
      return reinterpret_cast<LRESULT>(theme.Brush(ColorRole::kWindow));
    }
    case WM_CTLCOLORBTN:
      if (Theme::Current().dark()) return reinterpret_cast<LRESULT>(Theme::Current().Brush(ColorRole::kWindow));
      break;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      ::PostMessageW(hwnd, kRestyle, 0, 0);
      break;
    case kRestyle:
      Restyle(hwnd);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void CopyToClipboard(HWND owner, const std::string& text) {
  const std::wstring w = Widen(text);
  if (!::OpenClipboard(owner)) return;
  ::EmptyClipboard();
  if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * sizeof(wchar_t))) {
    std::copy(w.c_str(), w.c_str() + w.size() + 1, static_cast<wchar_t*>(::GlobalLock(memory)));
    ::GlobalUnlock(memory);
    if (!::SetClipboardData(CF_UNICODETEXT, memory)) ::GlobalFree(memory);
  }
  ::CloseClipboard();
}

// A button caption without its mnemonic marks ("&&" stands for "&").
std::string WithoutMnemonics(const std::string& caption) {
  std::string plain;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    else if (caption[i] == '&') continue;
    plain += caption[i];
  }
  return plain;
}

}  // namespace

std::string MessageDialogClipboardText(const MessageDialogSpec& spec) {
  const std::string rule = "---------------------------\r\n";
  std::string buttons;
  for (const std::string& b : spec.buttons) buttons += WithoutMnemonics(b) + "   ";
  std::string text = spec.text;
  // Line ends as CRLF whatever the text used.
  std::string crlf;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
    crlf += text[i];
  }
  return rule + spec.title + "\r\n" + rule + crlf + "\r\n" + rule + buttons + "\r\n" + rule;
}

int ShowMessageDialog(HWND owner, const MessageDialogSpec& spec) {
  // A second registration of the class fails harmlessly.
  RegisterWindowClass(kDialogClass, DialogProc, nullptr, ::GetSysColorBrush(COLOR_WINDOW));
  DialogState state;
  state.spec = &spec;
  state.cancel = spec.cancel_button >= 0 ? spec.cancel_button : static_cast<int>(spec.buttons.size()) - 1;
  const UINT dpi = owner ? DpiOfWindow(owner) : DpiOfSystem();
  auto scale = [dpi](int v) { return MulDiv(v, static_cast<int>(dpi), 96); };

  // The system's message font, at the owner's DPI.
  NONCLIENTMETRICSW metrics{};
  NonClientMetricsForDpi(metrics, dpi);
  FontHandle font(::CreateFontIndirectW(&metrics.lfMessageFont));

  const std::wstring text = Widen(spec.text);
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, font.get());
  RECT measured{0, 0, scale(380), 0};
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  int button_width = scale(75);
  for (const std::string& b : spec.buttons) {
    const std::wstring w = Widen(b);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
    button_width = std::max<int>(button_width, size.cx + scale(20));
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);

  const int icon_size = spec.icon == MessageDialogSpec::Icon::kNone ? 0 : SystemMetricForDpi(SM_CXICON, dpi);
  const int margin = scale(12), gap = scale(8), button_height = scale(23);
  const int buttons = static_cast<int>(spec.buttons.size());
  const int buttons_width = buttons * button_width + std::max(0, buttons - 1) * gap;
  const int text_left = margin + (icon_size ? icon_size + margin : 0);
  const int body_height = std::max<int>(icon_size, static_cast<int>(measured.bottom));
  const int client_width = std::max<int>(text_left + static_cast<int>(measured.right) + margin, buttons_width + 2 * margin);
  const int client_height = margin + body_height + margin + button_height + margin;

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD ex = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | (owner ? 0 : WS_EX_TOPMOST);
  RECT frame{0, 0, client_width, client_height};
  AdjustWindowRectForDpi(&frame, style, FALSE, ex, dpi);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  // Centred on the owner (or the screen), kept on the work area.
  RECT around{};
  MONITORINFO mi{sizeof mi};
  ::GetMonitorInfoW(owner ? ::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                          : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY),
                    &mi);
  if (!owner || !::GetWindowRect(owner, &around) || ::IsIconic(owner)) around = mi.rcWork;
  int x = (around.left + around.right - width) / 2, y = (around.top + around.bottom - height) / 2;
  x = std::clamp<int>(x, mi.rcWork.left, std::max<int>(mi.rcWork.left, mi.rcWork.right - width));
  y = std::clamp<int>(y, mi.rcWork.top, std::max<int>(mi.rcWork.top, mi.rcWork.bottom - height));

  HWND dialog = ::CreateWindowExW(ex, kDialogClass, Widen(spec.title).c_str(), style, x, y, width, height, owner,
                                  nullptr, Instance(), &state);
  if (!dialog) return state.cancel;
  if (icon_size) {
    const wchar_t* which = spec.icon == MessageDialogSpec::Icon::kError      ? IDI_ERROR
                           : spec.icon == MessageDialogSpec::Icon::kWarning  ? IDI_WARNING
                           : spec.icon == MessageDialogSpec::Icon::kQuestion ? IDI_QUESTION
                                                                             : IDI_INFORMATION;
    // The system's icon at the size of this DPI; shared, never destroyed.
    HICON icon = static_cast<HICON>(::LoadImageW(nullptr, which, IMAGE_ICON, icon_size, icon_size, LR_SHARED));
    HWND picture = ::CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE, margin,
                                     margin, icon_size, icon_size, dialog, nullptr, Instance(), nullptr);
    ::SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  }
  HWND label = ::CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX, text_left,
                                 margin + (body_height - measured.bottom) / 2, measured.right, measured.bottom, dialog,
                                 nullptr, Instance(), nullptr);
  ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  int bx = client_width - margin - buttons_width;
  HWND first_focus = nullptr;
  for (int i = 0; i < buttons; ++i) {
    const DWORD kind = i == spec.default_button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    HWND b = ::CreateWindowExW(0, L"BUTTON", Widen(spec.buttons[static_cast<std::size_t>(i)]).c_str(),
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? WS_GROUP : 0) | kind, bx,
                               client_height - margin - button_height, button_width, button_height, dialog,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + i)), Instance(), nullptr);
    ::SetWindowSubclass(b, &ButtonProc, kButtonHookId, 0);
    ::SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    if (i == spec.default_button) first_focus = b;
    bx += button_width + gap;
  }

  const bool owner_was_enabled = owner && ::IsWindowEnabled(owner);
  if (owner_was_enabled) ::EnableWindow(owner, FALSE);
  switch (spec.icon) {
    case MessageDialogSpec::Icon::kError: ::MessageBeep(MB_ICONERROR); break;
    case MessageDialogSpec::Icon::kWarning: ::MessageBeep(MB_ICONWARNING); break;
    case MessageDialogSpec::Icon::kQuestion: ::MessageBeep(MB_ICONQUESTION); break;
    case MessageDialogSpec::Icon::kInformation: ::MessageBeep(MB_ICONINFORMATION); break;
    case MessageDialogSpec::Icon::kNone: ::MessageBeep(MB_OK); break;
  }
  UseDarkTitleBar(dialog, Theme::Current().dark());
  ::ShowWindow(dialog, SW_SHOW);
  ::SetForegroundWindow(dialog);
  if (first_focus) ::SetFocus(first_focus);

  MSG msg{};
  bool quit = false;
  while (!state.done) {
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      break;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == 'C' && (::GetKeyState(VK_CONTROL) & 0x8000) &&
        (msg.hwnd == dialog || ::IsChild(dialog, msg.hwnd))) {
      CopyToClipboard(dialog, MessageDialogClipboardText(spec));
      continue;
    }
    if (::IsDialogMessageW(dialog, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  if (owner_was_enabled) ::EnableWindow(owner, TRUE);
  ::DestroyWindow(dialog);
  if (owner) ::SetActiveWindow(owner);
  if (quit) {
    ::PostQuitMessage(static_cast<int>(msg.wParam));
    return state.cancel;
  }
  return state.result;
}

std::string SystemButtonCaption(int id) {
  // user32's MB_GetString numbers the captions from IDOK - 1.
  using GetString = const wchar_t*(WINAPI*)(UINT);
  if (HMODULE user32 = ::GetModuleHandleW(L"user32.dll"); user32 != nullptr && id >= IDOK) {
    if (auto get = reinterpret_cast<GetString>(reinterpret_cast<void*>(::GetProcAddress(user32, "MB_GetString")))) {
      if (const wchar_t* text = get(static_cast<UINT>(id - IDOK)); text != nullptr && *text != L'\0')
        return Narrow(text);
    }
  }
  switch (id) {
    case IDYES: return "&Yes";
    case IDNO: return "&No";
    case IDCANCEL: return "Cancel";
    default: return "OK";
  }
}

void ShowMessageBox(HWND owner, const std::string& text, const std::string& title, MessageDialogSpec::Icon icon) {
  ShowMessageDialog(owner, {.title = title, .text = text, .icon = icon, .buttons = {SystemButtonCaption(IDOK)}});
}

bool AskYesNo(HWND owner, const std::string& text, const std::string& title) {
  return ShowMessageDialog(owner, {.title = title,
                                   .text = text,
                                   .icon = MessageDialogSpec::Icon::kQuestion,
                                   .buttons = {SystemButtonCaption(IDYES), SystemButtonCaption(IDNO)}}) == 0;
}

}  // namespace vandrel::ui
