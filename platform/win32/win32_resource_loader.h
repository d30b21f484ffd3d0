// Executables opened through the system loader as data files. Since Windows 10
// 1903 the icons of many system files (shell32.dll, imageres.dll, notepad.exe)
// live in C:\Windows\SystemResources\*.mun, which only the loader's view of the
// file shows; it is also the view ExtractIconW and Explorer index into.
#pragma once

#include "platform/resource_file.h"

namespace vandrel {

class Win32ResourceLoader final : public ResourceLoader {
 public:
  std::unique_ptr<ResourceFile> Open(const std::string& path) override;
};

}  // namespace vandrel
