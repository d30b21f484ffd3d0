// The thin Win32 component layer: windows and controls with names and text
// properties, created in a fixed order, laid out by docking at any DPI.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "i18n/component.h"

namespace vandrel::ui {

std::wstring W(std::string_view utf8);

enum class Dock { kNone, kTop, kBottom, kLeft, kRight, kFill };

// Let pending window messages be processed, so the windows repaint.
void ProcessMessages();
// Runs `fn` on the user-interface thread and waits for it.
void RunOnUiThread(const std::function<void()>& fn);
// The message box every uncaught error ends in; the program goes on.
void ShowDefaultErrorReport(HWND owner, const char* what) noexcept;
// Runs `fn`; an error it raises ends in that report instead of escaping
// into the system (window procedures, subclass procedures).
void RunGuarded(HWND owner, const std::function<void()>& fn) noexcept;
// Replaces that message box (tests watch the reports instead); an empty
// function restores it.
void SetErrorReporter(std::function<void(HWND, const std::string&)> reporter);
// Must run once on the user-interface thread before any window is made.
void InitializeUi(HINSTANCE instance);
HINSTANCE Instance();

class Form;

class Control : public Component {
 public:
  Control(Form& form, std::string name, ComponentKind kind) : form_(form), name_(std::move(name)), kind_(kind) {}
  ~Control() override;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const override { return name_; }
  ComponentKind Kind() const override { return kind_; }
  bool HasProperty(std::string_view property) const override;
  std::string GetProperty(std::string_view property) const override;
  void SetProperty(std::string_view property, const std::string& value) override;
  std::vector<std::string> GetStrings(std::string_view list) const override;
  void SetString(std::string_view list, std::size_t index, const std::string& value) override;

  HWND hwnd() const { return hwnd_; }
  Form& form() const { return form_; }
  Control* parent() const { return parent_; }
  bool Enabled() const;
  void SetEnabled(bool enabled);
  void SetVisible(bool visible);
  void Focus();

  std::function<void()> on_click;
  std::function<void()> on_change;  // a spin box's value changed

  // Spin boxes: bounds and value by the spin rules (equal bounds: no limit).
  int SpinValue() const;
  void SetSpinValue(int value);
  void SetSpinRange(int min, int max);
  int spin_min() const { return spin_min_; }
  int spin_max() const { return spin_max_; }
  HWND updown() const { return updown_; }

  // Status bars: the panels' widths at 96 DPI (-1: to the right edge), and texts.
  void SetPanels(std::vector<int> widths);
  void SetPanelText(int panel, const std::string& text, bool right_aligned = false);

  // Images: the icon shown, owned by the control from now on.
  void SetIcon(HICON icon);

  // List views: a report column (its caption is a translatable text).
  void AddColumn(const std::string& caption, int width);

  // Layout, in pixels at 96 DPI.
  Dock dock = Dock::kNone;
  RECT design{};          // x, y, width, height kept in left, top, right, bottom
  bool anchor_right = false;   // keeps its distance to the right edge
  bool stretch = false;        // keeps both edges: grows with its container
  std::vector<Control*> children;

 protected:
  friend class Form;
  Form& form_;
  std::string name_;
  ComponentKind kind_;
  Control* parent_ = nullptr;
  HWND hwnd_ = nullptr;
  int id_ = 0;
  std::map<std::string, std::string, std::less<>> props_;  // the text properties this kind has
  std::vector<std::string> columns_;
  int spin_min_ = 0, spin_max_ = 0;
  HWND updown_ = nullptr;
  std::vector<int> panels_;
};

// A menu item (also the caption-only items of PopupMenuLanguage).
class MenuItem final : public Control {
 public:
  enum class Type { kItem, kSeparator, kCheck, kRadio };
  MenuItem(Form& form, std::string name) : Control(form, std::move(name), ComponentKind::kMenuItem) {}
  void SetProperty(std::string_view property, const std::string& value) override;
  Type type = Type::kItem;
  bool auto_check = false;  // checks (radio) or toggles (check) itself on click
  bool checked = false;
  std::string shortcut;     // shown after a tab, e.g. "F5"
  // A small picture beside the caption, from an icon resource of the program.
  void SetGlyph(const wchar_t* icon_resource);
  ~MenuItem() override;
  std::vector<MenuItem*> items;
  HBITMAP glyph = nullptr;
  HMENU submenu = nullptr;
  HMENU owner_menu = nullptr;
  UINT command = 0;
  void SetChecked(bool on);
};

class PopupMenu final : public Control {
 public:
  PopupMenu(Form& form, std::string name) : Control(form, std::move(name), ComponentKind::kPopupMenu) {}
  ~PopupMenu() override;
  std::vector<MenuItem*> items;
  HMENU menu = nullptr;
  bool right_aligned = false;
  // Shows the menu with its corner at a screen point.
  void Popup(int x, int y);
};

struct ControlSpec {
  std::string name;
  ComponentKind kind;
  Control* parent = nullptr;  // nullptr: the form itself
  Dock dock = Dock::kNone;
  int x = 0, y = 0, width = 0, height = 0;
  std::string caption;
  std::string hint;
  DWORD style = 0;     // extra window styles
  bool anchor_right = false;
  bool stretch = false;
};

// A top-level window that owns its components in creation order.
class Form : public ComponentOwner {
 public:
  struct Options {
    std::string name;
    std::string caption;
    int client_width = 0, client_height = 0;
    int min_width = 0, min_height = 0;  // outer size
    bool sizable = true;
    bool app_window = false;  // own taskbar button, owned by the desktop window
    std::wstring font_face = L"Tahoma";
    int font_points = 8;
  };
  explicit Form(Options options);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  Component& Self() override { return self_; }
  std::vector<Component*> Components() override;
  Component* FindComponent(std::string_view name) override;

  Control& Add(const ControlSpec& spec);
  MenuItem& AddMenuItem(Control& menu_or_item, const std::string& name, const std::string& caption,
                        MenuItem::Type type = MenuItem::Type::kItem);
  PopupMenu& AddPopupMenu(const std::string& name);
  Control* Find(std::string_view name);
  template <typename T>
  T& Get(std::string_view name) { return static_cast<T&>(*Find(name)); }

  HWND hwnd() const { return hwnd_; }
  const Options& options() const { return options_; }
  std::string Caption() const;
  void SetCaption(const std::string& caption);
  void Show();
  void ShowModal();  // returns when the window is hidden again
  void Hide();
  void CenterOnDesktop();
  void Relayout();
  int Scale(int design_pixels) const;
  HFONT font() const { return font_; }
  // The button Enter presses wherever the focus is, unless the focus is on
  // another button or in a multi-line box; shown with the default frame.
  void SetDefaultButton(Control* button);
  Control* default_button() const { return default_button_; }
  // Keys that reach the window wherever the focus is (F1, F5).
  std::map<UINT, std::function<void()>> keys;
  bool HandleKey(const MSG& msg);

  // on_activate runs when this window becomes the program's active form: at
  // its first activation and when another form of the program hands the
  // activation back, not after a message box, a picker or another program.
  std::function<void()> on_create, on_show, on_activate, on_close, on_destroy;
  // The mouse wheel anywhere in the window, spin boxes first; true: handled.
  std::function<bool(int wheel_delta)> on_mouse_wheel;

 protected:
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Dispatch(WPARAM wp, LPARAM lp);

 private:
  friend class Control;
  friend LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  friend LRESULT CALLBACK PanelProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  void CreateWindowFor(Control& c, const ControlSpec& spec);
  void LayoutChildren(Control* container, RECT area);
  void UpdateFont();

  Options options_;
  Control self_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  HFONT font_ = nullptr;
  UINT dpi_ = 96;
  bool modal_ = false;
  std::vector<std::unique_ptr<Control>> components_;
  std::vector<Control*> top_level_;
  int next_id_ = 100;
  Control* default_button_ = nullptr;
};

}  // namespace vandrel::ui
