// The folder list: which entries of a folder are listed, and the path-box joins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace vandrel {

// One of the 16 names that are never listed, letters A-Z matched without case.
bool IsSystemOrHiddenFolder(std::string_view folder_name);

// The folder to search: `path` with a trailing backslash ("" becomes "\").
std::string ListingDirectory(std::string_view path);

// Whether a listed folder may show an icon other than the generic folder
// icon: Explorer reads a folder's Desktop.ini only when the folder is
// read-only or system, and a reparse point (a mount point, a cloud folder)
// takes its picture from elsewhere. Every other folder shows the generic one.
bool MayShowOwnFolderIcon(std::uint32_t attributes);

// Whether a search entry becomes a list item: a folder, neither hidden nor
// system, not "." or "..", and not a never-listed name.
bool IsListedFolder(std::string_view name, std::uint32_t attributes);

struct ListedFolder {
  std::string caption;    // the folder's name
  std::string full_path;  // the listing directory and the name, no trailing backslash
  bool own_icon = false;  // MayShowOwnFolderIcon of its attributes
};

// The sub-folders of `path` that the list shows, in the search's own order.
std::vector<ListedFolder> ListFolders(FileSystem& fs, std::string_view path);

// The path box after double-clicking `caption`: one backslash between them
// and one at the end (C: and Games give C:\Games\).
std::string EnterFolder(std::string_view path_box, std::string_view caption);

}  // namespace vandrel
