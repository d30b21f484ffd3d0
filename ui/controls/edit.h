// Edit boxes: single-line, multi-line (Memo), and the integer spin box.
#pragma once

#include "ui/control.h"

namespace vandrel::ui {

// A right click or the menu key: the screen point, or the control's corner
// when the keyboard asked.
using ContextMenuHandler = std::function<void(POINT screen, bool from_keyboard)>;

class Edit : public Control {
 public:
  Edit(Form& form, const Spec& spec);
  void SetProperty(std::string_view property, const std::string& value) override;
  void SelectAll();
  std::function<void()> on_click;    // after the box took the click
  ContextMenuHandler on_context_menu;  // instead of the box's own menu

 protected:
  Edit(Form& form, const Spec& spec, ComponentKind kind, std::initializer_list<std::string_view> properties,
       DWORD style, const std::string& text);
  bool OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

class Memo final : public Edit {
 public:
  Memo(Form& form, const Spec& spec);
  void ApplyTheme() override;  // Windows draws its scroll bar dark
};

// An integer box with arrows. Equal bounds mean no limit at all.
class SpinEdit final : public Edit {
 public:
  SpinEdit(Form& form, const Spec& spec);
  int Value() const;
  void SetValue(int value);
  void SetRange(int min, int max);
  int min() const { return min_; }
  int max() const { return max_; }
  HWND updown() const { return updown_; }
  std::function<void()> on_change;
  // A key pressed in the box; false keeps it from the box.
  std::function<bool(WPARAM key)> on_key_down;
  // A character typed or text pasted (0); false keeps it out.
  std::function<bool(wchar_t ch)> on_key_press;
  void OnCommand(UINT code) override;
  void AfterLayout() override;
  bool UnderCursor() const override;  // the box or its arrows

 protected:
  bool OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  HWND updown_ = nullptr;
  int min_ = 0, max_ = 0;
};

}  // namespace vandrel::ui
