#include "ui/form.h"

#include <dwmapi.h>
#include <uxtheme.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/text.h"
#include "platform/win32/wide.h"
#include "ui/app.h"
#include "ui/controls/button.h"
#include "ui/dark_paint.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace vandrel::ui {
namespace {

constexpr wchar_t kFormClass[] = L"VandrelForm";

Form* FormOf(HWND hwnd) { return reinterpret_cast<Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

// The window itself as a component: its caption is its title.
class FormSelf final : public Control {
 public:
  FormSelf(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kForm, {"Caption"}) {}
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
};

}  // namespace

void RegisterControlClasses(HINSTANCE instance);  // the controls' own window classes

void RegisterWindowClasses(HINSTANCE instance) {
  RegisterWindowClass(kFormClass, FormProc, ::LoadIconW(instance, L"MAINICON"));
  RegisterControlClasses(instance);
}

LRESULT RouteToControl(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  handled = false;
  switch (msg) {
    case WM_COMMAND:
      if (lp != 0) {
        if (Control* c = Control::Of(reinterpret_cast<HWND>(lp))) {
          handled = true;
          c->OnCommand(HIWORD(wp));
        }
      }
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lp);
      if (Control* c = Control::Of(header->hwndFrom)) {
        handled = true;
        return c->OnNotify(*header);
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      handled = true;
      if (Control* c = Control::Of(reinterpret_cast<HWND>(lp)))
        return reinterpret_cast<LRESULT>(c->OnCtlColor(msg, reinterpret_cast<HDC>(wp)));
      // Windows of no control of ours (a group box's frame): the palette's plain colours.
      Theme& theme = Theme::Current();
      const ColorRole back = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX ? ColorRole::kWindow : ColorRole::kControl;
      ::SetTextColor(reinterpret_cast<HDC>(wp), theme.Color(ColorRole::kText));
      ::SetBkColor(reinterpret_cast<HDC>(wp), theme.Color(back));
      return reinterpret_cast<LRESULT>(theme.Brush(back));
    }
    default:
      return 0;
  }
}

Form::Form(Options options) : options_(std::move(options)) {
  self_ = std::make_unique<FormSelf>(*this, Spec{.name = options_.name, .caption = options_.caption});
  DWORD style = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
  if (options_.sizable) style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  const DWORD ex = WS_EX_CONTROLPARENT | (options_.app_window ? WS_EX_APPWINDOW : 0) |
                   (options_.double_buffered ? WS_EX_COMPOSITED : 0);
  HWND owner = options_.app_window ? ::GetDesktopWindow() : nullptr;
  hwnd_ = ::CreateWindowExW(ex, kFormClass, Widen(options_.caption).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                            100, 100, owner, nullptr, Instance(), this);
  static_cast<FormSelf&>(*self_).Attach(hwnd_);
  dpi_ = DpiOfWindow(hwnd_);
  font_ = MakeFont({});
  tooltip_.Reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                   Instance(), nullptr));
  ::SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, Scale(400));
  RECT r{0, 0, Scale(options_.client_width), Scale(options_.client_height)};
  AdjustWindowRectForDpi(&r, style, FALSE, ex, dpi_);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (options_.rounded_corners) {
    const DWORD round = 2;  // DWMWCP_ROUND
    ::DwmSetWindowAttribute(hwnd_, 33 /* DWMWA_WINDOW_CORNER_PREFERENCE */, &round, sizeof round);
  }
  // A window made after a style was chosen wears it; its controls take it
  // as they are added.
  if (Theme::Current().dark()) ApplyOwnTheme();
  Windows().Add(this);
}

Form::~Form() {
  Windows().Remove(this);
  DestroyNow();
}

void Form::DestroyNow() {
  tooltip_.Reset();  // before the window that owns it
  if (hwnd_ && ::IsWindow(hwnd_)) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
}

int Form::Scale(int design_pixels) const { return MulDiv(design_pixels, static_cast<int>(dpi_), 96); }

FontHandle Form::MakeFont(const FontSpec& spec) const {
  const int height = spec.pixels != 0 ? -Scale(spec.pixels) : -MulDiv(options_.font_points, static_cast<int>(dpi_), 72);
  return FontHandle(::CreateFontW(height, 0, 0, 0, spec.bold ? FW_BOLD : FW_NORMAL, FALSE, spec.underline, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, spec.face ? spec.face : options_.font_face.c_str()));
}

void Form::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  FontHandle fresh = MakeFont({});
  // Every control takes the new font before the old one goes.
  std::swap(font_, fresh);
  for (auto& c : components_) c->ApplyDpi();
  ::SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, Scale(400));
}

std::vector<Component*> Form::Components() {
  std::vector<Component*> out;
  out.reserve(components_.size());
  for (auto& c : components_) out.push_back(c.get());
  return out;
}

Component* Form::FindComponent(std::string_view name) { return Find(name); }

Control* Form::Find(std::string_view name) {
  for (auto& c : components_)
    if (EqualsNoCase(c->Name(), name)) return c.get();
  return nullptr;
}

std::string Form::Caption() const { return self_->GetProperty("Caption"); }
void Form::SetCaption(const std::string& caption) { self_->SetProperty("Caption", caption); }

void Form::Adopt(std::unique_ptr<Control> control, const Spec& spec) {
  Control& c = *control;
  components_.push_back(std::move(control));
  if (c.hwnd()) (c.parent_ ? c.parent_->children_ : top_level_).push_back(&c);
  c.ApplyDpi();
  c.ApplyTheme();
  if (!spec.hint.empty()) c.SetProperty("Hint", spec.hint);
  if (!spec.enabled) c.SetEnabled(false);
  if (!spec.visible) c.SetVisible(false);
}

PopupMenu& Form::AddPopupMenu(const std::string& name, bool right_aligned) {
  auto& menu = Add<PopupMenu>({.name = name});
  menu.right_aligned = right_aligned;
  return menu;
}

MenuItem& Form::AddMenuItem(const MenuSpec& spec) {
  HMENU target = nullptr;
  if (spec.parent->Kind() == ComponentKind::kPopupMenu) {
    target = static_cast<PopupMenu*>(spec.parent)->menu;
  } else {
    target = static_cast<MenuItem*>(spec.parent)->Submenu();
  }
  auto item = std::make_unique<MenuItem>(*this, spec, target);
  MenuItem& ref = *item;
  if (spec.parent->Kind() == ComponentKind::kPopupMenu) {
    static_cast<PopupMenu*>(spec.parent)->items.push_back(&ref);
  } else {
    static_cast<MenuItem*>(spec.parent)->items.push_back(&ref);
  }
  RegisterMenuCommand(ref);
  Adopt(std::move(item), Spec{.name = spec.name});
  return ref;
}

void Form::RegisterMenuCommand(MenuItem& item) { menu_commands_[item.command] = &item; }
void Form::UnregisterMenuCommand(UINT command) { menu_commands_.erase(command); }

void Form::MenuCommand(UINT command) {
  const auto it = menu_commands_.find(command);
  if (it != menu_commands_.end()) it->second->Click();
}

void Form::Show() {
  ::ShowWindow(hwnd_, show_maximized_ ? SW_SHOWMAXIMIZED : SW_SHOW);
  show_maximized_ = false;
  ::UpdateWindow(hwnd_);
}

void Form::Hide() {
  modal_ = false;
  ::ShowWindow(hwnd_, SW_HIDE);
}

void Form::Close() { ::SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

void Form::ShowModal() {
  // Every other window of the program waits while this one is up.
  std::vector<HWND> disabled;
  for (Form* f : Windows().All())
    if (f != this && ::IsWindowVisible(f->hwnd_) && ::IsWindowEnabled(f->hwnd_)) {
      ::EnableWindow(f->hwnd_, FALSE);
      disabled.push_back(f->hwnd_);
    }
  modal_ = true;
  if (on_show) on_show();
  Show();
  ::SetForegroundWindow(hwnd_);
  RunMessageLoop([this] { return modal_; });
  modal_ = false;
  for (HWND h : disabled) ::EnableWindow(h, TRUE);
  if (!disabled.empty()) ::SetActiveWindow(disabled.front());
}

void Form::SetDefaultButton(Button* button) {
  if (default_button_ != button && default_button_ != nullptr) default_button_->ShowAsDefault(false);
  default_button_ = button;
  if (button) button->ShowAsDefault(true);
}

bool Form::HandleKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !::IsWindowEnabled(hwnd_)) return false;
  if (::GetAncestor(msg.hwnd, GA_ROOT) != hwnd_) return false;
  if (msg.wParam == VK_RETURN && default_button_ != nullptr && default_button_->Enabled() &&
      default_button_->Visible()) {
    wchar_t cls[32] = {};
    ::GetClassNameW(msg.hwnd, cls, 32);
    const LONG_PTR style = ::GetWindowLongPtrW(msg.hwnd, GWL_STYLE);
    const bool wants_return = (::lstrcmpiW(cls, L"Button") == 0 && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) ||
                              (::lstrcmpiW(cls, L"Edit") == 0 && (style & ES_MULTILINE) != 0) ||
                              (::lstrcmpiW(cls, WC_COMBOBOXW) == 0 && ::SendMessageW(msg.hwnd, CB_GETDROPPEDSTATE, 0, 0));
    if (!wants_return) {
      HWND b = default_button_->hwnd();
      ::SendMessageW(::GetParent(b), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(b), BN_CLICKED), reinterpret_cast<LPARAM>(b));
      return true;
    }
  }
  const auto it = keys.find(static_cast<UINT>(msg.wParam));
  if (it == keys.end()) return false;
  RunGuarded(hwnd_, it->second);
  return true;
}

void Form::AcceptDroppedFiles(bool accept) { ::DragAcceptFiles(hwnd_, accept); }

void Form::DroppedFiles(HDROP drop) {
  // The drop is released however this ends.
  struct Release {
    HDROP drop;
    ~Release() { ::DragFinish(drop); }
  } release{drop};
  if (!on_drop_file || ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0) return;
  // Only the first item counts; its whole path is read, however long.
  const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
  if (length == 0) return;
  std::wstring name(length + 1, L'\0');
  if (::DragQueryFileW(drop, 0, name.data(), length + 1) == 0) return;
  name.resize(length);
  on_drop_file(Narrow(name));
}

void Form::CenterOnDesktop() {
  RECT r;
  ::GetWindowRect(hwnd_, &r);
  MONITORINFO mi{sizeof mi};
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
  const RECT& work = mi.rcWork;
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  ::SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::ApplyOwnTheme() {
  // The title bar Windows draws itself (nothing under Wine).
  UseDarkTitleBar(hwnd_, Theme::Current().dark());
  // Hints: drawn plain in the palette's colours in the dark style, by the
  // system's theme in the light one.
  if (tooltip_) {
    const bool dark_tips = Theme::Current().dark();
    ::SetWindowTheme(tooltip_.get(), dark_tips ? L"" : nullptr, dark_tips ? L"" : nullptr);
    const COLORREF back = dark_tips ? Theme::Current().Color(ColorRole::kWindow) : ::GetSysColor(COLOR_INFOBK);
    const COLORREF text = dark_tips ? Theme::Current().Color(ColorRole::kText) : ::GetSysColor(COLOR_INFOTEXT);
    ::SendMessageW(tooltip_.get(), TTM_SETTIPBKCOLOR, back, 0);
    ::SendMessageW(tooltip_.get(), TTM_SETTIPTEXTCOLOR, text, 0);
  }
}

void Form::ApplyTheme() {
  ApplyOwnTheme();
  for (auto& c : components_) c->ApplyTheme();
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void Form::SetMaximized() {
  if (::IsWindowVisible(hwnd_)) {
    ::ShowWindow(hwnd_, SW_MAXIMIZE);
  } else {
    show_maximized_ = true;
  }
}

bool Form::Maximized() const { return show_maximized_ || ::IsZoomed(hwnd_); }

Size Form::NormalSize() const {
  RECT r;
  if (::IsZoomed(hwnd_) || ::IsIconic(hwnd_)) {
    WINDOWPLACEMENT wp{sizeof wp};
    ::GetWindowPlacement(hwnd_, &wp);
    r = wp.rcNormalPosition;
  } else {
    ::GetWindowRect(hwnd_, &r);
  }
  return Size{r.right - r.left, r.bottom - r.top};
}

void Form::SetOuterSize(Size size) {
  ::SetWindowPos(hwnd_, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Size Form::MinimumSize() const { return Size{Scale(options_.min_width), Scale(options_.min_height)}; }

Size Form::WorkAreaSize() const {
  MONITORINFO mi{sizeof mi};
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
  return Size{mi.rcWork.right - mi.rcWork.left, mi.rcWork.bottom - mi.rcWork.top};
}

void Form::KeepOnScreen() {
  RECT r;
  ::GetWindowRect(hwnd_, &r);
  MONITORINFO mi{sizeof mi};
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
  const RECT& w = mi.rcWork;
  if (r.left < w.left || r.top < w.top || r.right > w.right || r.bottom > w.bottom) CenterOnDesktop();
}

void Form::Relayout() {
  RECT client;
  ::GetClientRect(hwnd_, &client);
  LayoutChildren(top_level_, Box{client.left, client.top, client.right, client.bottom});
}

void Form::LayoutChildren(const std::vector<Control*>& list, Box area) {
  std::vector<Placement> places;
  places.reserve(list.size());
  for (Control* c : list) places.push_back(c->placement());
  const std::vector<Box> boxes = LayOut(places, area, static_cast<int>(dpi_));
  for (std::size_t i = 0; i < list.size(); ++i) {
    Control* c = list[i];
    const Box& b = boxes[i];
    ::MoveWindow(c->hwnd(), b.left, b.top, b.Width(), b.Height(), TRUE);
    c->AfterLayout();
    if (c->IsContainer()) {
      RECT inner;
      ::GetClientRect(c->hwnd(), &inner);
      LayoutChildren(c->children(), c->Interior(Box{inner.left, inner.top, inner.right, inner.bottom}));
    }
  }
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_ERASEBKGND:
      FillClient(hwnd_, reinterpret_cast<HDC>(wp), ColorRole::kControl);
      return 1;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
      if (options_.min_width) mm->ptMinTrackSize.x = Scale(options_.min_width);
      if (options_.min_height) mm->ptMinTrackSize.y = Scale(options_.min_height);
      return 0;
    }
    case WM_DPICHANGED: {
      ApplyDpi(HIWORD(wp));
      const RECT* r = reinterpret_cast<const RECT*>(lp);
      ::SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
      Relayout();
      return 0;
    }
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      Windows().SettingsChanged();
      if (msg == WM_SETTINGCHANGE && on_setting_change) RunGuarded(hwnd_, on_setting_change);
      break;
    case WM_COMMAND:
      if (LOWORD(wp) == IDCANCEL && lp == 0) return 0;  // Escape closes nothing
      if (lp == 0 && HIWORD(wp) == 0) {
        MenuCommand(LOWORD(wp));
        return 0;
      }
      break;
    case WM_DROPFILES:
      DroppedFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_ACTIVATE:
      // Coming back from another program, a message box or a picker does
      // not make a form active again; the close of another form does.
      if (LOWORD(wp) != WA_INACTIVE && Windows().active() != this) {
        Windows().set_active(this);
        if (on_activate) on_activate();
      }
      break;
    case WM_MOUSEWHEEL:
      if (on_mouse_wheel && on_mouse_wheel(GET_WHEEL_DELTA_WPARAM(wp))) return 0;
      break;
    case WM_CLOSE:
      if (on_close) on_close();
      if (modal_ || !options_.main_window) {
        Hide();  // secondary windows live until the program ends
        return 0;
      }
      ::DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      if (on_destroy) on_destroy();
      if (options_.main_window) ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  bool routed = false;
  const LRESULT r = RouteToControl(msg, wp, lp, routed);
  if (routed) return r;
  return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  Form* form = FormOf(hwnd);
  if (form == nullptr || form->hwnd_ == nullptr) return ::DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  bool done = false;
  RunGuarded(hwnd, [&] {
    result = form->HandleMessage(msg, wp, lp);
    done = true;
  });
  return done ? result : 0;
}

}  // namespace vandrel::ui
