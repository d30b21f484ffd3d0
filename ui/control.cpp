#include "ui/control.h"

#include <windowsx.h>

#include "platform/win32/wide.h"
#include "ui/app.h"
#include "ui/form.h"
#include "ui/theme.h"

namespace vandrel::ui {
namespace {
constexpr wchar_t kControlProperty[] = L"VandrelControl";
constexpr UINT_PTR kOwnHookId = 0x5644;
}  // namespace

std::string WindowText(HWND hwnd) {
  const int n = ::GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
  return Narrow(text);
}

POINT ContextMenuPoint(HWND hwnd, LPARAM lp, bool& from_keyboard) {
  from_keyboard = lp == -1;
  if (!from_keyboard) return POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  RECT r;
  ::GetWindowRect(hwnd, &r);
  return POINT{r.left, r.bottom};
}

Control::Control(Form& form, const Spec& spec, ComponentKind kind, std::initializer_list<std::string_view> properties)
    : form_(form),
      name_(spec.name),
      kind_(kind),
      parent_(spec.parent),
      id_(form.NextId()),
      placement_{spec.dock, spec.x, spec.y, spec.width, spec.height, spec.anchor_right, spec.stretch},
      font_spec_(spec.font),
      hand_cursor_(spec.hand_cursor) {
  for (std::string_view p : properties) props_[std::string(p)] = {};
  if (HasProperty("Caption")) props_["Caption"] = spec.caption;
  if (HasProperty("Hint")) props_["Hint"] = spec.hint;
}

Control::~Control() {
  if (hwnd_ != nullptr && ::IsWindow(hwnd_)) {
    ::RemoveWindowSubclass(hwnd_, &Control::OwnProc, kOwnHookId);
    ::RemovePropW(hwnd_, kControlProperty);
  }
}

Control* Control::Of(HWND hwnd) {
  return hwnd ? static_cast<Control*>(::GetPropW(hwnd, kControlProperty)) : nullptr;
}

HWND Control::ParentWindow() const { return parent_ ? parent_->hwnd_ : form_.hwnd(); }
int Control::Scale(int design_pixels) const { return form_.Scale(design_pixels); }
HFONT Control::Font() const { return own_font_ ? own_font_.get() : form_.font(); }

void Control::CreateControlWindow(DWORD ex_style, const wchar_t* window_class, DWORD style, const std::string& text) {
  hwnd_ = ::CreateWindowExW(ex_style, window_class, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0,
                            0, ParentWindow(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), Instance(), nullptr);
  ::SetPropW(hwnd_, kControlProperty, this);
  if (hand_cursor_) Subclass();
}

void Control::Subclass() { Subclass(hwnd_); }

void Control::Subclass(HWND other) {
  if (other == nullptr) return;
  // The newest hook runs first: take ours off and put it back on top.
  ::RemoveWindowSubclass(other, &Control::OwnProc, kOwnHookId);
  ::SetWindowSubclass(other, &Control::OwnProc, kOwnHookId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Control::OwnProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) noexcept {
  auto* c = reinterpret_cast<Control*>(self);
  if (msg == WM_NCDESTROY) {
    ::RemoveWindowSubclass(hwnd, &Control::OwnProc, kOwnHookId);
    if (hwnd == c->hwnd_) ::RemovePropW(hwnd, kControlProperty);
    return ::DefSubclassProc(hwnd, msg, wp, lp);
  }
  if (msg == WM_SETCURSOR && c->hand_cursor_ && LOWORD(lp) == HTCLIENT) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  }
  LRESULT result = 0;
  bool handled = false;
  RunGuarded(c->form_.hwnd(), [&] { handled = c->OnOwnMessage(hwnd, msg, wp, lp, result); });
  return handled ? result : ::DefSubclassProc(hwnd, msg, wp, lp);
}

HBRUSH Control::OnCtlColor(UINT msg, HDC dc) {
  Theme& theme = Theme::Current();
  const ColorRole back = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX ? ColorRole::kWindow : ColorRole::kControl;
  // A disabled control says so in both styles.
  const bool enabled = hwnd_ == nullptr || ::IsWindowEnabled(hwnd_);
  ::SetTextColor(dc, theme.Color(enabled ? ColorRole::kText : ColorRole::kDisabledText));
  ::SetBkColor(dc, theme.Color(back));
  return theme.Brush(back);
}

void Control::ApplyDpi() {
  if (font_spec_.Custom()) own_font_ = form_.MakeFont(font_spec_);
  if (hwnd_) ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
}

bool Control::HasProperty(std::string_view property) const { return props_.find(property) != props_.end(); }

std::string Control::GetProperty(std::string_view property) const {
  const auto it = props_.find(property);
  if (it == props_.end()) return {};
  if ((property == "Text" || property == "Caption") && hwnd_ != nullptr) return WindowText(hwnd_);
  return it->second;
}

void Control::SetProperty(std::string_view property, const std::string& value) {
  const auto it = props_.find(property);
  if (it == props_.end()) return;
  it->second = value;
  if ((property == "Caption" || property == "Text") && hwnd_) {
    ::SetWindowTextW(hwnd_, Widen(value).c_str());
  } else if (property == "Hint" && hwnd_ && form_.tooltip()) {
    std::wstring w = Widen(value);
    TTTOOLINFOW ti{sizeof ti};
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = ::GetParent(hwnd_);
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    ti.lpszText = w.data();
    ::SendMessageW(form_.tooltip(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (!value.empty()) ::SendMessageW(form_.tooltip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

std::vector<std::string> Control::GetStrings(std::string_view) const { return {}; }
void Control::SetString(std::string_view, std::size_t, const std::string&) {}

bool Control::Enabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }
void Control::SetEnabled(bool enabled) {
  if (hwnd_) ::EnableWindow(hwnd_, enabled);
}
bool Control::Visible() const { return hwnd_ && (::GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
bool Control::Showing() const { return hwnd_ && ::IsWindowVisible(hwnd_); }

void Control::BringToFront() {
  if (hwnd_) ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool Control::UnderCursor() const {
  POINT p;
  return hwnd_ && ::GetCursorPos(&p) && ::WindowFromPoint(p) == hwnd_;
}

void Control::SetVisible(bool visible) {
  if (hwnd_) ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}
void Control::Focus() {
  if (hwnd_) ::SetFocus(hwnd_);
}

}  // namespace vandrel::ui
