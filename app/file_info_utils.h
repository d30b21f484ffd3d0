// Text from the version resource of an executable: the normalised file
// version, the copyright line, the company name. Nothing here raises or shows
// anything: missing information is empty text.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/version_resource.h"

namespace vandrel {

inline constexpr std::string_view kDefaultTranslationKey = "040904E4";

// What VerQueryValueW gives for a sub-block: where its value starts inside the
// block, the length it reports (characters for text, bytes otherwise) and how
// many bytes of the block really follow the start of the value.
struct VersionQueryResult {
  std::size_t offset = 0;
  std::uint32_t length = 0;
  std::size_t available = 0;
};

// Finds a sub-block such as "\", "VarFileInfo\Translation" or
// "StringFileInfo\040904E4\FileVersion"; names match without regard to case.
std::optional<VersionQueryResult> QueryVersionValue(std::span<const std::byte> block,
                                                    std::string_view sub_block);

std::string SelectTranslationKey(std::span<const std::byte> block);
std::string VersionValueFromBlock(std::span<const std::byte> block, std::string_view name);
std::string FileVersionFromBlock(std::span<const std::byte> block);

std::string GetVersionInfoValue(VersionResourceReader& reader, const std::string& path,
                                std::string_view name);
std::string GetFileVersion(VersionResourceReader& reader, const std::string& path);
std::string GetLegalCopyright(VersionResourceReader& reader, const std::string& path);
std::string GetCompanyName(VersionResourceReader& reader, const std::string& path);

}  // namespace vandrel
