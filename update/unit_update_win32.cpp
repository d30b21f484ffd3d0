#include "update/unit_update_win32.h"

namespace vandrel {

TForm10::TForm10()
    : ui::Form(Options{.name = "Form10", .caption = "Обновление", .client_width = 434, .client_height = 191,
                       .min_width = 400, .min_height = 230, .sizable = false, .app_window = true,
                       .font_face = L"Segoe UI", .font_points = 9, .double_buffered = true}) {
  CenterOnDesktop();
}

}  // namespace vandrel
