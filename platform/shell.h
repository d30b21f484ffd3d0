// What the program asks of the Windows shell and of Explorer.
#pragma once

#include <string>

namespace vandrel {

inline constexpr int kCsidlAppData = 0x1A;  // CSIDL_APPDATA
inline constexpr int kCsidlWindows = 0x24;  // CSIDL_WINDOWS

class Shell {
 public:
  virtual ~Shell() = default;
  // One file to the recycle bin without questions or progress (SHFileOperationW,
  // FO_DELETE, FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO); true on success.
  // A volume without a recycle bin deletes the file outright. On failure
  // `reason` gets the shell's or the system's explanation.
  virtual bool RecycleFile(const std::string& path, std::string& reason) = 0;
  // SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST): icons may have changed.
  virtual void NotifyAssociationsChanged() = 0;
  // SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHW | SHCNF_FLUSHNOWAIT): this
  // one file or folder changed and is to be drawn again.
  virtual void NotifyItemUpdated(const std::string& path) = 0;
  // SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW | SHCNF_FLUSHNOWAIT): the
  // contents of this folder changed.
  virtual void NotifyFolderUpdated(const std::string& path) = 0;
  // The desktop window's refresh command; nothing when there is no desktop.
  virtual void RefreshDesktop() = 0;
  // A shell special folder without a trailing backslash; empty on failure.
  virtual std::string GetSpecialFolder(int csidl) = 0;
  // The user's temporary folder as GetTempPathW answers, possibly without a
  // trailing backslash.
  virtual std::string TempFolderPath() = 0;
  // Text in upper case by the rules of the user's locale.
  virtual std::string ToUpperUserLocale(const std::string& text) = 0;
};

}  // namespace vandrel
