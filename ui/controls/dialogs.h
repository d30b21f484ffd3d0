// The file dialogs as components: their title and filter are translatable
// texts; the prompts show them.
#pragma once

#include "ui/control.h"

namespace vandrel::ui {

class OpenDialog final : public Control {
 public:
  OpenDialog(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kOpenDialog, {"Title", "Filter"}) {}
};

class SaveDialog final : public Control {
 public:
  SaveDialog(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kSaveDialog, {"Title", "Filter"}) {}
};

}  // namespace vandrel::ui
