// A drop-down list without typing.
#pragma once

#include "ui/control.h"

namespace vandrel::ui {

class ComboBox final : public Control {
 public:
  ComboBox(Form& form, const Spec& spec);
  void Clear();
  int Add(const std::string& text);  // its index
  int Count() const;
  std::string Item(int index) const;
  std::vector<std::string> Items() const;
  void Select(int index);
  std::function<void()> on_change;
  void OnCommand(UINT code) override;
  void ApplyTheme() override;

 protected:
  bool OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

}  // namespace vandrel::ui
