#include "ui/controls/image.h"
#include "ui/controls/panels.h"

namespace vandrel::ui {

void RegisterControlClasses(HINSTANCE instance) {
  RegisterPanelClass(instance);
  RegisterImageClass(instance);
}

}  // namespace vandrel::ui
