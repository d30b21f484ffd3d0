#include "ui/controls/panels.h"

#include "platform/win32/wide.h"
#include "ui/app.h"
#include "ui/dark_paint.h"
#include "ui/form.h"
#include "ui/theme.h"

namespace vandrel::ui {
namespace {

constexpr wchar_t kPanelClass[] = L"VandrelPanel";

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  auto* panel = static_cast<Panel*>(Control::Of(hwnd));
  if (panel == nullptr) return ::DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  bool handled = false;
  RunGuarded(panel->form().hwnd(), [&] {
    switch (msg) {
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORLISTBOX:
        result = RouteToControl(msg, wp, lp, handled);
        break;
      case WM_VSCROLL:
      case WM_HSCROLL:
        result = ::SendMessageW(panel->form().hwnd(), msg, wp, lp);
        handled = true;
        break;
      case WM_ERASEBKGND: {
        RECT r;
        ::GetClientRect(hwnd, &r);
        ::FillRect(reinterpret_cast<HDC>(wp), &r, Theme::Current().Brush(ColorRole::kControl));
        if (panel->framed()) ::FrameRect(reinterpret_cast<HDC>(wp), &r, Theme::Current().Brush(ColorRole::kBorder));
        result = 1;
        handled = true;
        break;
      }
      case WM_PAINT:
        if (panel->framed()) {
          PAINTSTRUCT ps;
          HDC dc = ::BeginPaint(hwnd, &ps);
          RECT r;
          ::GetClientRect(hwnd, &r);
          ::FrameRect(dc, &r, Theme::Current().Brush(ColorRole::kBorder));
          ::EndPaint(hwnd, &ps);
          handled = true;
        }
        break;
      default:
        break;
    }
  });
  return handled ? result : ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void RegisterPanelClass() { RegisterWindowClass(kPanelClass, PanelProc); }

Panel::Panel(Form& form, const Spec& spec, ComponentKind kind, std::initializer_list<std::string_view> properties,
             bool framed)
    : Control(form, spec, kind, properties), framed_(framed) {
  CreateControlWindow(WS_EX_CONTROLPARENT, kPanelClass, 0, "");
}

GroupBox::GroupBox(Form& form, const Spec& spec) : Panel(form, spec, ComponentKind::kGroupBox, {"Caption", "Hint"}, false) {
  frame_ = ::CreateWindowExW(0, L"BUTTON", Widen(spec.caption).c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX,
                             0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(1), Instance(), nullptr);
  Subclass(frame_);
}

bool GroupBox::OnOwnMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
  return hwnd == frame_ && PaintDarkInstead(hwnd, msg, result, [&](HDC dc) { PaintDarkGroupFrame(hwnd, dc); });
}

void GroupBox::ApplyTheme() { ::InvalidateRect(frame_, nullptr, TRUE); }

std::string GroupBox::GetProperty(std::string_view property) const {
  const auto it = props_.find(property);
  return it == props_.end() ? std::string() : it->second;
}

void GroupBox::SetProperty(std::string_view property, const std::string& value) {
  if (property != "Caption") {
    Control::SetProperty(property, value);
    return;
  }
  props_["Caption"] = value;
  ::SetWindowTextW(frame_, Widen(value).c_str());
}

void GroupBox::ApplyDpi() {
  Control::ApplyDpi();
  ::SendMessageW(frame_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
}

void GroupBox::AfterLayout() {
  RECT inner;
  ::GetClientRect(hwnd_, &inner);
  ::SetWindowPos(frame_, HWND_BOTTOM, 0, 0, inner.right, inner.bottom, SWP_NOACTIVATE);
}

Box GroupBox::Interior(Box client) const { return GroupBoxInterior(client, static_cast<int>(form_.dpi())); }

FramedPanel::FramedPanel(Form& form, const Spec& spec) : Panel(form, spec, ComponentKind::kTabControl, {"Hint"}, true) {}

Box FramedPanel::Interior(Box client) const { return FramedPanelInterior(client, static_cast<int>(form_.dpi())); }

}  // namespace vandrel::ui
