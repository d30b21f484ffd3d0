#include "ui/menus.h"

#include <cstdint>

#include "platform/win32/wide.h"
#include "ui/app.h"
#include "ui/dpi.h"
#include "ui/form.h"

namespace vandrel::ui {

IconHandle LoadGlyphIcon(const wchar_t* resource, int size) {
  return IconHandle(static_cast<HICON>(::LoadImageW(Instance(), resource, IMAGE_ICON, size, size, 0)));
}

BitmapHandle LoadGlyphBitmap(const wchar_t* resource, int size) {
  IconHandle icon = LoadGlyphIcon(resource, size);
  if (!icon) return {};
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB};
  void* bits = nullptr;
  HDC screen = ::GetDC(nullptr);
  BitmapHandle bitmap(::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  ::ReleaseDC(nullptr, screen);
  ICONINFO info{};
  if (!bitmap || !::GetIconInfo(icon.get(), &info)) return {};
  BitmapHandle color_bitmap(info.hbmColor), mask_bitmap(info.hbmMask);
  const auto count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
  std::vector<std::uint32_t> color(count), mask(count);
  HDC dc = ::CreateCompatibleDC(nullptr);
  BITMAPINFO read = bi;
  const bool have_color = color_bitmap && ::GetDIBits(dc, color_bitmap.get(), 0, size, color.data(), &read, DIB_RGB_COLORS);
  read = bi;
  const bool have_mask = mask_bitmap && ::GetDIBits(dc, mask_bitmap.get(), 0, size, mask.data(), &read, DIB_RGB_COLORS);
  ::DeleteDC(dc);
  bool has_alpha = false;
  for (std::uint32_t p : color) has_alpha = has_alpha || (p >> 24) != 0;
  auto* out = static_cast<std::uint32_t*>(bits);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t p = have_color ? color[i] : 0;
    std::uint32_t a = has_alpha ? (p >> 24) : (have_mask && (mask[i] & 0xFFFFFF) != 0 ? 0 : 255);
    auto channel = [&](int shift) { return (((p >> shift) & 0xFF) * a / 255) << shift; };
    out[i] = (a << 24) | channel(16) | channel(8) | channel(0);
  }
  return bitmap;
}

MenuItem::MenuItem(Form& form, const MenuSpec& spec, HMENU owner)
    : Control(form, Spec{.name = spec.name, .parent = spec.parent, .caption = spec.caption},
              ComponentKind::kMenuItem, {"Caption", "Hint"}),
      type(spec.type),
      auto_check(spec.auto_check),
      shortcut(spec.shortcut),
      owner_menu(owner),
      command(static_cast<UINT>(id_)),
      glyph_resource_(spec.glyph),
      plain_caption_(spec.plain_caption) {
  if (type == Type::kSeparator) {
    ::AppendMenuW(owner_menu, MF_SEPARATOR, command, nullptr);
  } else {
    ::AppendMenuW(owner_menu, MF_STRING, command, DisplayText(spec.caption).c_str());
  }
  if (type == Type::kRadio) {
    // A radio item shows a dot when checked, whichever of its group it is.
    MENUITEMINFOW mi{sizeof mi};
    mi.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(owner_menu, command, FALSE, &mi);
    mi.fType |= MFT_RADIOCHECK;
    ::SetMenuItemInfoW(owner_menu, command, FALSE, &mi);
  }
  if (spec.submenu) Submenu();
  if (spec.checked) SetChecked(true);
  if (!spec.enabled) SetEnabled(false);
}

HMENU MenuItem::Submenu() {
  if (submenu_ == nullptr) {
    submenu_ = ::CreatePopupMenu();  // destroyed with the menu it hangs in
    MENUITEMINFOW mi{sizeof mi};
    mi.fMask = MIIM_SUBMENU;
    mi.hSubMenu = submenu_;
    ::SetMenuItemInfoW(owner_menu, command, FALSE, &mi);
  }
  return submenu_;
}

std::string MenuItem::GetProperty(std::string_view property) const {
  const auto it = props_.find(property);
  return it == props_.end() ? std::string() : it->second;
}

void MenuItem::SetProperty(std::string_view property, const std::string& value) {
  const auto it = props_.find(property);
  if (it == props_.end()) return;
  it->second = value;
  if (property != "Caption" || type == Type::kSeparator) return;
  std::wstring text = DisplayText(value);
  MENUITEMINFOW mi{sizeof mi};
  mi.fMask = MIIM_STRING;
  mi.dwTypeData = text.data();
  ::SetMenuItemInfoW(owner_menu, command, FALSE, &mi);
}

bool MenuItem::Enabled() const {
  return (::GetMenuState(owner_menu, command, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED)) == 0;
}

void MenuItem::SetEnabled(bool enabled) {
  ::EnableMenuItem(owner_menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MenuItem::SetChecked(bool on) {
  checked = on;
  ::CheckMenuItem(owner_menu, command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void MenuItem::ApplyDpi() {
  if (glyph_resource_ == nullptr) return;
  // The small-icon size of the window's own DPI, not the system's.
  BitmapHandle fresh = LoadGlyphBitmap(glyph_resource_, static_cast<int>(SystemMetricForDpi(SM_CXSMICON, form_.dpi())));
  if (!fresh) return;
  MENUITEMINFOW mi{sizeof mi};
  mi.fMask = MIIM_BITMAP;
  mi.hbmpItem = fresh.get();
  ::SetMenuItemInfoW(owner_menu, command, FALSE, &mi);
  glyph = std::move(fresh);  // the menu no longer shows the old one
}

std::vector<MenuItem*>* MenuItem::Siblings() {
  if (parent_ == nullptr) return nullptr;
  if (parent_->Kind() == ComponentKind::kPopupMenu) return &static_cast<PopupMenu*>(parent_)->items;
  return &static_cast<MenuItem*>(parent_)->items;
}

std::wstring MenuItem::DisplayText(const std::string& caption) const {
  std::wstring text = Widen(caption);
  if (plain_caption_) {
    std::wstring doubled;
    for (wchar_t c : text) {
      doubled += c;
      if (c == L'&') doubled += L'&';
    }
    text = std::move(doubled);
  }
  if (!shortcut.empty()) text += L"\t" + Widen(shortcut);
  return text;
}

MenuItem& MenuItem::AddOwnItem(MenuSpec spec) {
  spec.parent = this;
  own_items_.push_back(std::make_unique<MenuItem>(form_, spec, Submenu()));
  MenuItem& item = *own_items_.back();
  items.push_back(&item);
  form_.RegisterMenuCommand(item);
  return item;
}

void MenuItem::ClearOwnItems() {
  retired_items_.clear();
  for (auto& item : own_items_) {
    ::DeleteMenu(Submenu(), item->command, MF_BYCOMMAND);
    form_.UnregisterMenuCommand(item->command);
    std::erase(items, item.get());
  }
  retired_items_ = std::move(own_items_);
  own_items_.clear();
}

void MenuItem::Click() {
  if (auto_check && type == Type::kCheck) SetChecked(!checked);
  if (auto_check && type == Type::kRadio) {
    if (std::vector<MenuItem*>* siblings = Siblings())
      for (MenuItem* s : *siblings)
        if (s->type == Type::kRadio) s->SetChecked(s == this);
  }
  if (on_click) on_click();
}

PopupMenu::PopupMenu(Form& form, const Spec& spec) : Control(form, spec, ComponentKind::kPopupMenu, {"Hint"}) {
  menu = ::CreatePopupMenu();
}

PopupMenu::~PopupMenu() {
  if (menu) ::DestroyMenu(menu);
}

void PopupMenu::Popup(int x, int y) {
  HWND owner = form_.hwnd();
  ::SetForegroundWindow(owner);
  const UINT flags = (right_aligned ? TPM_RIGHTALIGN : TPM_LEFTALIGN) | TPM_TOPALIGN | TPM_RIGHTBUTTON;
  ::TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
  ::PostMessageW(owner, WM_NULL, 0, 0);
}

void PopupMenu::PopupUnder(const Control& control) {
  RECT r;
  ::GetWindowRect(control.hwnd(), &r);
  Popup(right_aligned ? r.right : r.left, r.bottom);
}

void PopupMenu::CloseOpenMenu() { ::EndMenu(); }

}  // namespace vandrel::ui
