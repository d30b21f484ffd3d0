// Move-only owners of window-system handles: each frees its handle when it
// goes out of scope or takes another. Icons, fonts, bitmaps, brushes and
// windows each get the right call (DestroyIcon, DeleteObject, DestroyWindow).
#pragma once

#include <windows.h>

#include <utility>

namespace vandrel {

// How many handles the owners hold right now; tests compare it before and
// after work that should leave nothing behind.
int LiveOwnedHandles();
namespace detail {
void CountOwnedHandle(int delta);
}

template <typename H, BOOL(WINAPI* Free)(H)>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H h) : h_(h) {
    if (h_) detail::CountOwnedHandle(+1);
  }
  ~Owned() { Reset(); }
  Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Reset(H h = nullptr) {
    if (h_) {
      Free(h_);
      detail::CountOwnedHandle(-1);
    }
    h_ = h;
    if (h_) detail::CountOwnedHandle(+1);
  }
  // Hands the handle over to a caller that frees it.
  H Release() {
    if (h_) detail::CountOwnedHandle(-1);
    return std::exchange(h_, nullptr);
  }

 private:
  H h_ = nullptr;
};

namespace detail {
inline BOOL WINAPI DeleteFontObject(HFONT h) { return ::DeleteObject(h); }
inline BOOL WINAPI DeleteBitmapObject(HBITMAP h) { return ::DeleteObject(h); }
inline BOOL WINAPI DeleteBrushObject(HBRUSH h) { return ::DeleteObject(h); }
}  // namespace detail

using IconHandle = Owned<HICON, ::DestroyIcon>;
using FontHandle = Owned<HFONT, detail::DeleteFontObject>;
using BitmapHandle = Owned<HBITMAP, detail::DeleteBitmapObject>;
using BrushHandle = Owned<HBRUSH, detail::DeleteBrushObject>;
using WindowHandle = Owned<HWND, ::DestroyWindow>;

}  // namespace vandrel
