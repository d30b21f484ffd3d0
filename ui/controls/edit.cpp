#include "ui/controls/edit.h"

#include <windowsx.h>

#include <climits>

#include "platform/win32/wide.h"
#include "ui/app.h"
#include "ui/dark_paint.h"
#include "ui/theme.h"
#include "ui/form.h"
#include "ui/spin_rules.h"

namespace vandrel::ui {

Edit::Edit(Form& form, const Spec& spec)
    : Edit(form, spec, ComponentKind::kEdit, {"Hint", "Text", "TextHint"},
           ES_AUTOHSCROLL | (spec.read_only ? ES_READONLY : 0), "") {}

Edit::Edit(Form& form, const Spec& spec, ComponentKind kind, std::initializer_list<std::string_view> properties,
           DWORD style, const std::string& text)
    : Control(form, spec, kind, properties) {
  CreateControlWindow(WS_EX_CLIENTEDGE, L"EDIT", WS_TABSTOP | style, text);
  Subclass();
}

void Edit::SetProperty(std::string_view property, const std::string& value) {
  Control::SetProperty(property, value);
  if (property == "TextHint" && hwnd_) {
    const std::wstring w = Widen(value);
    ::SendMessageW(hwnd_, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(w.c_str()));
  }
}

void Edit::SelectAll() { ::SendMessageW(hwnd_, EM_SETSEL, 0, -1); }

bool Edit::OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_NCPAINT && Theme::Current().dark()) {
    result = ::DefSubclassProc(hwnd, msg, wp, lp);
    PaintDarkEditEdge(hwnd);
    return true;
  }
  if (msg == WM_CONTEXTMENU && on_context_menu) {
    bool keyboard = false;
    const POINT p = ContextMenuPoint(hwnd, lp, keyboard);
    on_context_menu(p, keyboard);
    result = 0;
    return true;
  }
  if (msg == WM_LBUTTONUP && on_click) {
    result = ::DefSubclassProc(hwnd, msg, wp, lp);
    on_click();
    return true;
  }
  return false;
}

Memo::Memo(Form& form, const Spec& spec)
    : Edit(form, spec, ComponentKind::kMemo, {"Hint", "Text", "TextHint"},
           ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | (spec.read_only ? ES_READONLY : 0), "") {}

void Memo::ApplyTheme() { UseDarkScrollBars(hwnd_, Theme::Current().dark()); }

SpinEdit::SpinEdit(Form& form, const Spec& spec)
    : Edit(form, spec, ComponentKind::kSpinEdit, {"Hint", "Text"}, 0, "0") {
  updown_ = ::CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                              WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_SETBUDDYINT,
                              0, 0, 0, 0, ParentWindow(), nullptr, Instance(), nullptr);
  AfterLayout();
}

void SpinEdit::AfterLayout() {
  ::SendMessageW(updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd_), 0);
  // Setting the buddy put the arrows' own hook first again: the wheel must
  // reach ours first, or the arrows would step by the wheel's delta.
  Subclass();
  Subclass(updown_);
}

bool SpinEdit::OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (hwnd == updown_ && PaintDarkInstead(hwnd, msg, result, [&](HDC dc) { PaintDarkSpinArrows(hwnd, dc); }))
    return true;
  switch (msg) {
    case WM_MOUSEWHEEL:
      if (form_.on_mouse_wheel && form_.on_mouse_wheel(GET_WHEEL_DELTA_WPARAM(wp))) {
        result = 0;
        return true;
      }
      return false;
    case WM_KEYDOWN:
      if (hwnd == hwnd_ && on_key_down && !on_key_down(wp)) {
        result = 0;
        return true;
      }
      break;
    case WM_CHAR:
    case WM_PASTE:
      if (hwnd == hwnd_ && on_key_press && !on_key_press(msg == WM_CHAR ? static_cast<wchar_t>(wp) : L'\0')) {
        result = 0;
        return true;
      }
      break;
    default:
      break;
  }
  return hwnd == hwnd_ && Edit::OnOwnMessage(hwnd, msg, wp, lp, result);
}

void SpinEdit::OnCommand(UINT code) {
  if (code == EN_CHANGE && on_change) on_change();
}

bool SpinEdit::UnderCursor() const {
  POINT p;
  if (!::GetCursorPos(&p)) return false;
  HWND under = ::WindowFromPoint(p);
  return under == hwnd_ || under == updown_;
}

int SpinEdit::Value() const { return SpinValueFromText(WindowText(hwnd_), min_, max_); }

void SpinEdit::SetValue(int value) {
  value = ClampSpinValue(value, min_, max_);
  ::SetWindowTextW(hwnd_, std::to_wstring(value).c_str());
  if (updown_) ::SendMessageW(updown_, UDM_SETPOS32, 0, value);
}

void SpinEdit::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  // Equal bounds mean no limit: the arrows then run over the whole range.
  if (min == max) {
    ::SendMessageW(updown_, UDM_SETRANGE32, static_cast<WPARAM>(INT_MIN), INT_MAX);
  } else {
    ::SendMessageW(updown_, UDM_SETRANGE32, static_cast<WPARAM>(min), max);
  }
  SetValue(Value());
}

}  // namespace vandrel::ui
