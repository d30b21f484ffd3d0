// The status bar and the progress bar.
#pragma once

#include "ui/control.h"

namespace vandrel::ui {

class StatusBar final : public Control {
 public:
  StatusBar(Form& form, const Spec& spec);
  // The panels' widths at 96 DPI (-1: to the right edge).
  void SetPanels(std::vector<int> widths);
  // A panel's text; flush right when `right_aligned`. Read right to left
  // where the system reads so (a Middle-East system), as such a status bar does.
  void SetPanelText(int panel, const std::string& text, bool right_aligned = false);
  std::string PanelText(int panel) const;
  void ApplyDpi() override;
  void AfterLayout() override;
  void ApplyTheme() override;

 protected:
  bool OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  std::vector<int> panels_;
};

class ProgressBar final : public Control {
 public:
  ProgressBar(Form& form, const Spec& spec);
  void SetRange(int min, int max);
  void SetPosition(int position);
  int Position() const;  // kept within the range by the bar
  void ApplyTheme() override;

 protected:
  bool OnOwnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

}  // namespace vandrel::ui
