#include "browser/folder_list.h"

#include <array>

#include "platform/file_system.h"
#include "platform/text.h"

namespace vandrel {
namespace {

constexpr std::array<std::string_view, 16> kNeverListed = {
    "$RECYCLE.BIN", "System Volume Information", "$Recycle.Bin", "RECYCLER", "RECYCLED", "Thumbs.db",
    ".Trash",       ".Trash-1000",               ".local",       ".config",  ".cache",   ".git",
    ".svn",         ".hg",                       "__pycache__",  "node_modules"};

}  // namespace

bool IsSystemOrHiddenFolder(std::string_view folder_name) {
  for (std::string_view name : kNeverListed)
    if (EqualsAsciiNoCase(folder_name, name)) return true;
  return false;
}

std::string ListingDirectory(std::string_view path) {
  std::string dir(path);
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  return dir;
}

bool MayShowOwnFolderIcon(std::uint32_t attributes) {
  return (attributes & (kAttrReadOnly | kAttrSystem | kAttrReparsePoint)) != 0;
}

bool IsListedFolder(std::string_view name, std::uint32_t attributes) {
  if (name == "." || name == "..") return false;
  if ((attributes & kAttrDirectory) == 0) return false;
  if (attributes & (kAttrHidden | kAttrSystem)) return false;
  return !IsSystemOrHiddenFolder(name);
}

std::vector<ListedFolder> ListFolders(FileSystem& fs, std::string_view path) {
  const std::string dir = ListingDirectory(path);
  std::vector<ListedFolder> out;
  for (const FolderEntry& e : fs.ListFolder(dir))
    if (IsListedFolder(e.name, e.attributes))
      out.push_back(ListedFolder{e.name, dir + e.name, MayShowOwnFolderIcon(e.attributes)});
  return out;
}

std::string EnterFolder(std::string_view path_box, std::string_view caption) {
  std::string path(path_box);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += caption;
  path += '\\';
  return path;
}

}  // namespace vandrel
