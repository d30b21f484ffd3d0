// Containers: the group box (a captioned frame) and the framed panel (a tab
// control without tabs). Their controls report through them to the window.
#pragma once

#include "ui/control.h"

namespace vandrel::ui {

class Panel : public Control {
 public:
  bool IsContainer() const override { return true; }
  bool framed() const { return framed_; }

 protected:
  Panel(Form& form, const Spec& spec, ComponentKind kind, std::initializer_list<std::string_view> properties, bool framed);

 private:
  bool framed_;
};

class GroupBox final : public Panel {
 public:
  GroupBox(Form& form, const Spec& spec);
  std::string GetProperty(std::string_view property) const override;
  void SetProperty(std::string_view property, const std::string& value) override;
  Box Interior(Box client) const override;
  void ApplyDpi() override;
  void AfterLayout() override;
  HWND frame() const { return frame_; }
  void ApplyTheme() override;

 protected:
  bool OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  HWND frame_ = nullptr;  // lies under the group's controls and never paints over them
};

class FramedPanel final : public Panel {
 public:
  FramedPanel(Form& form, const Spec& spec);
  Box Interior(Box client) const override;
};

void RegisterPanelClass();

}  // namespace vandrel::ui
