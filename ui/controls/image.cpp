#include "ui/controls/image.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/win32/wide.h"
#include "ui/app.h"
#include "ui/form.h"
#include "ui/theme.h"

namespace vandrel::ui {
namespace {
constexpr wchar_t kImageClass[] = L"VandrelImage";
}  // namespace

LRESULT CALLBACK ImageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  auto* image = static_cast<Image*>(Control::Of(hwnd));
  if (image == nullptr) return ::DefWindowProcW(hwnd, msg, wp, lp);
  bool handled = false;
  RunGuarded(image->form().hwnd(), [&] {
    switch (msg) {
      case WM_PAINT:
        image->Paint();
        handled = true;
        break;
      case WM_LBUTTONUP:
        if (image->on_click) image->on_click();
        handled = true;
        break;
      case WM_CONTEXTMENU:
        if (image->on_context_menu) {
          bool keyboard = false;
          const POINT p = ContextMenuPoint(hwnd, lp, keyboard);
          image->on_context_menu(p, keyboard);
          handled = true;
        }
        break;
      default:
        break;
    }
  });
  return handled ? 0 : ::DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterImageClass() { RegisterWindowClass(kImageClass, ImageProc); }

Image::Image(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kImage, {"Hint"}) {
  CreateControlWindow(0, kImageClass, 0, "");
}

void Image::SetIcon(IconHandle icon) {
  icon_ = std::move(icon);
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void Image::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  RECT r;
  ::GetClientRect(hwnd_, &r);
  // The background of whatever the image lies on.
  HBRUSH back = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(hwnd_), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd_)));
  ::FillRect(dc, &r, back ? back : Theme::Current().Brush(ColorRole::kControl));
  if (icon_) {
    const int limit = std::min<int>({static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top), Scale(48)});
    ::DrawIconEx(dc, (r.right - limit) / 2, (r.bottom - limit) / 2, icon_.get(), limit, limit, 0, nullptr, DI_NORMAL);
  }
  ::EndPaint(hwnd_, &ps);
}

Label::Label(Form& form, const Spec& spec)
    : Control(form, spec, ComponentKind::kLabel, {"Caption", "Hint"}), link_(spec.link), align_(spec.align) {
  if (link_) {
    font_spec_.underline = true;
    hand_cursor_ = true;
  }
  CreateControlWindow(0, L"STATIC", SS_NOTIFY | SS_CENTER, spec.caption);
  Subclass();
}

void Label::OnCommand(UINT code) {
  if (code == STN_CLICKED && on_click) on_click();
}

bool Label::OnOwnMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg == WM_SETTEXT) {
    ::InvalidateRect(hwnd, nullptr, TRUE);
    return false;
  }
  if (msg != WM_PAINT) return false;
  // Centred across, on the bottom edge, in the palette's text or link colour.
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd, &ps);
  RECT r;
  ::GetClientRect(hwnd, &r);
  Theme& theme = Theme::Current();
  ::FillRect(dc, &r, theme.Brush(ColorRole::kControl));
  const std::wstring text = Widen(WindowText(hwnd));
  HGDIOBJ old = ::SelectObject(dc, Font());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, theme.Color(!::IsWindowEnabled(hwnd) ? ColorRole::kDisabledText
                                 : link_                  ? ColorRole::kLink
                                                          : ColorRole::kText));
  const UINT across = align_ == Spec::Align::kLeft ? DT_LEFT : align_ == Spec::Align::kRight ? DT_RIGHT : DT_CENTER;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              across | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  ::SelectObject(dc, old);
  ::EndPaint(hwnd, &ps);
  result = 0;
  return true;
}

}  // namespace vandrel::ui
