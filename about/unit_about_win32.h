// The About window, TForm8: the program's icon, its full title, the copyright
// line and the maker's contact links.
#pragma once

#include <functional>
#include <string>

#include "ui/ui.h"

namespace vandrel {

class TForm8 final : public ui::Form {
 public:
  // `main_caption` gives the main window's caption at each showing.
  TForm8(std::function<std::string()> main_caption, std::string legal_copyright);

  void FormShow();
  // The target each link opens.
  static std::string LinkTarget(std::string_view label);

 private:
  void OpenLink(std::string_view label);
  std::function<std::string()> main_caption_;
  HFONT link_font_ = nullptr;
  HFONT bold_font_ = nullptr;
};

}  // namespace vandrel
