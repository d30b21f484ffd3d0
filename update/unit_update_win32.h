// The update window, TForm10. Its controls and the update check come with the
// updater; until then it is the window with its caption.
#pragma once

#include "ui/ui.h"

namespace vandrel {

class TForm10 final : public ui::Form {
 public:
  TForm10();
};

}  // namespace vandrel
