// A top-level window: it owns its components in creation order, lays them
// out by docking at any DPI, and hands each control the messages about it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "i18n/component.h"
#include "platform/win32/gdi_handles.h"
#include "ui/control.h"
#include "ui/menus.h"

namespace vandrel::ui {

class Button;
LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

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
    bool main_window = false;     // closing it ends the program; others hide
    bool double_buffered = false;  // painted off screen first
    bool rounded_corners = false;  // where the system draws them (Windows 11)
  };
  explicit Form(Options options);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  Component& Self() override { return *self_; }
  std::vector<Component*> Components() override;
  Component* FindComponent(std::string_view name) override;
  Control* Find(std::string_view name);

  // A control of kind T, made from its spec, owned by the window.
  template <typename T>
  T& Add(const Spec& spec) {
    auto control = std::make_unique<T>(*this, spec);
    T& ref = *control;
    Adopt(std::move(control), spec);
    return ref;
  }
  PopupMenu& AddPopupMenu(const std::string& name, bool right_aligned = false);
  MenuItem& AddMenuItem(const MenuSpec& spec);
  // Clicks on an item the window does not own reach it through these.
  void RegisterMenuCommand(MenuItem& item);
  void UnregisterMenuCommand(UINT command);

  HWND hwnd() const { return hwnd_; }
  const Options& options() const { return options_; }
  std::string Caption() const;
  void SetCaption(const std::string& caption);
  void Show();
  void ShowModal();  // returns when the window is hidden again
  void Hide();
  // Closes as the close box does (on_close runs).
  void Close();
  void CenterOnDesktop();
  // Maximised now, or when first shown if it is not shown yet.
  void SetMaximized();
  bool Maximized() const;
  // The outer size in pixels; for a maximised or minimised window, the size
  // it has when restored.
  Size NormalSize() const;
  void SetOuterSize(Size size);
  // The minimum outer size and the work area of the window's screen.
  Size MinimumSize() const;
  Size WorkAreaSize() const;
  // Centred when it does not lie wholly within its screen's work area.
  void KeepOnScreen();
  void Relayout();
  // Every control takes the current palette, and the window repaints.
  void ApplyTheme();
  int Scale(int design_pixels) const;
  UINT dpi() const { return dpi_; }
  HFONT font() const { return font_.get(); }
  HWND tooltip() const { return tooltip_.get(); }
  // The window's font changed as `spec` says, for the window's DPI.
  FontHandle MakeFont(const FontSpec& spec) const;
  int NextId() { return next_id_++; }
  // The button Enter presses wherever the focus is, unless the focus is on
  // another button or in a multi-line box; shown with the default frame.
  void SetDefaultButton(Button* button);
  Button* default_button() const { return default_button_; }
  // Keys that reach the window wherever the focus is (F1, F5).
  std::map<UINT, std::function<void()>> keys;
  bool HandleKey(const MSG& msg);
  // Files dropped from Explorer: the first one's full path.
  void AcceptDroppedFiles(bool accept);
  std::function<void(const std::string& path)> on_drop_file;
  // Destroys the window and its controls now; a derived window calls it
  // first in its destructor, so no message reaches it half-destroyed.
  void DestroyNow();

  // on_activate runs when this window becomes the program's active form: at
  // its first activation and when another form of the program hands the
  // activation back, not after a message box, a picker or another program.
  std::function<void()> on_create, on_show, on_activate, on_close, on_destroy;
  // A system setting changed (WM_SETTINGCHANGE), after every window took the
  // system's new colours.
  std::function<void()> on_setting_change;
  // The mouse wheel anywhere in the window, spin boxes first; true: handled.
  std::function<bool(int wheel_delta)> on_mouse_wheel;

 protected:
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

 private:
  friend LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  friend LRESULT RouteToControl(UINT msg, WPARAM wp, LPARAM lp, bool& handled);
  void Adopt(std::unique_ptr<Control> control, const Spec& spec);
  void ApplyOwnTheme();  // the title bar and the hints
  void LayoutChildren(const std::vector<Control*>& list, Box area);
  void ApplyDpi(UINT dpi);
  void MenuCommand(UINT command);
  void DroppedFiles(HDROP drop);

  Options options_;
  HWND hwnd_ = nullptr;
  WindowHandle tooltip_;  // the hints of the window's controls
  FontHandle font_;
  UINT dpi_ = 96;
  bool modal_ = false;
  bool show_maximized_ = false;
  int next_id_ = 100;
  std::unique_ptr<Control> self_;
  std::vector<std::unique_ptr<Control>> components_;
  std::vector<Control*> top_level_;
  std::map<UINT, MenuItem*> menu_commands_;
  Button* default_button_ = nullptr;
};

// WM_COMMAND, WM_NOTIFY and WM_CTLCOLOR* of a control, handed to it; the
// window procedures of forms and of panels both use it.
LRESULT RouteToControl(UINT msg, WPARAM wp, LPARAM lp, bool& handled);

}  // namespace vandrel::ui
