#include "ui/controls/combo_box.h"

#include "platform/win32/wide.h"
#include "ui/dark_paint.h"
#include "ui/theme.h"

namespace vandrel::ui {

ComboBox::ComboBox(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kComboBox, {"Hint", "Text", "TextHint"}) {
  CreateControlWindow(0, WC_COMBOBOXW, WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, "");
  Subclass();
}

bool ComboBox::OnOwnMessage(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT& result) {
  return PaintDarkInstead(hwnd, msg, result, [&](HDC dc) { PaintDarkDropDown(hwnd, dc); });
}

void ComboBox::ApplyTheme() {
  // Windows' dark theme class for the open list and its scroll bar.
  UseDarkScrollBars(hwnd_, Theme::Current().dark(), L"DarkMode_CFD");
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void ComboBox::Clear() { ::SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); }

int ComboBox::Add(const std::string& text) {
  const std::wstring w = Widen(text);
  return static_cast<int>(::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str())));
}

int ComboBox::Count() const { return static_cast<int>(::SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }

std::string ComboBox::Item(int index) const {
  const LRESULT n = ::SendMessageW(hwnd_, CB_GETLBTEXTLEN, index, 0);
  if (n < 0) return {};
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  ::SendMessageW(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(n));
  return Narrow(text);
}

std::vector<std::string> ComboBox::Items() const {
  std::vector<std::string> out;
  for (int i = 0, n = Count(); i < n; ++i) out.push_back(Item(i));
  return out;
}

void ComboBox::Select(int index) { ::SendMessageW(hwnd_, CB_SETCURSEL, index, 0); }

void ComboBox::OnCommand(UINT code) {
  if (code == CBN_SELCHANGE && on_change) on_change();
}

}  // namespace vandrel::ui
