#include "update/unit_update_win32.h"

namespace vandrel {

TForm10::TForm10() : ui::Form(Options{"Form10", "Обновление", 434, 191, 400, 230, false, true, L"Segoe UI", 9}) {
  CenterOnDesktop();
}

}  // namespace vandrel
