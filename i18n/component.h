// What the translation engine sees of a window and its components: names,
// kinds, and text properties read and written by name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

enum class ComponentKind {
  kForm,
  kButton,
  kSpeedButton,
  kEdit,         // a plain single-line edit box
  kLabeledEdit,  // an edit box with a caption label attached to it
  kMemo,
  kSpinEdit,
  kCheckBox,
  kComboBox,
  kCheckListBox,
  kListView,
  kStatusBar,
  kProgressBar,
  kGroupBox,
  kTabControl,   // a framed panel (a tab control without tabs)
  kImage,
  kLabel,
  kPopupMenu,
  kMenuItem,
  kOpenDialog,
  kSaveDialog,
};

class Component {
 public:
  virtual ~Component() = default;
  virtual const std::string& Name() const = 0;
  virtual ComponentKind Kind() const = 0;
  // Text properties: "Caption", "Hint", "Title", "Text", "TextHint", "Filter".
  virtual bool HasProperty(std::string_view property) const = 0;
  virtual std::string GetProperty(std::string_view property) const = 0;
  virtual void SetProperty(std::string_view property, const std::string& value) = 0;
  // Lists of texts: "Columns" (list-view column captions), "Tabs", "Items".
  virtual std::vector<std::string> GetStrings(std::string_view list) const = 0;
  virtual void SetString(std::string_view list, std::size_t index, const std::string& value) = 0;
  // The caption label of a labelled edit box, a component of its own name;
  // nullptr for every other kind.
  virtual Component* AttachedLabel() { return nullptr; }
};

// A window: itself a component, and the owner of components in creation order.
class ComponentOwner {
 public:
  virtual ~ComponentOwner() = default;
  virtual Component& Self() = 0;
  virtual std::vector<Component*> Components() = 0;
  // The component of that name, compared without regard to case; nullptr if none.
  virtual Component* FindComponent(std::string_view name) = 0;
};

}  // namespace vandrel
