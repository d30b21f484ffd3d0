#include "ui/ui.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <future>

#include "ui/spin_rules.h"
#include "config/product.h"
#include "platform/text.h"
#include "platform/win32/wide.h"

namespace vandrel::ui {
namespace {

constexpr wchar_t kFormClass[] = L"VandrelForm";
constexpr wchar_t kPanelClass[] = L"VandrelPanel";
constexpr wchar_t kImageClass[] = L"VandrelImage";
constexpr wchar_t kCallClass[] = L"VandrelCall";
constexpr UINT kRunCall = WM_APP + 1;

HINSTANCE g_instance = nullptr;
HWND g_call_window = nullptr;
DWORD g_ui_thread = 0;
std::vector<Form*> g_forms;

bool IsContainer(ComponentKind k) { return k == ComponentKind::kGroupBox || k == ComponentKind::kTabControl; }

// Which text properties each kind of component has.
std::vector<std::string_view> PropertiesOf(ComponentKind k) {
  switch (k) {
    case ComponentKind::kForm: return {"Caption"};
    case ComponentKind::kButton:
    case ComponentKind::kSpeedButton:
    case ComponentKind::kCheckBox:
    case ComponentKind::kGroupBox:
    case ComponentKind::kLabel:
    case ComponentKind::kMenuItem: return {"Caption", "Hint"};
    case ComponentKind::kEdit:
    case ComponentKind::kMemo:
    case ComponentKind::kComboBox: return {"Hint", "Text", "TextHint"};
    case ComponentKind::kSpinEdit: return {"Hint", "Text"};
    case ComponentKind::kOpenDialog:
    case ComponentKind::kSaveDialog: return {"Title", "Filter"};
    default: return {"Hint"};
  }
}

Form* FormOf(HWND hwnd) { return reinterpret_cast<Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

// The form that last became the program's active form; other windows of the
// program (message boxes, pickers, menus) do not change it.
Form* g_active_form = nullptr;

constexpr UINT_PTR kWheelHookId = 0x5657;

}  // namespace

std::wstring W(std::string_view utf8) { return Widen(utf8); }
HINSTANCE Instance() { return g_instance; }

std::function<void(HWND, const std::string&)>& ErrorReporter() {
  static std::function<void(HWND, const std::string&)> reporter;
  return reporter;
}

void SetErrorReporter(std::function<void(HWND, const std::string&)> reporter) { ErrorReporter() = std::move(reporter); }

void ShowDefaultErrorReport(HWND owner, const char* what) noexcept {
  try {
    if (ErrorReporter()) {
      ErrorReporter()(owner, what ? what : "Unknown error");
      return;
    }
    ::MessageBoxW(owner, Widen(what ? what : "Unknown error").c_str(), Widen(kApplicationTitle).c_str(),
                  MB_OK | MB_ICONERROR);
  } catch (...) {
    ::MessageBoxW(owner, L"Out of memory", L"Vandrel", MB_OK | MB_ICONERROR);
  }
}

#define VANDREL_GUARDED(hwnd, body)                 \
  try {                                             \
    body                                            \
  } catch (const std::exception& e) {               \
    ShowDefaultErrorReport(hwnd, e.what());         \
  } catch (...) {                                   \
    ShowDefaultErrorReport(hwnd, nullptr);          \
  }

void RunGuarded(HWND owner, const std::function<void()>& fn) noexcept { VANDREL_GUARDED(owner, fn();) }

namespace {

// The wheel over a spin box (its edit part or its arrows) goes to the form's
// handler before the arrow control's own, which would step by the delta.
LRESULT CALLBACK SpinWheelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) noexcept {
  if (msg == WM_MOUSEWHEEL) {
    auto* form = reinterpret_cast<Form*>(ref);
    bool handled = false;
    RunGuarded(form->hwnd(), [&] { handled = form->on_mouse_wheel && form->on_mouse_wheel(GET_WHEEL_DELTA_WPARAM(wp)); });
    if (handled) return 0;
  } else if (msg == WM_NCDESTROY) {
    ::RemoveWindowSubclass(hwnd, &SpinWheelProc, kWheelHookId);
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

void HookSpinWheel(Control& c) {
  // The newest hook runs first: take ours off and put it back on top.
  for (HWND h : {c.hwnd(), c.updown()}) {
    if (h == nullptr) continue;
    ::RemoveWindowSubclass(h, &SpinWheelProc, kWheelHookId);
    ::SetWindowSubclass(h, &SpinWheelProc, kWheelHookId, reinterpret_cast<DWORD_PTR>(&c.form()));
  }
}

}  // namespace

void ProcessMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void RunOnUiThread(const std::function<void()>& fn) {
  if (::GetCurrentThreadId() == g_ui_thread || g_call_window == nullptr) {
    fn();
    return;
  }
  std::packaged_task<void()> task(fn);
  auto done = task.get_future();
  ::SendMessageW(g_call_window, kRunCall, 0, reinterpret_cast<LPARAM>(&task));
  done.get();  // rethrows what the call threw
}

LRESULT CALLBACK CallProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == kRunCall) {
    (*reinterpret_cast<std::packaged_task<void()>*>(lp))();
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

LRESULT CALLBACK ImageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    RECT r;
    ::GetClientRect(hwnd, &r);
    HWND parent = ::GetParent(hwnd);
    HBRUSH bg = reinterpret_cast<HBRUSH>(::SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(hwnd)));
    ::FillRect(dc, &r, bg ? bg : ::GetSysColorBrush(COLOR_BTNFACE));
    if (HICON icon = reinterpret_cast<HICON>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
      // Centred and scaled proportionally into the box, at most 48 x 48 at 96 DPI.
      const UINT dpi = ::GetDpiForWindow(hwnd);
      const int limit = std::min<int>({static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top),
                                       MulDiv(48, static_cast<int>(dpi), 96)});
      ::DrawIconEx(dc, (r.right - limit) / 2, (r.bottom - limit) / 2, icon, limit, limit, 0, nullptr, DI_NORMAL);
    }
    ::EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_LBUTTONUP) {
    ::SendMessageW(::GetParent(hwnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd), STN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd));
    return 0;
  }
  if (msg == WM_NCDESTROY) {
    if (HICON icon = reinterpret_cast<HICON>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA))) ::DestroyIcon(icon);
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void InitializeUi(HINSTANCE instance) {
  g_instance = instance;
  g_ui_thread = ::GetCurrentThreadId();
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                           ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&icc);
  WNDCLASSEXW wc{sizeof wc};
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
  wc.lpfnWndProc = FormProc;
  wc.lpszClassName = kFormClass;
  wc.hIcon = ::LoadIconW(instance, L"MAINICON");
  ::RegisterClassExW(&wc);
  wc.hIcon = nullptr;
  wc.lpfnWndProc = PanelProc;
  wc.lpszClassName = kPanelClass;
  ::RegisterClassExW(&wc);
  wc.lpfnWndProc = ImageProc;
  wc.lpszClassName = kImageClass;
  wc.hbrBackground = nullptr;
  ::RegisterClassExW(&wc);
  wc.lpfnWndProc = CallProc;
  wc.lpszClassName = kCallClass;
  ::RegisterClassExW(&wc);
  g_call_window = ::CreateWindowExW(0, kCallClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
}

// ---------------------------------------------------------------- Control

Control::~Control() = default;

bool Control::HasProperty(std::string_view property) const { return props_.find(property) != props_.end(); }

std::string Control::GetProperty(std::string_view property) const {
  const auto it = props_.find(property);
  if (it == props_.end()) return {};
  if ((property == "Text" || property == "Caption") && hwnd_ != nullptr && kind_ != ComponentKind::kGroupBox &&
      kind_ != ComponentKind::kMenuItem) {
    const int n = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    ::GetWindowTextW(hwnd_, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return Narrow(text);
  }
  return it->second;
}

void Control::SetProperty(std::string_view property, const std::string& value) {
  const auto it = props_.find(property);
  if (it == props_.end()) return;
  it->second = value;
  if (property == "Caption" || property == "Text") {
    HWND target = hwnd_;
    if (kind_ == ComponentKind::kGroupBox) target = ::GetWindow(hwnd_, GW_CHILD);
    if (kind_ == ComponentKind::kGroupBox) {
      // The frame is the panel's first child, created before the others.
      for (HWND c = ::GetWindow(hwnd_, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        if (::GetDlgCtrlID(c) == 1) target = c;
    }
    if (target) ::SetWindowTextW(target, Widen(value).c_str());
  } else if (property == "TextHint" && hwnd_) {
    const std::wstring w = Widen(value);
    ::SendMessageW(hwnd_, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(w.c_str()));
  } else if (property == "Hint" && hwnd_ && form_.tooltip_) {
    std::wstring w = Widen(value);
    TTTOOLINFOW ti{sizeof ti};
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = ::GetParent(hwnd_);
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    ti.lpszText = w.data();
    ::SendMessageW(form_.tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (!value.empty()) ::SendMessageW(form_.tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

std::vector<std::string> Control::GetStrings(std::string_view list) const {
  return list == "Columns" ? columns_ : std::vector<std::string>{};
}

void Control::SetString(std::string_view list, std::size_t index, const std::string& value) {
  if (list != "Columns" || index >= columns_.size()) return;
  columns_[index] = value;
  if (hwnd_) {
    std::wstring w = Widen(value);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = w.data();
    ListView_SetColumn(hwnd_, static_cast<int>(index), &col);
  }
}

int Control::SpinValue() const {
  const int n = ::GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  ::GetWindowTextW(hwnd_, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(n));
  return SpinValueFromText(Narrow(text), spin_min_, spin_max_);
}

void Control::SetSpinValue(int value) {
  value = ClampSpinValue(value, spin_min_, spin_max_);
  ::SetWindowTextW(hwnd_, std::to_wstring(value).c_str());
  if (updown_) ::SendMessageW(updown_, UDM_SETPOS32, 0, value);
}

void Control::SetSpinRange(int min, int max) {
  spin_min_ = min;
  spin_max_ = max;
  // Equal bounds mean no limit: the arrows then run over the whole range.
  if (updown_) {
    if (min == max) {
      ::SendMessageW(updown_, UDM_SETRANGE32, static_cast<WPARAM>(INT_MIN), INT_MAX);
    } else {
      ::SendMessageW(updown_, UDM_SETRANGE32, static_cast<WPARAM>(min), max);
    }
  }
  SetSpinValue(SpinValue());
}

void Control::SetPanels(std::vector<int> widths) {
  panels_ = std::move(widths);
  std::vector<int> edges;
  int x = 0;
  for (int w : panels_) {
    x = w < 0 ? -1 : x + form_.Scale(w);
    edges.push_back(x);
  }
  ::SendMessageW(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void Control::SetPanelText(int panel, const std::string& text, bool right_aligned) {
  // Two tabs before the text set it flush right in its panel.
  const std::wstring w = (right_aligned ? L"\t\t" : L"") + Widen(text);
  ::SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(w.c_str()));
}

void Control::SetIcon(HICON icon) {
  if (HICON old = reinterpret_cast<HICON>(::GetWindowLongPtrW(hwnd_, GWLP_USERDATA))) ::DestroyIcon(old);
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(icon));
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::AddColumn(const std::string& caption, int width) {
  std::wstring w = Widen(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH | LVCF_TEXT;
  column.cx = form_.Scale(width);
  column.pszText = w.data();
  ListView_InsertColumn(hwnd_, static_cast<int>(columns_.size()), &column);
  columns_.push_back(caption);
}

bool Control::Enabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }
void Control::SetEnabled(bool enabled) {
  if (hwnd_) ::EnableWindow(hwnd_, enabled);
}
void Control::SetVisible(bool visible) {
  if (hwnd_) ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}
void Control::Focus() {
  if (hwnd_) ::SetFocus(hwnd_);
}

// ---------------------------------------------------------------- menus

void MenuItem::SetProperty(std::string_view property, const std::string& value) {
  Control::SetProperty(property, value);
  if (property != "Caption" || owner_menu == nullptr || type == Type::kSeparator) return;
  std::wstring text = Widen(value);
  if (!shortcut.empty()) text += L"\t" + Widen(shortcut);
  MENUITEMINFOW mi{sizeof mi};
  mi.fMask = MIIM_STRING;
  mi.dwTypeData = text.data();
  ::SetMenuItemInfoW(owner_menu, command, FALSE, &mi);
}

void MenuItem::SetChecked(bool on) {
  checked = on;
  if (owner_menu) ::CheckMenuItem(owner_menu, command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

PopupMenu::~PopupMenu() {
  if (menu) ::DestroyMenu(menu);
}

void PopupMenu::Popup(int x, int y) {
  HWND owner = form_.hwnd();
  ::SetForegroundWindow(owner);
  const UINT flags = (right_aligned ? TPM_RIGHTALIGN : TPM_LEFTALIGN) | TPM_TOPALIGN | TPM_RIGHTBUTTON;
  ::TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
  ::PostMessageW(owner, WM_NULL, 0, 0);
}

// ---------------------------------------------------------------- Form

Form::Form(Options options) : options_(std::move(options)), self_(*this, options_.name, ComponentKind::kForm) {
  self_.props_["Caption"] = options_.caption;
  DWORD style = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
  if (options_.sizable) style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  const DWORD ex = WS_EX_CONTROLPARENT | (options_.app_window ? WS_EX_APPWINDOW : 0);
  HWND owner = options_.app_window ? ::GetDesktopWindow() : nullptr;
  hwnd_ = ::CreateWindowExW(ex, kFormClass, Widen(options_.caption).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                            100, 100, owner, nullptr, g_instance, this);
  self_.hwnd_ = hwnd_;
  dpi_ = ::GetDpiForWindow(hwnd_);
  UpdateFont();
  tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, g_instance,
                               nullptr);
  ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, Scale(400));
  RECT r{0, 0, Scale(options_.client_width), Scale(options_.client_height)};
  ::AdjustWindowRectExForDpi(&r, style, FALSE, ex, dpi_);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  g_forms.push_back(this);
}

Form::~Form() {
  std::erase(g_forms, this);
  if (g_active_form == this) g_active_form = nullptr;
  if (font_) ::DeleteObject(font_);
  if (hwnd_ && ::IsWindow(hwnd_)) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
}

int Form::Scale(int design_pixels) const { return MulDiv(design_pixels, static_cast<int>(dpi_), 96); }

void Form::UpdateFont() {
  if (font_) ::DeleteObject(font_);
  font_ = ::CreateFontW(-MulDiv(options_.font_points, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                        FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, options_.font_face.c_str());
  for (auto& c : components_)
    if (c->hwnd_) ::SendMessageW(c->hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
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
    if (EqualsNoCase(c->name_, name)) return c.get();
  return nullptr;
}

std::string Form::Caption() const { return self_.GetProperty("Caption"); }
void Form::SetCaption(const std::string& caption) { self_.SetProperty("Caption", caption); }

Control& Form::Add(const ControlSpec& spec) {
  std::unique_ptr<Control> c;
  if (spec.kind == ComponentKind::kPopupMenu) {
    c = std::make_unique<PopupMenu>(*this, spec.name);
  } else {
    c = std::make_unique<Control>(*this, spec.name, spec.kind);
  }
  for (std::string_view p : PropertiesOf(spec.kind)) c->props_[std::string(p)] = {};
  if (c->props_.count("Caption")) c->props_["Caption"] = spec.caption;
  c->parent_ = spec.parent;
  c->dock = spec.dock;
  c->design = RECT{spec.x, spec.y, spec.width, spec.height};
  c->anchor_right = spec.anchor_right;
  c->stretch = spec.stretch;
  c->id_ = next_id_++;
  Control& ref = *c;
  components_.push_back(std::move(c));
  (spec.parent ? spec.parent->children : top_level_).push_back(&ref);
  CreateWindowFor(ref, spec);
  if (!spec.hint.empty()) {
    ref.props_["Hint"] = spec.hint;
    ref.SetProperty("Hint", spec.hint);
  }
  return ref;
}

void Form::CreateWindowFor(Control& c, const ControlSpec& spec) {
  HWND parent = spec.parent ? spec.parent->hwnd_ : hwnd_;
  const std::wstring text = Widen(spec.caption);
  const DWORD base = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | spec.style;
  const auto make = [&](DWORD ex, const wchar_t* cls, DWORD style, const wchar_t* caption) {
    return ::CreateWindowExW(ex, cls, caption, base | style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id_)), g_instance, this);
  };
  switch (c.kind_) {
    case ComponentKind::kButton: c.hwnd_ = make(0, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, text.c_str()); break;
    case ComponentKind::kSpeedButton: c.hwnd_ = make(0, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | BS_FLAT, text.c_str()); break;
    case ComponentKind::kCheckBox:
      // Three-state unless the control asks for another button type.
      c.hwnd_ = make(0, L"BUTTON", WS_TABSTOP | ((spec.style & BS_TYPEMASK) ? 0 : BS_AUTO3STATE), text.c_str());
      break;
    case ComponentKind::kEdit: c.hwnd_ = make(WS_EX_CLIENTEDGE, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, L""); break;
    case ComponentKind::kMemo:
      c.hwnd_ = make(WS_EX_CLIENTEDGE, L"EDIT", WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, L"");
      break;
    case ComponentKind::kSpinEdit:
      c.hwnd_ = make(WS_EX_CLIENTEDGE, L"EDIT", WS_TABSTOP, L"0");
      c.updown_ = ::CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                                    WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
                                        UDS_SETBUDDYINT,
                                    0, 0, 0, 0, parent, nullptr, g_instance, nullptr);
      ::SendMessageW(c.updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c.hwnd_), 0);
      HookSpinWheel(c);
      break;
    case ComponentKind::kComboBox:
      c.hwnd_ = make(0, WC_COMBOBOXW, WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, L"");
      break;
    case ComponentKind::kListView:
      c.hwnd_ = make(WS_EX_CLIENTEDGE, WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT, L"");
      break;
    case ComponentKind::kStatusBar:
      c.hwnd_ = make(0, STATUSCLASSNAMEW, CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, L"");
      break;
    case ComponentKind::kProgressBar: c.hwnd_ = make(0, PROGRESS_CLASSW, 0, L""); break;
    case ComponentKind::kLabel: c.hwnd_ = make(0, L"STATIC", SS_NOTIFY | SS_CENTER, text.c_str()); break;
    case ComponentKind::kImage: c.hwnd_ = make(0, kImageClass, 0, L""); break;
    case ComponentKind::kGroupBox: {
      c.hwnd_ = make(WS_EX_CONTROLPARENT, kPanelClass, 0, L"");
      ::SetWindowLongPtrW(c.hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      // The frame lies under the group's controls and never paints over them.
      HWND frame = ::CreateWindowExW(0, L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 0, 0, 0,
                                     c.hwnd_, reinterpret_cast<HMENU>(1), g_instance, nullptr);
      ::SendMessageW(frame, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
      break;
    }
    case ComponentKind::kTabControl:
      c.hwnd_ = make(WS_EX_CONTROLPARENT, kPanelClass, 0, L"");
      ::SetWindowLongPtrW(c.hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      ::SetPropW(c.hwnd_, L"VandrelFramed", reinterpret_cast<HANDLE>(1));
      break;
    case ComponentKind::kPopupMenu:
      static_cast<PopupMenu&>(c).menu = ::CreatePopupMenu();
      break;
    default:
      break;  // dialogs and other non-visual components have no window
  }
  if (c.hwnd_) ::SendMessageW(c.hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

MenuItem& Form::AddMenuItem(Control& menu_or_item, const std::string& name, const std::string& caption,
                            MenuItem::Type type) {
  auto item = std::make_unique<MenuItem>(*this, name);
  MenuItem& ref = *item;
  ref.props_["Caption"] = caption;
  ref.props_["Hint"] = {};
  ref.type = type;
  ref.command = static_cast<UINT>(next_id_++);
  ref.parent_ = &menu_or_item;
  components_.push_back(std::move(item));
  HMENU target = nullptr;
  if (menu_or_item.kind_ == ComponentKind::kPopupMenu) {
    auto& menu = static_cast<PopupMenu&>(menu_or_item);
    menu.items.push_back(&ref);
    target = menu.menu;
  } else {
    auto& parent = static_cast<MenuItem&>(menu_or_item);
    parent.items.push_back(&ref);
    if (parent.submenu == nullptr) {
      parent.submenu = ::CreatePopupMenu();
      MENUITEMINFOW mi{sizeof mi};
      mi.fMask = MIIM_SUBMENU;
      mi.hSubMenu = parent.submenu;
      ::SetMenuItemInfoW(parent.owner_menu, parent.command, FALSE, &mi);
    }
    target = parent.submenu;
  }
  ref.owner_menu = target;
  if (type == MenuItem::Type::kSeparator) {
    ::AppendMenuW(target, MF_SEPARATOR, ref.command, nullptr);
  } else {
    ::AppendMenuW(target, MF_STRING, ref.command, Widen(caption).c_str());
  }
  if (type == MenuItem::Type::kRadio) {
    // A radio item shows a dot when checked, whichever of its group it is.
    MENUITEMINFOW mi{sizeof mi};
    mi.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(target, ref.command, FALSE, &mi);
    mi.fType |= MFT_RADIOCHECK;
    ::SetMenuItemInfoW(target, ref.command, FALSE, &mi);
  }
  return ref;
}

PopupMenu& Form::AddPopupMenu(const std::string& name) {
  return static_cast<PopupMenu&>(Add({name, ComponentKind::kPopupMenu}));
}

MenuItem::~MenuItem() {
  if (glyph) ::DeleteObject(glyph);
}

void MenuItem::SetGlyph(const wchar_t* icon_resource) {
  const int size = ::GetSystemMetrics(SM_CXSMICON);
  HICON icon = static_cast<HICON>(::LoadImageW(g_instance, icon_resource, IMAGE_ICON, size, size, 0));
  if (icon == nullptr) return;
  // Menus draw 32-bit pre-multiplied bitmaps with their transparency.
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB};
  void* bits = nullptr;
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ::ReleaseDC(nullptr, screen);
  ICONINFO info{};
  if (bitmap != nullptr && ::GetIconInfo(icon, &info)) {
    const auto count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    std::vector<std::uint32_t> color(count), mask(count);
    HDC dc = ::CreateCompatibleDC(nullptr);
    BITMAPINFO read = bi;
    const bool have_color = info.hbmColor && ::GetDIBits(dc, info.hbmColor, 0, size, color.data(), &read, DIB_RGB_COLORS);
    read = bi;
    const bool have_mask = info.hbmMask && ::GetDIBits(dc, info.hbmMask, 0, size, mask.data(), &read, DIB_RGB_COLORS);
    ::DeleteDC(dc);
    bool has_alpha = false;
    for (std::uint32_t p : color) has_alpha = has_alpha || (p >> 24) != 0;
    auto* out = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t p = have_color ? color[i] : 0;
      std::uint32_t a = has_alpha ? (p >> 24) : (have_mask && (mask[i] & 0xFFFFFF) != 0 ? 0 : 255);
      auto channel = [&](int shift) { return (((p >> shift) & 0xFF) * a / 255) << shift; };
      out[i] = (a << 24) | channel(16) | channel(8) | channel(0);
    }
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    if (glyph) ::DeleteObject(glyph);
    glyph = bitmap;
    MENUITEMINFOW mi{sizeof mi};
    mi.fMask = MIIM_BITMAP;
    mi.hbmpItem = glyph;
    ::SetMenuItemInfoW(owner_menu, command, FALSE, &mi);
  } else if (bitmap != nullptr) {
    ::DeleteObject(bitmap);
  }
  ::DestroyIcon(icon);
}

void Form::Show() {
  ::ShowWindow(hwnd_, SW_SHOW);
  ::UpdateWindow(hwnd_);
}

void Form::Hide() {
  modal_ = false;
  ::ShowWindow(hwnd_, SW_HIDE);
}

void Form::ShowModal() {
  // Every other window of the program waits while this one is up.
  std::vector<HWND> disabled;
  for (Form* f : g_forms)
    if (f != this && ::IsWindowVisible(f->hwnd_) && ::IsWindowEnabled(f->hwnd_)) {
      ::EnableWindow(f->hwnd_, FALSE);
      disabled.push_back(f->hwnd_);
    }
  modal_ = true;
  if (on_show) on_show();
  Show();
  ::SetForegroundWindow(hwnd_);
  MSG msg;
  while (modal_ && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    bool handled = false;
    for (Form* f : g_forms) handled = handled || f->HandleKey(msg);
    if (!handled && !::IsDialogMessageW(hwnd_, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  if (msg.message == WM_QUIT && modal_) ::PostQuitMessage(static_cast<int>(msg.wParam));
  modal_ = false;
  for (HWND h : disabled) ::EnableWindow(h, TRUE);
  if (!disabled.empty()) ::SetActiveWindow(disabled.front());
}

void Form::SetDefaultButton(Control* button) {
  auto set_style = [](Control* c, bool is_default) {
    if (c == nullptr || c->hwnd_ == nullptr) return;
    ::SendMessageW(c->hwnd_, BM_SETSTYLE, is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  };
  if (default_button_ != button) set_style(default_button_, false);
  default_button_ = button;
  set_style(button, true);
}

bool Form::HandleKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !::IsWindowEnabled(hwnd_)) return false;
  if (::GetAncestor(msg.hwnd, GA_ROOT) != hwnd_) return false;
  if (msg.wParam == VK_RETURN && default_button_ != nullptr && default_button_->Enabled() &&
      (::GetWindowLongPtrW(default_button_->hwnd_, GWL_STYLE) & WS_VISIBLE) != 0) {
    wchar_t cls[32] = {};
    ::GetClassNameW(msg.hwnd, cls, 32);
    const LONG_PTR style = ::GetWindowLongPtrW(msg.hwnd, GWL_STYLE);
    const bool wants_return = (::lstrcmpiW(cls, L"Button") == 0 && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) ||
                              (::lstrcmpiW(cls, L"Edit") == 0 && (style & ES_MULTILINE) != 0) ||
                              (::lstrcmpiW(cls, WC_COMBOBOXW) == 0 && ::SendMessageW(msg.hwnd, CB_GETDROPPEDSTATE, 0, 0));
    if (!wants_return) {
      ::SendMessageW(::GetParent(default_button_->hwnd_), WM_COMMAND, MAKEWPARAM(default_button_->id_, BN_CLICKED),
                     reinterpret_cast<LPARAM>(default_button_->hwnd_));
      return true;
    }
  }
  const auto it = keys.find(static_cast<UINT>(msg.wParam));
  if (it == keys.end()) return false;
  RunGuarded(hwnd_, it->second);
  return true;
}

void Form::CenterOnDesktop() {
  RECT r;
  ::GetWindowRect(hwnd_, &r);
  MONITORINFO mi{sizeof mi};
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT& work = mi.rcWork;
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  ::SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Relayout() {
  RECT client;
  ::GetClientRect(hwnd_, &client);
  LayoutChildren(nullptr, client);
}

void Form::LayoutChildren(Control* container, RECT area) {
  const std::vector<Control*>& list = container ? container->children : top_level_;
  const RECT full = area;
  // Docked controls take their strips in creation order, then one fills the rest.
  for (Control* c : list) {
    if (c->hwnd_ == nullptr || c->dock == Dock::kNone || c->dock == Dock::kFill) continue;
    RECT r = area;
    const int w = Scale(c->design.right);
    const int h = Scale(c->design.bottom);
    switch (c->dock) {
      case Dock::kTop: r.bottom = area.top + h; area.top = r.bottom; break;
      case Dock::kBottom: r.top = area.bottom - h; area.bottom = r.top; break;
      case Dock::kLeft: r.right = area.left + w; area.left = r.right; break;
      case Dock::kRight: r.left = area.right - w; area.right = r.left; break;
      default: break;
    }
    ::MoveWindow(c->hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }
  for (Control* c : list) {
    if (c->hwnd_ == nullptr) continue;
    if (c->dock == Dock::kFill) {
      ::MoveWindow(c->hwnd_, area.left, area.top, std::max(0L, area.right - area.left), std::max(0L, area.bottom - area.top), TRUE);
    } else if (c->dock == Dock::kNone) {
      // design: left (or right margin when anchored right), top, width (or
      // right margin when stretched), height.
      const int width = full.right - full.left;
      int x = Scale(c->design.left);
      int w = Scale(c->design.right);
      if (c->stretch) w = std::max(0, width - x - Scale(c->design.right));
      if (c->anchor_right) x = width - Scale(c->design.left) - w;
      ::MoveWindow(c->hwnd_, full.left + x, full.top + Scale(c->design.top), w, Scale(c->design.bottom), TRUE);
    }
    if (c->kind_ == ComponentKind::kStatusBar) ::SendMessageW(c->hwnd_, WM_SIZE, 0, 0);
    if (c->updown_) {
      ::SendMessageW(c->updown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c->hwnd_), 0);
      HookSpinWheel(*c);  // setting the buddy put the arrows' own hook first again
    }
    if (IsContainer(c->kind_)) {
      RECT inner;
      ::GetClientRect(c->hwnd_, &inner);
      if (c->kind_ == ComponentKind::kGroupBox) {
        for (HWND ch = ::GetWindow(c->hwnd_, GW_CHILD); ch; ch = ::GetWindow(ch, GW_HWNDNEXT))
          if (::GetDlgCtrlID(ch) == 1)
            ::SetWindowPos(ch, HWND_BOTTOM, 0, 0, inner.right, inner.bottom, SWP_NOACTIVATE);
        inner = RECT{inner.left + Scale(6), inner.top + Scale(16), inner.right - Scale(6), inner.bottom - Scale(6)};
      } else {
        inner = RECT{inner.left + Scale(3), inner.top + Scale(3), inner.right - Scale(3), inner.bottom - Scale(3)};
      }
      LayoutChildren(c, inner);
    }
  }
}

void Form::Dispatch(WPARAM wp, LPARAM lp) {
  const UINT id = LOWORD(wp);
  const UINT code = HIWORD(wp);
  if (lp == 0 && code == 0) {  // a menu command
    for (auto& c : components_) {
      if (c->kind_ != ComponentKind::kMenuItem) continue;
      auto& item = static_cast<MenuItem&>(*c);
      if (item.command != id) continue;
      if (item.auto_check && item.type == MenuItem::Type::kCheck) item.SetChecked(!item.checked);
      if (item.auto_check && item.type == MenuItem::Type::kRadio) {
        const std::vector<MenuItem*>* siblings = nullptr;
        if (item.parent_ && item.parent_->kind_ == ComponentKind::kPopupMenu)
          siblings = &static_cast<PopupMenu*>(item.parent_)->items;
        else if (item.parent_)
          siblings = &static_cast<MenuItem*>(item.parent_)->items;
        if (siblings)
          for (MenuItem* s : *siblings)
            if (s->type == MenuItem::Type::kRadio) s->SetChecked(s == &item);
      }
      if (item.on_click) item.on_click();
      return;
    }
    return;
  }
  for (auto& c : components_) {
    if (c->id_ != static_cast<int>(id) || c->hwnd_ != reinterpret_cast<HWND>(lp)) continue;
    const bool click = (code == BN_CLICKED && (c->kind_ == ComponentKind::kButton || c->kind_ == ComponentKind::kSpeedButton ||
                                               c->kind_ == ComponentKind::kCheckBox)) ||
                       (code == STN_CLICKED && (c->kind_ == ComponentKind::kLabel || c->kind_ == ComponentKind::kImage));
    if (click && c->on_click) c->on_click();
    if (code == EN_CHANGE && c->kind_ == ComponentKind::kSpinEdit && c->on_change) c->on_change();
    if (code == CBN_SELCHANGE && c->kind_ == ComponentKind::kComboBox && c->on_change) c->on_change();
    return;
  }
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      Relayout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
      if (options_.min_width) mm->ptMinTrackSize.x = Scale(options_.min_width);
      if (options_.min_height) mm->ptMinTrackSize.y = Scale(options_.min_height);
      return 0;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      UpdateFont();
      const RECT* r = reinterpret_cast<const RECT*>(lp);
      ::SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
      Relayout();
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDCANCEL && lp == 0) return 0;  // Escape closes nothing
      Dispatch(wp, lp);
      return 0;
    case WM_ACTIVATE:
      // Coming back from another program, a message box or a picker does
      // not make a form active again; the close of another form does.
      if (LOWORD(wp) != WA_INACTIVE && g_active_form != this) {
        g_active_form = this;
        if (on_activate) on_activate();
      }
      break;
    case WM_MOUSEWHEEL:
      if (on_mouse_wheel && on_mouse_wheel(GET_WHEEL_DELTA_WPARAM(wp))) return 0;
      break;
    case WM_CLOSE:
      if (on_close) on_close();
      if (modal_ || g_forms.empty() || g_forms.front() != this) {
        Hide();  // secondary windows live until the program ends
        return 0;
      }
      ::DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      if (on_destroy) on_destroy();
      if (!g_forms.empty() && g_forms.front() == this) ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  Form* form = FormOf(hwnd);
  if (form == nullptr || form->hwnd_ == nullptr) return ::DefWindowProcW(hwnd, msg, wp, lp);
  VANDREL_GUARDED(hwnd, return form->HandleMessage(msg, wp, lp);)
  return 0;
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  Form* form = FormOf(hwnd);
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_VSCROLL:
    case WM_HSCROLL:
      // Controls inside containers report to their window.
      if (form) return ::SendMessageW(form->hwnd(), msg, wp, lp);
      break;
    case WM_PAINT:
      if (::GetPropW(hwnd, L"VandrelFramed")) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        RECT r;
        ::GetClientRect(hwnd, &r);
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
        ::FrameRect(dc, &r, ::GetSysColorBrush(COLOR_3DSHADOW));
        ::EndPaint(hwnd, &ps);
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (::GetPropW(reinterpret_cast<HWND>(lp), L"VandrelLink")) {
        HDC dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, RGB(0, 0, 255));
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_NCDESTROY:
      ::RemovePropW(hwnd, L"VandrelFramed");
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace vandrel::ui
