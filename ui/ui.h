// The component layer in one include: the application, windows, menus and
// every control kind.
#pragma once

#include "ui/app.h"
#include "ui/controls/bars.h"
#include "ui/controls/button.h"
#include "ui/controls/combo_box.h"
#include "ui/controls/dialogs.h"
#include "ui/controls/edit.h"
#include "ui/controls/image.h"
#include "ui/controls/icon_grid.h"
#include "ui/controls/list_view.h"
#include "ui/controls/panels.h"
#include "ui/form.h"
#include "ui/menus.h"
#include "ui/theme.h"
