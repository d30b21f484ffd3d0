#include "ui/window_prompts.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "config/product.h"
#include "platform/win32/wide.h"
#include "ui/message_dialog.h"

namespace vandrel::ui {

void WindowPrompts::ShowMessage(const std::string& text) {
  ShowMessageBox(::GetActiveWindow(), text, std::string(kApplicationTitle));
}

void WindowPrompts::ShowError(const std::string& text, const std::string& title) {
  ShowMessageBox(::GetActiveWindow(), text, title, MessageDialogSpec::Icon::kError);
}

bool WindowPrompts::Confirm(const std::string& text, const std::string& title) {
  return AskYesNo(::GetActiveWindow(), text, title);
}

std::optional<std::string> WindowPrompts::ChooseFile(const FileDialog& dialog) {
  // "Name|pattern|Name|pattern" becomes the dialog's NUL-separated pairs.
  std::wstring filter = Widen(dialog.filter);
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.append(2, L'\0');
  // Room for any path the file system takes, not only MAX_PATH.
  std::vector<wchar_t> name(32768, L'\0');
  const std::wstring proposed = Widen(dialog.file_name);
  if (proposed.size() < name.size()) std::copy(proposed.begin(), proposed.end(), name.begin());
  const std::wstring title = Widen(dialog.title);
  const std::wstring extension = Widen(dialog.default_extension);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = ::GetActiveWindow();
  ofn.lpstrFilter = dialog.filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  BOOL picked;
  if (dialog.kind == FileDialog::Kind::kOpen) {
    ofn.Flags |= OFN_FILEMUSTEXIST;
    picked = ::GetOpenFileNameW(&ofn);
  } else {
    // Nobody loses a file to a slip of the mouse.
    ofn.Flags |= OFN_OVERWRITEPROMPT;
    picked = ::GetSaveFileNameW(&ofn);
  }
  if (!picked) return std::nullopt;
  return Narrow(name.data());
}

}  // namespace vandrel::ui
