#include "platform/prompts.h"

namespace vandrel {

std::optional<std::string> Prompts::ChooseFile(const FileDialog&) { return std::nullopt; }

}  // namespace vandrel
