// What the windows ask of the system besides files: drives, shortcuts, the
// local time, opening documents and links.
#pragma once

#include <string>
#include <vector>

namespace vandrel {

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  std::string short_date;  // the date in the user's short format
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // The letters (lower case) of the fixed and removable drives, a to z.
  virtual std::vector<char> LocalDrives() = 0;
  // True while any drive letter is in use.
  virtual bool AnyDrive() = 0;
  // A drive's volume label; empty when it has none or cannot be read.
  virtual std::string VolumeLabel(char drive) = 0;
  // The file a shortcut (.lnk) points to; empty when it cannot be read.
  virtual std::string ResolveShortcut(const std::string& lnk_file) = 0;
  virtual LocalTime Now() = 0;
  // The running program's full path.
  virtual std::string ExecutablePath() = 0;
  // True when `a` sorts before `b` by the user's locale, without regard to case.
  virtual bool LessInUserLocale(const std::string& a, const std::string& b) = 0;
  // Sets a file's last-write time to a local time, in the two-second steps
  // of a DOS date and time; false when the file cannot be changed.
  virtual bool SetWriteTime(const std::string& path, const LocalTime& time) = 0;
  // Opens a document or link with the program registered for it; a failure
  // is not reported.
  virtual void Open(const std::string& target) = 0;
};

}  // namespace vandrel
