#include "ui/controls/bars.h"

#include "platform/win32/wide.h"
#include "ui/dark_paint.h"
#include "ui/theme.h"

namespace vandrel::ui {

StatusBar::StatusBar(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kStatusBar, {"Hint"}) {
  CreateControlWindow(0, STATUSCLASSNAMEW, CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, "");
  Subclass();
}

bool StatusBar::OnOwnMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
  return PaintDarkInstead(hwnd, msg, result, [&](HDC dc) { PaintDarkStatusBar(hwnd, dc); });
}

void StatusBar::ApplyTheme() { ::InvalidateRect(hwnd_, nullptr, TRUE); }

void StatusBar::SetPanels(std::vector<int> widths) {
  panels_ = std::move(widths);
  std::vector<int> edges;
  int x = 0;
  for (int w : panels_) {
    x = w < 0 ? -1 : x + Scale(w);
    edges.push_back(x);
  }
  ::SendMessageW(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void StatusBar::ApplyDpi() {
  Control::ApplyDpi();
  if (!panels_.empty()) SetPanels(panels_);
}

void StatusBar::AfterLayout() { ::SendMessageW(hwnd_, WM_SIZE, 0, 0); }

void StatusBar::SetPanelText(int panel, const std::string& text, bool right_aligned) {
  // Two tabs before the text set it flush right in its panel.
  const std::wstring w = (right_aligned ? L"\t\t" : L"") + Widen(text);
  const WPARAM reading = right_aligned && ::GetSystemMetrics(SM_MIDEASTENABLED) ? SBT_RTLREADING : 0;
  ::SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(panel) | reading, reinterpret_cast<LPARAM>(w.c_str()));
}

std::string StatusBar::PanelText(int panel) const {
  const LRESULT n = LOWORD(::SendMessageW(hwnd_, SB_GETTEXTLENGTHW, panel, 0));
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  ::SendMessageW(hwnd_, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(n));
  return Narrow(text);
}

ProgressBar::ProgressBar(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kProgressBar, {"Hint"}) {
  CreateControlWindow(0, PROGRESS_CLASSW, 0, "");
  Subclass();
}

bool ProgressBar::OnOwnMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
  return PaintDarkInstead(hwnd, msg, result, [&](HDC dc) { PaintDarkProgressBar(hwnd, dc); });
}

void ProgressBar::ApplyTheme() { ::InvalidateRect(hwnd_, nullptr, TRUE); }

void ProgressBar::SetRange(int min, int max) { ::SendMessageW(hwnd_, PBM_SETRANGE32, min, max); }
void ProgressBar::SetPosition(int position) { ::SendMessageW(hwnd_, PBM_SETPOS, position, 0); }
int ProgressBar::Position() const { return static_cast<int>(::SendMessageW(hwnd_, PBM_GETPOS, 0, 0)); }

}  // namespace vandrel::ui
