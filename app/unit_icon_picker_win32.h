// The icon picker, TFormIconPicker: every icon group of an executable at a
// glance, as a grid of large previews with the index under each.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/win32/win32_resource_loader.h"
#include "ui/ui.h"

namespace vandrel {

class TFormIconPicker final : public ui::Form {
 public:
  TFormIconPicker();
  ~TFormIconPicker() override;

  // Shows the icons of `file` with the one at `current` selected, and waits
  // until the window closes. `on_choose` runs with each icon chosen (a
  // click, Enter, a double click). True when the window closed with a
  // choice (OK, Enter, a double click); false when it was cancelled.
  bool Pick(const std::string& file, int current, std::function<void(int index)> on_choose);

  // Fills the grid: the cells on screen at once, the others on a worker
  // thread that hands them over as they are ready.
  void Load(const std::string& file, int current);
  // Stops the worker and waits for it.
  void StopLoading();
  bool Loading() const { return worker_.Running(); }

  // In creation order.
  ui::FramedPanel& PanelButtons;
  ui::Button& ButtonCancel;
  ui::Button& ButtonOk;
  ui::IconGrid& GridIcons;

 private:
  void Choose(int item, bool close);
  void Finish(bool chosen);
  int PreviewSize() const { return Scale(48); }

  std::string file_;
  std::function<void(int)> on_choose_;
  bool chosen_ = false;
  Win32ResourceLoader loader_;
  std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
  ui::BackgroundTask worker_;
};

}  // namespace vandrel
