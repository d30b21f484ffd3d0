#include "icons/get_big_icon_win32.h"

#include <shellapi.h>

#include "common/paths.h"
#include "icons/icon_extraction.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_shell.h"

namespace vandrel {
namespace {

// {46EB5926-582E-4017-9FDF-E8998DAA0950}
constexpr GUID kIidImageList = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};

using GetImageListFn = HRESULT(WINAPI*)(int, REFIID, void**);

}  // namespace

SystemImageList GetSystemImageList(int size) {
  HMODULE shell32 = ::LoadLibraryW(L"Shell32.dll");
  if (shell32 == nullptr) return nullptr;
  SystemImageList result;
  auto fn = reinterpret_cast<GetImageListFn>(reinterpret_cast<void*>(::GetProcAddress(shell32, MAKEINTRESOURCEA(727))));
  void* list = nullptr;
  if (fn != nullptr && SUCCEEDED(fn(size, kIidImageList, &list)) && list != nullptr)
    result.reset(static_cast<IUnknown*>(list));
  // Shell32 stays loaded by the program itself, so the list outlives this reference.
  ::FreeLibrary(shell32);
  return result;
}

HIMAGELIST AsImageList(const SystemImageList& list) { return reinterpret_cast<HIMAGELIST>(list.get()); }

UniqueIcon GetShellIcon(const std::string& path, int size) {
  const std::wstring w = Widen(path);
  SHFILEINFOW info{};
  constexpr UINT kFlags = SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_SHELLICONSIZE;
  const DWORD_PTR found = ::SHGetFileInfoW(w.c_str(), 0, &info, sizeof info, kFlags);
  if (info.hIcon != nullptr) ::DestroyIcon(info.hIcon);
  UniqueIcon icon;
  if (found != 0) {
    if (SystemImageList list = GetSystemImageList(size)) icon.Reset(::ImageList_GetIcon(AsImageList(list), info.iIcon, ILD_NORMAL));
  }
  if (!icon) {
    SHFILEINFOW large{};
    if (::SHGetFileInfoW(w.c_str(), 0, &large, sizeof large, SHGFI_ICON) != 0) icon.Reset(large.hIcon);
  }
  return icon;
}

UniqueIcon GenericFolderIcon(int size) {
  UniqueIcon icon;
  if (SystemImageList list = GetSystemImageList(size))
    icon.Reset(::ImageList_GetIcon(AsImageList(list), GenericFolderIconIndex(), ILD_NORMAL));
  return icon;
}

std::string GetTempIconFolder() { return WithTrailingBackslash(Win32Shell().TempFolderPath()); }

}  // namespace vandrel

namespace vandrel {

UniqueIcon ExtractPreviewIcon(const std::string& path, int index, int size) {
  // ExtractIconW takes any index: a negative one names a resource id.
  UniqueIcon extracted;
  HICON raw = ::ExtractIconW(::GetModuleHandleW(nullptr), ToWinPath(path).c_str(), static_cast<UINT>(index));
  if (raw == nullptr || raw == reinterpret_cast<HICON>(1)) return {};
  extracted.Reset(raw);
  // Sharp at the size asked for, where the file has that size.
  UniqueIcon copy(static_cast<HICON>(::CopyImage(raw, IMAGE_ICON, size, size, LR_COPYFROMRESOURCE)));
  return copy ? std::move(copy) : std::move(extracted);
}

UniqueIcon IconFromIco(std::span<const std::byte> ico, int size) {
  const std::span<const std::byte> image = IcoImageFor(ico, size);
  if (image.empty()) return {};
  // The call reads the bytes only; it takes them as writable by old habit.
  return UniqueIcon(::CreateIconFromResourceEx(
      reinterpret_cast<PBYTE>(const_cast<std::byte*>(image.data())), static_cast<DWORD>(image.size()), TRUE,
      0x00030000, size, size, LR_DEFAULTCOLOR));
}

HIMAGELIST SystemImageListOf(bool large) {
  SHFILEINFOW info{};
  return reinterpret_cast<HIMAGELIST>(
      ::SHGetFileInfoW(L"", 0, &info, sizeof info, SHGFI_SYSICONINDEX | (large ? 0 : SHGFI_SMALLICON)));
}

int SystemIconIndex(const std::string& path) {
  SHFILEINFOW info{};
  ::SHGetFileInfoW(Widen(path).c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX);
  return info.iIcon;
}

int GenericFolderIconIndex() {
  SHFILEINFOW info{};
  ::SHGetFileInfoW(L"Folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
  return info.iIcon;
}

}  // namespace vandrel
