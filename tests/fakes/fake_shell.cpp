#include "tests/fakes/fake_shell.h"

#include "platform/text.h"

namespace vandrel::testing {

bool FakeShell::RecycleFile(const std::string& path, std::string& reason) {
  fs_.log->push_back("recycle " + path);
  if (refuse_recycle.count(path)) {
    reason = "The process cannot access the file because it is being used by another process.";
    return false;
  }
  if (silently_kept.count(path)) return true;
  if (!fs_.files.count(path)) {
    reason = "The system cannot find the file specified.";
    return false;
  }
  recycled.push_back(path);
  fs_.files.erase(path);
  fs_.attributes.erase(path);
  return true;
}

std::string FakeShell::GetSpecialFolder(int csidl) { return csidl == kCsidlWindows ? windows_folder : std::string(); }

std::string FakeShell::ToUpperUserLocale(const std::string& text) {
  // Enough of a locale for tests: ASCII and Cyrillic.
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c = NextCodePoint(text, pos);
    if (c >= 'a' && c <= 'z') c -= 32;
    if (c >= 0x430 && c <= 0x44F) c -= 32;
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace vandrel::testing
