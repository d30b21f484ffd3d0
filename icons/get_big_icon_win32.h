// The shell's icons of paths, at the extra-large 48 x 48 size by default.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <unknwn.h>

#include <memory>
#include <span>
#include <string>

#include "platform/win32/gdi_handles.h"

namespace vandrel {

inline constexpr int kShilExtraLarge = 2;  // SHIL_EXTRALARGE, 48 x 48

using UniqueIcon = IconHandle;

struct ImageListReleaser {
  void operator()(IUnknown* list) const { list->Release(); }
};
// The shell's system image list; releasing our reference never destroys it.
using SystemImageList = std::unique_ptr<IUnknown, ImageListReleaser>;

// Shell32's SHGetImageList (ordinal 727) for the size code; null when missing.
SystemImageList GetSystemImageList(int size);
// The interface pointer serves directly as the image-list handle.
HIMAGELIST AsImageList(const SystemImageList& list);

// The icon Explorer shows for a file or folder (a custom folder icon
// included); falls back to the 32 x 32 icon; null for a path the shell does
// not know.
UniqueIcon GetShellIcon(const std::string& path, int size = kShilExtraLarge);

// The icon at `index` of a file (a negative index names a resource id, as
// in an icon location), at size x size; null when there is none.
UniqueIcon ExtractPreviewIcon(const std::string& path, int index, int size);

// The image of an .ico file (its bytes) best suited to size x size, as an
// icon of that size; null when the file holds none Windows can read.
UniqueIcon IconFromIco(std::span<const std::byte> ico, int size);

// The shell's system image list of small or large icons, shared: never
// destroyed by its users.
HIMAGELIST SystemImageListOf(bool large);
// A path's index in those lists.
int SystemIconIndex(const std::string& path);
// The index of the generic folder icon, what every folder without an icon
// of its own shows; the disk is not touched.
int GenericFolderIconIndex();
// The generic folder icon at size x size (from the shell's lists).
UniqueIcon GenericFolderIcon(int size = kShilExtraLarge);

// The user's temporary folder with exactly one trailing backslash.
std::string GetTempIconFolder();

}  // namespace vandrel
