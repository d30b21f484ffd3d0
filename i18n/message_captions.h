// Every text the program shows in a message box or a status line is the
// caption of an invisible item of its window's PopupMenuLanguage menu, so a
// language file translates it like any other caption. Core code asks for the
// current caption by the item's name.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace vandrel {

class MessageCaptions {
 public:
  virtual ~MessageCaptions() = default;
  virtual std::string Caption(std::string_view item) const = 0;
};

struct CaptionItem {
  std::string_view name;
  std::string_view caption;
};

// The main window's message items with their design-time captions, in menu order.
std::span<const CaptionItem> MainWindowMessageItems();
// The update window's, likewise.
std::span<const CaptionItem> UpdateWindowMessageItems();

// Captions as designed, before any language file is applied.
class DesignTimeCaptions final : public MessageCaptions {
 public:
  std::string Caption(std::string_view item) const override;
};

}  // namespace vandrel
