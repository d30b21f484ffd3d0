#include "common/paths.h"

#include "platform/text.h"

namespace vandrel {

std::string CollapseBackslashes(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    out.push_back(path[i]);
    if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') ++i;
  }
  return out;
}

std::string WithTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '\\') out.push_back('\\');
  return out;
}

std::string_view NamePart(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string FolderPart(std::string_view path) { return std::string(path.substr(0, path.size() - NamePart(path).size())); }

std::string_view Extension(std::string_view path) {
  const std::string_view name = NamePart(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

bool HasExtension(std::string_view path, std::string_view extension) {
  return EqualsNoCase(Extension(path), extension);
}

std::string_view DrivePart(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    // \\server\share: up to, not including, the backslash after the share.
    const std::size_t server_end = path.find('\\', 2);
    if (server_end == std::string_view::npos) return path;
    const std::size_t share_end = path.find('\\', server_end + 1);
    return share_end == std::string_view::npos ? path : path.substr(0, share_end);
  }
  return {};
}

}  // namespace vandrel
