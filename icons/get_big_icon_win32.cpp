#include "icons/get_big_icon_win32.h"

#include <shellapi.h>

#include "common/paths.h"
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
    if (SystemImageList list = GetSystemImageList(size)) icon.reset(::ImageList_GetIcon(AsImageList(list), info.iIcon, ILD_NORMAL));
  }
  if (!icon) {
    SHFILEINFOW large{};
    if (::SHGetFileInfoW(w.c_str(), 0, &large, sizeof large, SHGFI_ICON) != 0) icon.reset(large.hIcon);
  }
  return icon;
}

std::string GetTempIconFolder() { return WithTrailingBackslash(Win32Shell().TempFolderPath()); }

}  // namespace vandrel
