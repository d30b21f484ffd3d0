// Pictures and texts: the icon box and the label (also drawn as a link).
#pragma once

#include "ui/control.h"
#include "ui/controls/edit.h"

namespace vandrel::ui {

// An icon centred and scaled proportionally into the box, at most 48 x 48
// at 96 DPI.
class Image final : public Control {
 public:
  Image(Form& form, const Spec& spec);
  void SetIcon(IconHandle icon);
  HICON icon() const { return icon_.get(); }
  std::function<void()> on_click;
  ContextMenuHandler on_context_menu;

 private:
  friend LRESULT CALLBACK ImageProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  void Paint();
  IconHandle icon_;
};

// A line of text across its width, set on its bottom edge (centred unless
// the spec says otherwise).
class Label final : public Control {
 public:
  Label(Form& form, const Spec& spec);
  std::function<void()> on_click;
  void OnCommand(UINT code) override;
  bool link() const { return link_; }

 protected:
  bool OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  bool link_;
  Spec::Align align_;
};

void RegisterImageClass();

}  // namespace vandrel::ui
