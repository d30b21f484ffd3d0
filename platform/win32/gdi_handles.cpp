#include "platform/win32/gdi_handles.h"

#include <atomic>

namespace vandrel {
namespace {
std::atomic<int> g_live{0};
}

int LiveOwnedHandles() { return g_live.load(); }
void detail::CountOwnedHandle(int delta) { g_live += delta; }

}  // namespace vandrel
