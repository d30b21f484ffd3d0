// Push buttons (plain, flat, with a glyph) and check boxes.
#pragma once

#include "ui/control.h"

namespace vandrel::ui {

class Button : public Control {
 public:
  Button(Form& form, const Spec& spec);
  std::function<void()> on_click;
  void OnCommand(UINT code) override;
  void ApplyDpi() override;
  // Drawn pressed (a menu button while its menu is open) or up.
  void SetPushed(bool pushed);
  bool Pushed() const;
  // The frame of the button Enter presses.
  void ShowAsDefault(bool is_default);

  void ApplyTheme() override;

 protected:
  Button(Form& form, const Spec& spec, ComponentKind kind, DWORD style);
  bool OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  const wchar_t* glyph_resource_ = nullptr;
  IconHandle glyph_;
};

// A flat button, as a toolbar's.
class SpeedButton final : public Button {
 public:
  SpeedButton(Form& form, const Spec& spec);
};

class CheckBox final : public Control {
 public:
  enum class State { kUnchecked, kChecked, kIndeterminate };
  CheckBox(Form& form, const Spec& spec);
  std::function<void()> on_click;
  void OnCommand(UINT code) override;
  bool Checked() const { return GetState() == State::kChecked; }
  void SetChecked(bool checked) { SetState(checked ? State::kChecked : State::kUnchecked); }
  State GetState() const;
  void SetState(State state);
  void ApplyTheme() override;

 protected:
  bool OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

}  // namespace vandrel::ui
