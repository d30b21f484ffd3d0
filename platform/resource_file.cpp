#include "platform/resource_file.h"

namespace vandrel {

std::string ResourceName::ListText() const { return is_id ? "ID:" + std::to_string(id) : text; }

}  // namespace vandrel
