// The one pair of conversions between portable UTF-8 text and Windows' UTF-16,
// plus the path and error-text helpers every adapter needs.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vandrel {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// A path the wide file functions accept at any length: absolute paths longer
// than MAX_PATH get the \\?\ (or \\?\UNC\) prefix after being made canonical.
std::wstring ToWinPath(const std::string& utf8_path);

// The system's text for an error code, without the trailing line break.
std::string SystemErrorText(DWORD code);

// Closes a Win32 handle when it goes out of scope; move-only.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = o.Release();
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE get() const { return h_; }
  bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE Release() {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  void Reset() {
    if (valid()) ::CloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HANDLE h_ = nullptr;
};

}  // namespace vandrel
