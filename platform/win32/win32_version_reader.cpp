#include "platform/win32/win32_version_reader.h"

#include "platform/win32/wide.h"

namespace vandrel {

std::optional<Bytes> Win32VersionReader::ReadVersionResource(const std::string& path) {
  const std::wstring w = ToWinPath(path);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(w.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  Bytes block(size);  // zero-filled
  if (!::GetFileVersionInfoW(w.c_str(), 0, size, block.data())) return std::nullopt;
  return block;
}

}  // namespace vandrel
