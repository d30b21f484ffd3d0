#include "ui/controls/button.h"

#include "ui/dark_paint.h"
#include "ui/form.h"
#include "ui/theme.h"
#include "ui/menus.h"

namespace vandrel::ui {

Button::Button(Form& form, const Spec& spec) : Button(form, spec, ComponentKind::kButton, BS_PUSHBUTTON) {}

Button::Button(Form& form, const Spec& spec, ComponentKind kind, DWORD style)
    : Control(form, spec, kind, {"Caption", "Hint"}), glyph_resource_(spec.glyph) {
  CreateControlWindow(0, L"BUTTON", WS_TABSTOP | style | (glyph_resource_ ? BS_ICON : 0), spec.caption);
  Subclass();
}

bool Button::OnOwnMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
  return PaintDarkInstead(hwnd, msg, result, [&](HDC dc) {
    PaintDarkButton(hwnd, dc, kind_ == ComponentKind::kSpeedButton, glyph_.get(), Scale(16));
  });
}

void Button::ApplyTheme() { ::InvalidateRect(hwnd_, nullptr, TRUE); }

void Button::OnCommand(UINT code) {
  if (code == BN_CLICKED && on_click) on_click();
}

void Button::ApplyDpi() {
  Control::ApplyDpi();
  if (glyph_resource_ == nullptr) return;
  IconHandle fresh = LoadGlyphIcon(glyph_resource_, Scale(16));
  if (!fresh) return;  // a build without the glyph resources
  ::SendMessageW(hwnd_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(fresh.get()));
  glyph_ = std::move(fresh);  // the button no longer shows the old one
}

void Button::SetPushed(bool pushed) { ::SendMessageW(hwnd_, BM_SETSTATE, pushed, 0); }
bool Button::Pushed() const { return (::SendMessageW(hwnd_, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }

void Button::ShowAsDefault(bool is_default) {
  if (hwnd_) ::SendMessageW(hwnd_, BM_SETSTYLE, is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

SpeedButton::SpeedButton(Form& form, const Spec& spec)
    : Button(form, spec, ComponentKind::kSpeedButton, BS_PUSHBUTTON | BS_FLAT) {}

CheckBox::CheckBox(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kCheckBox, {"Caption", "Hint"}) {
  CreateControlWindow(0, L"BUTTON", WS_TABSTOP | (spec.two_state ? BS_AUTOCHECKBOX : BS_AUTO3STATE), spec.caption);
  Subclass();
}

bool CheckBox::OnOwnMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
  return PaintDarkInstead(hwnd, msg, result, [&](HDC dc) { PaintDarkCheckBox(hwnd, dc); });
}

void CheckBox::ApplyTheme() { ::InvalidateRect(hwnd_, nullptr, TRUE); }

void CheckBox::OnCommand(UINT code) {
  if (code == BN_CLICKED && on_click) on_click();
}

CheckBox::State CheckBox::GetState() const {
  switch (::SendMessageW(hwnd_, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED: return State::kChecked;
    case BST_INDETERMINATE: return State::kIndeterminate;
    default: return State::kUnchecked;
  }
}

void CheckBox::SetState(State state) {
  const WPARAM check = state == State::kChecked ? BST_CHECKED : state == State::kIndeterminate ? BST_INDETERMINATE : BST_UNCHECKED;
  ::SendMessageW(hwnd_, BM_SETCHECK, check, 0);
}

}  // namespace vandrel::ui
