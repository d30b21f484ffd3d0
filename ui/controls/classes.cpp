#include "ui/controls/image.h"
#include "ui/controls/panels.h"

namespace vandrel::ui {

void RegisterControlClasses(HINSTANCE) {
  RegisterPanelClass();
  RegisterImageClass();
}

}  // namespace vandrel::ui
