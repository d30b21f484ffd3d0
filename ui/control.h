// The base of every control kind: a named component with text properties (as
// the translation engine sees it), its window, its place in the layout, and
// the messages its parent sends back to it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/component.h"
#include "platform/win32/gdi_handles.h"
#include "ui/layout.h"

namespace vandrel::ui {

class Form;
class Control;

// A font other than the window's: another face, a fixed pixel height (at 96
// DPI), bold or underlined. Empty: the window's own font.
struct FontSpec {
  const wchar_t* face = nullptr;
  int pixels = 0;
  bool bold = false;
  bool underline = false;
  bool Custom() const { return face != nullptr || pixels != 0 || bold || underline; }
};

// How a control is made; each kind reads the fields that concern it.
struct Spec {
  std::string name;
  Control* parent = nullptr;  // nullptr: the window itself
  Dock dock = Dock::kNone;
  int x = 0, y = 0, width = 0, height = 0;
  std::string caption;
  std::string hint;
  bool anchor_right = false;  // keeps its distance to the right edge
  bool stretch = false;       // keeps both edges: grows with its container
  bool read_only = false;     // edit boxes
  bool enabled = true;
  bool visible = true;
  bool hand_cursor = false;
  bool two_state = false;        // check boxes: no third state
  bool link = false;             // labels: drawn as a link
  // Labels: the text's place across the label (centred unless said).
  enum class Align { kCenter, kLeft, kRight } align = Align::kCenter;
  const wchar_t* glyph = nullptr;  // buttons: an icon resource of the program, centred
  FontSpec font{};
};

// The text of a window, however long.
std::string WindowText(HWND hwnd);

// Where a WM_CONTEXTMENU of `hwnd` opens its menu: the click's screen point,
// or below the control's left edge when the keyboard asked (lp == -1).
POINT ContextMenuPoint(HWND hwnd, LPARAM lp, bool& from_keyboard);

class Control : public Component {
 public:
  Control(Form& form, const Spec& spec, ComponentKind kind, std::initializer_list<std::string_view> properties);
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
  virtual bool Enabled() const;
  virtual void SetEnabled(bool enabled);
  bool Visible() const;
  // Visible on the screen: it and every window it lies in.
  bool Showing() const;
  void SetVisible(bool visible);
  // Over the other controls of its container.
  void BringToFront();
  // The mouse pointer is over the control.
  virtual bool UnderCursor() const;
  void Focus();
  // The window text (an edit box's text, a button's caption).
  std::string Text() const { return GetProperty(HasProperty("Text") ? "Text" : "Caption"); }
  void SetText(const std::string& text) { SetProperty(HasProperty("Text") ? "Text" : "Caption", text); }

  // Layout.
  const Placement& placement() const { return placement_; }
  const std::vector<Control*>& children() const { return children_; }
  virtual bool IsContainer() const { return false; }
  virtual Box Interior(Box client) const { return client; }

  // What the parent window hands on: a notification code of WM_COMMAND, a
  // WM_NOTIFY, the colours of a WM_CTLCOLOR* message.
  virtual void OnCommand(UINT /*code*/) {}
  virtual LRESULT OnNotify(const NMHDR& /*header*/) { return 0; }
  virtual HBRUSH OnCtlColor(UINT msg, HDC dc);
  // The window's DPI is set or changed: fonts and glyphs for it.
  virtual void ApplyDpi();
  // The palette changed (or the control was just made): colours the
  // control keeps itself rather than asking for at each paint.
  virtual void ApplyTheme() {}
  // The control was moved or sized.
  virtual void AfterLayout() {}

  // The control a window belongs to, or nullptr.
  static Control* Of(HWND hwnd);

 protected:
  // Makes the control's window in its parent, with the form's id and font.
  void CreateControlWindow(DWORD ex_style, const wchar_t* window_class, DWORD style, const std::string& text);
  // Lets OnOwnMessage see the window's messages first; called again, it puts
  // the hook back on top of hooks installed since.
  void Subclass();
  void Subclass(HWND other);
  // true: handled, `result` is the answer.
  virtual bool OnOwnMessage(HWND /*hwnd*/, UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/, LRESULT& /*result*/) {
    return false;
  }
  HWND ParentWindow() const;
  int Scale(int design_pixels) const;
  HFONT Font() const;  // the control's own font, else the window's

  Form& form_;
  std::string name_;
  ComponentKind kind_;
  Control* parent_ = nullptr;
  HWND hwnd_ = nullptr;
  int id_ = 0;
  std::map<std::string, std::string, std::less<>> props_;
  Placement placement_;
  std::vector<Control*> children_;
  FontSpec font_spec_;
  FontHandle own_font_;
  bool hand_cursor_ = false;

 private:
  friend class Form;
  static LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self) noexcept;
};

}  // namespace vandrel::ui
