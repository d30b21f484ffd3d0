// Popup menus and their items; each item is a component with a caption, so
// the translation engine reaches menus as it reaches controls.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/gdi_handles.h"
#include "ui/control.h"

namespace vandrel::ui {

enum class MenuItemType { kItem, kSeparator, kCheck, kRadio };

struct MenuSpec {
  std::string name;
  Control* parent = nullptr;  // the popup menu or the item whose submenu it joins
  std::string caption;
  MenuItemType type = MenuItemType::kItem;
  bool auto_check = false;  // checks (radio) or toggles (check) itself on click
  bool checked = false;
  std::string shortcut;     // shown after a tab, e.g. "F5"
  const wchar_t* glyph = nullptr;  // a small picture beside the caption, an icon resource
  bool enabled = true;
  bool submenu = false;     // opens a submenu, even an empty one
  bool plain_caption = false;  // shown exactly as it stands: "&" marks no accelerator
};

// A menu item (also the caption-only items of PopupMenuLanguage).
class MenuItem final : public Control {
 public:
  using Type = MenuItemType;
  MenuItem(Form& form, const MenuSpec& spec, HMENU owner_menu);
  void SetProperty(std::string_view property, const std::string& value) override;
  std::string GetProperty(std::string_view property) const override;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  void ApplyDpi() override;
  void SetChecked(bool on);
  // The submenu its items go into, made on first use.
  HMENU Submenu();
  // Runs on a click from the menu: checks itself as its kind says, then on_click.
  void Click();
  // Items this item owns itself, in its submenu: they are no components of
  // the window, so translation and clean-up never see them.
  MenuItem& AddOwnItem(MenuSpec spec);
  // Takes them out of the menu. The objects live on until the next clearing,
  // so the click handler of one of them may rebuild the menu it is in.
  void ClearOwnItems();
  std::function<void()> on_click;

  const Type type;
  const bool auto_check;
  bool checked = false;
  const std::string shortcut;
  std::vector<MenuItem*> items;
  BitmapHandle glyph;
  HMENU owner_menu = nullptr;
  UINT command = 0;

 private:
  std::vector<MenuItem*>* Siblings();
  std::wstring DisplayText(const std::string& caption) const;
  const wchar_t* glyph_resource_ = nullptr;
  const bool plain_caption_ = false;
  std::vector<std::unique_ptr<MenuItem>> own_items_, retired_items_;
  HMENU submenu_ = nullptr;
};

class PopupMenu final : public Control {
 public:
  PopupMenu(Form& form, const Spec& spec);
  ~PopupMenu() override;
  std::vector<MenuItem*> items;
  HMENU menu = nullptr;
  bool right_aligned = false;
  // Shows the menu with its corner at a screen point.
  void Popup(int x, int y);
  // Under a control: from its bottom-right corner when the menu is
  // right-aligned, else from its bottom-left corner.
  void PopupUnder(const Control& control);
  // Closes whichever menu is open.
  static void CloseOpenMenu();
};

// A program icon resource at a size, and the same as a 32-bit pre-multiplied
// bitmap, which menus draw with its transparency.
IconHandle LoadGlyphIcon(const wchar_t* resource, int size);
BitmapHandle LoadGlyphBitmap(const wchar_t* resource, int size);

}  // namespace vandrel::ui
