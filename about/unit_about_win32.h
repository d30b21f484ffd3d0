// The About window, TForm8: the program's icon, its full title, the copyright
// line and the maker's contact links.
#pragma once

#include <functional>
#include <string>

#include "platform/win32/win32_desktop.h"
#include "ui/ui.h"

namespace vandrel {

class TForm8 final : public ui::Form {
 public:
  // `main_caption` gives the main window's caption at each showing.
  TForm8(std::function<std::string()> main_caption, std::string legal_copyright);
  ~TForm8() override { DestroyNow(); }

  void FormShow();
  // The target each link opens.
  static std::string LinkTarget(std::string_view label);

  // In creation order.
  ui::FramedPanel& TabControlButtons;
  ui::Button& Button1;
  ui::FramedPanel& TabControlBody;
  ui::Label& LabelVersion;
  ui::Label& LabelCopyright;
  ui::Label& LabelTelegram;
  ui::Label& LabelGMail;
  ui::Label& LabelYaMail;
  ui::Label& LabelMainWebSite;
  ui::Image& Image1;

 private:
  ui::Label& AddLink(const char* name, const std::string& caption);
  std::function<std::string()> main_caption_;
  Win32Desktop desktop_;
};

}  // namespace vandrel
