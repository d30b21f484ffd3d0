#include "platform/win32/system_version.h"

#include <windows.h>

namespace vandrel {

const SystemVersion& CurrentSystemVersion() {
  static const SystemVersion version = [] {
    SystemVersion v;
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr) return v;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (auto fn = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
        fn != nullptr && fn(&info) == 0) {
      v.major = info.dwMajorVersion;
      v.minor = info.dwMinorVersion;
      v.build = info.dwBuildNumber;
    }
    v.wine = ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    return v;
  }();
  return version;
}

}  // namespace vandrel
