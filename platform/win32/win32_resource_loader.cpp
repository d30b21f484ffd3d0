#include "platform/win32/win32_resource_loader.h"

#include "platform/win32/wide.h"

#include <exception>

namespace vandrel {
namespace {

struct EnumContext {
  const std::function<void(const ResourceName&)>* visit;
  std::exception_ptr error;  // nothing may unwind through the system's frames
};

BOOL CALLBACK VisitName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* c = reinterpret_cast<EnumContext*>(param);
  try {
    if (IS_INTRESOURCE(name)) {
      (*c->visit)(ResourceName::Id(static_cast<std::uint16_t>(reinterpret_cast<ULONG_PTR>(name))));
    } else {
      (*c->visit)(ResourceName::String(Narrow(name)));
    }
    return TRUE;
  } catch (...) {
    c->error = std::current_exception();
    return FALSE;
  }
}

bool IsReadable(const void* start, std::size_t size) {
  auto p = reinterpret_cast<std::uintptr_t>(start);
  const std::uintptr_t end = p + size;
  if (end < p) return false;
  while (p < end) {
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(reinterpret_cast<const void*>(p), &info, sizeof info) == 0) return false;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                           PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (info.State != MEM_COMMIT || (info.Protect & readable) == 0 || (info.Protect & PAGE_GUARD)) return false;
    p = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
  }
  return true;
}

class LoadedModule final : public ResourceFile {
 public:
  explicit LoadedModule(HMODULE module) : module_(module) {}
  ~LoadedModule() override { ::FreeLibrary(module_); }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  void EnumerateNames(std::uint16_t type, const std::function<void(const ResourceName&)>& visit) override {
    EnumContext context{&visit, nullptr};
    ::EnumResourceNamesW(module_, MAKEINTRESOURCEW(type), &VisitName, reinterpret_cast<LONG_PTR>(&context));
    if (context.error) std::rethrow_exception(context.error);
  }

  std::optional<Bytes> Find(std::uint16_t type, const ResourceName& name) override {
    const std::wstring text = name.is_id ? std::wstring() : Widen(name.text);
    const wchar_t* key = name.is_id ? MAKEINTRESOURCEW(name.id) : text.c_str();
    HRSRC info = ::FindResourceW(module_, key, MAKEINTRESOURCEW(type));
    if (info == nullptr) return std::nullopt;
    HGLOBAL loaded = ::LoadResource(module_, info);
    if (loaded == nullptr) return std::nullopt;
    const DWORD size = ::SizeofResource(module_, info);
    const void* bytes = ::LockResource(loaded);
    std::optional<Bytes> result;
    // A damaged file may declare data past its end, where the mapping stops:
    // look before copying, and copy in a way that fails instead of faulting.
    if (bytes != nullptr && IsReadable(bytes, size)) {
      Bytes copy(size);
      SIZE_T copied = 0;
      if (::ReadProcessMemory(::GetCurrentProcess(), bytes, copy.data(), size, &copied) && copied == size)
        result = std::move(copy);
    }
    ::FreeResource(loaded);
    return result;
  }

 private:
  HMODULE module_;
};

}  // namespace

std::unique_ptr<ResourceFile> Win32ResourceLoader::Open(const std::string& path) {
  // Keep the loader quiet about files it cannot map.
  const UINT old_mode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = ::LoadLibraryExW(ToWinPath(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ::SetErrorMode(old_mode);
  if (module == nullptr) return nullptr;
  return std::make_unique<LoadedModule>(module);
}

}  // namespace vandrel
