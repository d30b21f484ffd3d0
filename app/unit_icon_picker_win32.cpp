#include "app/unit_icon_picker_win32.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "icons/get_big_icon_win32.h"
#include "icons/icon_extraction.h"

namespace vandrel {
namespace {

using ui::Dock;

// The group drawn at size x size; null when it is damaged beyond showing.
IconHandle GroupPreview(ResourceFile& file, const ResourceName& group, int size) {
  try {
    const std::optional<Bytes> ico = BuildIcoFile(file, group);
    return ico ? IconFromIco(*ico, size) : IconHandle();
  } catch (...) {
    return {};  // an unreadable group simply stays an empty cell
  }
}

}  // namespace

TFormIconPicker::TFormIconPicker()
    : ui::Form(Options{.name = "FormIconPicker", .caption = "Выбор иконки", .client_width = 520, .client_height = 380,
                       .min_width = 300, .min_height = 240, .sizable = true, .app_window = true,
                       .font_face = L"Segoe UI", .font_points = 9, .double_buffered = true}),
      PanelButtons(Add<ui::FramedPanel>({.name = "PanelButtons", .dock = Dock::kBottom, .height = 40})),
      ButtonCancel(Add<ui::Button>({.name = "ButtonCancel", .parent = &PanelButtons, .dock = Dock::kRight,
                                    .width = 100, .caption = "Отмена"})),
      ButtonOk(Add<ui::Button>({.name = "ButtonOk", .parent = &PanelButtons, .dock = Dock::kRight, .width = 100,
                                .caption = "ОК", .font = {.bold = true}})),
      GridIcons(Add<ui::IconGrid>({.name = "GridIcons", .dock = Dock::kFill})) {
  GridIcons.item_text = [](int item) { return std::to_string(item); };
  GridIcons.on_click = [this](int item) { Choose(item, false); };
  GridIcons.on_activate = [this](int item) { Choose(item, true); };
  GridIcons.on_dpi_change = [this] {
    // Sharp previews at the new size.
    if (!file_.empty() && GridIcons.PictureSize() != PreviewSize()) Load(file_, GridIcons.Selected());
  };
  ButtonOk.on_click = [this] {
    const int item = GridIcons.Selected();
    if (item >= 0) {
      Choose(item, true);
    } else {
      Finish(false);
    }
  };
  ButtonCancel.on_click = [this] { Finish(false); };
  keys[VK_ESCAPE] = [this] { Finish(false); };
  on_close = [this] {
    chosen_ = false;
    StopLoading();
  };
  on_show = [this] { GridIcons.Focus(); };
  SetDefaultButton(&ButtonOk);
  Relayout();
  CenterOnDesktop();
}

TFormIconPicker::~TFormIconPicker() {
  StopLoading();
  DestroyNow();
}

bool TFormIconPicker::Pick(const std::string& file, int current, std::function<void(int index)> on_choose) {
  on_choose_ = std::move(on_choose);
  chosen_ = false;
  Load(file, current);
  ShowModal();
  StopLoading();
  on_choose_ = {};
  return chosen_;
}

void TFormIconPicker::Load(const std::string& file, int current) {
  StopLoading();
  file_ = file;
  std::vector<ResourceName> groups;
  std::unique_ptr<ResourceFile> resources;
  try {
    resources = loader_.Open(file);
    if (resources) groups = ListIconGroups(*resources);
  } catch (...) {
    groups.clear();  // not an executable we can read: an empty grid
  }
  const int size = PreviewSize();
  const int count = static_cast<int>(groups.size());
  GridIcons.Reset(count, size);
  if (count == 0) return;
  const int selected = std::clamp(current, 0, count - 1);
  GridIcons.Select(selected);

  // The cells on screen are drawn now, so the window opens with them; the
  // others follow, those nearest the screen first.
  const ui::IconGrid::Screen screen = GridIcons.ScreenAround(selected);
  for (int i = screen.first; i < screen.end; ++i)
    GridIcons.SetPicture(i, GroupPreview(*resources, groups[static_cast<std::size_t>(i)], size).get());
  std::vector<int> rest;
  for (int i = screen.end; i < count; ++i) rest.push_back(i);
  for (int i = screen.first - 1; i >= 0; --i) rest.push_back(i);
  if (rest.empty()) return;

  // The others on a thread of their own, handed over in small batches.
  stop_ = std::make_shared<std::atomic<bool>>(false);
  worker_.Start([this, stop = stop_, file, groups = std::move(groups), rest = std::move(rest), size] {
    Win32ResourceLoader loader;
    const std::unique_ptr<ResourceFile> own = loader.Open(file);
    if (!own) return;
    std::vector<std::pair<int, IconHandle>> batch;
    auto hand_over = [&] {
      if (batch.empty() || *stop) return;
      ui::RunOnUiThread([&] {
        if (*stop) return;
        for (const auto& [item, icon] : batch) GridIcons.SetPicture(item, icon.get());
      });
      batch.clear();
    };
    auto last = std::chrono::steady_clock::now();
    for (const int item : rest) {
      if (*stop) return;
      batch.emplace_back(item, GroupPreview(*own, groups[static_cast<std::size_t>(item)], size));
      const auto now = std::chrono::steady_clock::now();
      if (batch.size() >= 24 || now - last >= std::chrono::milliseconds(60)) {
        hand_over();
        last = now;
      }
    }
    hand_over();
  });
}

void TFormIconPicker::StopLoading() {
  *stop_ = true;
  worker_.Wait();
}

void TFormIconPicker::Choose(int item, bool close) {
  if (item < 0 || item >= GridIcons.Count()) return;
  if (on_choose_) on_choose_(item);
  if (close) Finish(true);
}

void TFormIconPicker::Finish(bool chosen) {
  chosen_ = chosen;
  StopLoading();
  Hide();
}

}  // namespace vandrel
