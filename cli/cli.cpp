#include "cli/cli.h"

#include <charconv>
#include <cstdint>

#include "app/file_info_utils.h"
#include "common/paths.h"
#include "i18n/message_captions.h"
#include "engine/folder_state.h"
#include "engine/icon_delete.h"
#include "engine/icon_install.h"
#include "icons/icon_extraction.h"
#include "platform/error.h"

namespace vandrel {
namespace {

constexpr std::string_view kUsage =
    "Usage: vandrel-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  icons FILE                   list the icon groups of an .exe or .dll:\n"
    "                               one line per group, its index, a tab and\n"
    "                               its name (ID:101 or the string name)\n"
    "  extract FILE INDEX OUT.ico   write the icon group at INDEX as an .ico file\n"
    "  convert PICTURE OUT.ico      write a picture (PNG, JPEG, BMP, GIF, TIFF) as an\n"
    "                               .ico of 16 to 256 pixels\n"
    "  version FILE [NAME]          print the file's version, or the version\n"
    "                               resource's value NAME (e.g. CompanyName)\n"
    "  show FOLDER                  print the folder's icon source, index and tooltip\n"
    "                               as three lines: source=, index=, tip=\n"
    "  apply FOLDER... --icon SOURCE [--index N] [--tip TEXT] [--copy]\n"
    "                               give each folder an icon (.ico, an icon of an\n"
    "                               .exe or .dll by index, or a picture) and a tooltip;\n"
    "                               --copy places the icon inside the folder (a\n"
    "                               picture is always placed there as an .ico)\n"
    "  remove FOLDER...             take each folder's icon and tooltip away again\n"
    "                               (with several folders: each is done on its own,\n"
    "                               a summary line follows, exit 1 if any failed)\n"
    "  --help                       show this text\n"
    "\n"
    "Exit status: 0 on success, 1 on an error, 2 on a wrong call.\n";

// Console wording of the message captions.
class CliCaptions final : public MessageCaptions {
 public:
  std::string Caption(std::string_view item) const override {
    static constexpr CaptionItem kEnglish[] = {
        {"LangError", "Error"},
        {"LangAttention", "Attention"},
        {"LangTarget", "Choose an icon source"},
        {"LangIconInstall", "Icon set successfully"},
        {"LangFolderWithIcon", "Choose a folder that has an icon"},
        {"LangChangeIconFolder", "Change the folder's icon?"},
        {"LangDelIconFolder", "Remove the icon from the folder?"},
        {"LangCannotChangeIcon", "A drive's icon cannot be changed"},
        {"LangIconDelete", "Icon removed successfully"},
        {"LangFileNotFound", "File not found:"},
        {"LangFailedUploadFile", "Cannot load the file as an executable"},
        {"LangNoIconGroups", "The file has no icon groups"},
        {"LangInvalidIconIndex", "Invalid icon index"},
        {"LangErrorExtractingIcon", "Error while extracting the icon"},
        {"LangDesktopIniTooLarge", "Desktop.ini is too large:"},
        {"LangPictureUnreadable", "The file is not a picture or it is damaged:"},
        {"LangPictureTooLarge", "The picture is too large (over 64 megapixels):"},
    };
    for (const CaptionItem& c : kEnglish)
      if (c.name == item) return std::string(c.caption);
    return DesignTimeCaptions().Caption(item);
  }
};

// Messages go to standard error; questions are not asked (a script said yes
// by calling the command).
class CliPrompts final : public Prompts {
 public:
  explicit CliPrompts(CliPlatform& p) : p_(p) {}
  void ShowMessage(const std::string& text) override { p_.err(text + "\n"); }
  void ShowError(const std::string& text, const std::string& title) override { p_.err(title + ": " + text + "\n"); }
  bool Confirm(const std::string&, const std::string&) override { return true; }

 private:
  CliPlatform& p_;
};

bool ParseInt(std::string_view text, std::int32_t& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

int Usage(CliPlatform& p) {
  p.err(kUsage);
  return 2;
}

int Icons(CliPlatform& p, const std::string& file) {
  CliCaptions captions;
  if (!p.fs.FileExists(file)) {
    p.err(captions.Caption("LangFileNotFound") + " " + file + "\n");
    return 1;
  }
  auto resources = p.loader.Open(file);
  if (!resources) {
    p.err(captions.Caption("LangFailedUploadFile") + ": " + file + "\n");
    return 1;
  }
  const auto groups = ListIconGroups(*resources);
  std::string text;
  for (std::size_t i = 0; i < groups.size(); ++i) text += std::to_string(i) + "\t" + groups[i].ListText() + "\n";
  p.out(text);
  return 0;
}

int Extract(CliPlatform& p, const std::string& file, std::string_view index_text, const std::string& out) {
  std::int32_t index = 0;
  if (!ParseInt(index_text, index)) {
    p.err("Not an icon index: " + std::string(index_text) + "\n");
    return Usage(p);
  }
  CliCaptions captions;
  CliPrompts prompts(p);
  IconServices services{p.fs, p.loader, prompts, captions};
  if (!ExtractIconByIndex(services, file, out, index)) {
    p.err("No icon was written to " + out + "\n");
    return 1;
  }
  return 0;
}

int Convert(CliPlatform& p, const std::string& picture, const std::string& out) {
  if (!p.decode_picture) {
    p.err("vandrel-cli convert needs Windows (run the Windows build, for example under Wine)\n");
    return 1;
  }
  CliCaptions captions;
  CliPrompts prompts(p);
  IconServices services{p.fs, p.loader, prompts, captions};
  if (!WritePictureIco(services, p.decode_picture, picture, out)) {
    p.err("Nothing was written\n");
    return 1;
  }
  return 0;
}

// The folder as the folder list would carry it: its full path, no trailing backslash.
std::string ItemPath(std::string folder) {
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string ItemCaption(const std::string& item_path) {
  std::string_view name = item_path;
  while (!name.empty() && name.back() == '\\') name.remove_suffix(1);
  const auto cut = name.find_last_of('\\');
  return std::string(cut == std::string_view::npos ? name : name.substr(cut + 1));
}

int Show(CliPlatform& p, EngineServices& s, const std::string& folder) {
  if (!p.fs.FolderExists(folder)) {
    p.err("Not a folder: " + folder + "\n");
    return 1;
  }
  const FolderIconInfo info = GetIcon(s, ItemPath(folder));
  if (!info.problem.empty()) {
    p.err(info.problem + "\n");
    return 1;
  }
  p.out("source=" + info.icon_source + "\nindex=" + std::to_string(info.icon_index) + "\ntip=" + info.tip + "\n");
  return 0;
}

// The folders and options of apply; false on a wrong call.
bool ParseApply(const std::vector<std::string>& args, ChangeRequest& request, std::vector<std::string>& folders) {
  request.has_selection = true;
  bool has_icon = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool has_value = i + 1 < args.size();
    if (!a.starts_with("--")) {
      folders.push_back(a);
    } else if (a == "--icon" && has_value) {
      request.install.source = args[++i];
      has_icon = true;
    } else if (a == "--index" && has_value) {
      if (!ParseInt(args[++i], request.install.index)) return false;
    } else if (a == "--tip" && has_value) {
      request.install.tip = args[++i];
    } else if (a == "--copy") {
      request.install.copy = true;
    } else {
      return false;
    }
  }
  return has_icon && !folders.empty();
}

int Apply(CliPlatform& p, EngineServices& s, const std::string& folder, ChangeRequest request) {
  const std::string item = ItemPath(folder);
  if (!p.fs.FolderExists(item)) {
    p.err("Not a folder: " + folder + "\n");
    return 1;
  }
  request.caption = ItemCaption(item);
  request.install.folder = GetIcon(s, item).folder;
  const ChangeResult result = ButtonChangeIconClick(s, request, {});
  switch (result.outcome) {
    case ChangeOutcome::kInstalled:
      p.err(result.status + "\n");
      return 0;
    case ChangeOutcome::kProtectedName:
      p.err("Refused: the shell keeps folders named \"" + request.caption + "\" for itself\n");
      return 1;
    case ChangeOutcome::kMissingFields:
    case ChangeOutcome::kNoSelection:
      p.err("Refused: no folder given\n");
      return 1;
    default:
      return 1;  // the reason has been printed
  }
}

int Remove(CliPlatform& p, EngineServices& s, const std::string& folder) {
  if (!p.fs.FolderExists(folder)) {
    p.err("Not a folder: " + folder + "\n");
    return 1;
  }
  const FolderIconInfo info = GetIcon(s, ItemPath(folder));
  const RemoveResult result = IconDeleteMenuClick(s, info.folder, info.icon_source, {});
  if (result.outcome != RemoveOutcome::kRemoved) {
    p.err("The icon could not be removed\n");
    return 1;
  }
  p.err(result.status + "\n");
  return 0;
}

int Engine(CliPlatform& p, const std::vector<std::string>& args) {
  ChangeRequest request;
  std::vector<std::string> folders;
  if (args[0] == "apply") {
    if (!ParseApply(args, request, folders)) return Usage(p);
  } else {
    folders.assign(args.begin() + 1, args.end());
  }
  if (p.shell == nullptr) {
    p.err("vandrel-cli " + args[0] + " needs Windows (run the Windows build, for example under Wine)\n");
    return 1;
  }
  CliCaptions captions;
  CliPrompts prompts(p);
  EngineServices s{p.fs, p.ansi, *p.shell, prompts, captions, p.loader};
  s.decode_picture = p.decode_picture;
  // Each folder as the system resolves it ("..", ".", "/", doubled
  // separators), so the guards see the folder that would change.
  if (args[0] == "show") return Show(p, s, p.fs.FullPath(folders[0]));
  if (folders.size() == 1) {
    const std::string folder = p.fs.FullPath(folders[0]);
    return args[0] == "remove" ? Remove(p, s, folder) : Apply(p, s, folder, request);
  }
  // Many folders: an icon group placed in each is extracted once, a picture
  // converted once.
  OwnFile shared(p.fs);
  const InstallRequest& r = request.install;
  const bool picture = IsPictureFile(r.source);
  const bool extracted = r.copy && (HasExtension(r.source, ".exe") || HasExtension(r.source, ".dll"));
  if (args[0] == "apply" && (picture || extracted) && p.fs.FileExists(r.source)) {
    shared.Set(p.fs.CreateUniqueFile(WithTrailingBackslash(p.shell->TempFolderPath()), "vandrel-icon", ".ico"));
    if (picture ? !ConvertInto(s, r.source, shared.path()) : !ExtractInto(s, r.source, r.index, shared.path())) {
      p.err("No folder was changed\n");
      return 1;
    }
    request.install.prepared_ico = shared.path();
  }
  int done = 0;
  for (const std::string& named : folders) {
    const std::string folder = p.fs.FullPath(named);
    const int rc = args[0] == "remove" ? Remove(p, s, folder) : Apply(p, s, folder, request);
    if (rc == 0) {
      ++done;
    } else {
      p.err("Failed: " + named + "\n");
    }
  }
  const int failed = static_cast<int>(folders.size()) - done;
  p.out(std::to_string(folders.size()) + " folders: " + std::to_string(done) +
        (args[0] == "remove" ? " done" : " applied") + ", " + std::to_string(failed) + " failed\n");
  return failed == 0 ? 0 : 1;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliPlatform& p) {
  if (args.empty()) return Usage(p);
  const std::string& command = args[0];
  try {
    if (command == "--help" || command == "-h" || command == "help") {
      if (args.size() != 1) return Usage(p);
      p.out(kUsage);
      return 0;
    }
    if (command == "icons" && args.size() == 2) return Icons(p, args[1]);
    if (command == "extract" && args.size() == 4) return Extract(p, args[1], args[2], args[3]);
    if (command == "convert" && args.size() == 3) return Convert(p, args[1], args[2]);
    if ((command == "show" && args.size() == 2) || (command == "remove" && args.size() >= 2)) return Engine(p, args);
    if (command == "apply" && args.size() >= 4) return Engine(p, args);
    if (command == "version" && (args.size() == 2 || args.size() == 3)) {
      const std::string value =
          args.size() == 2 ? GetFileVersion(p.versions, args[1]) : GetVersionInfoValue(p.versions, args[1], args[2]);
      p.out(value + "\n");
      return 0;
    }
  } catch (const std::exception& e) {
    p.err(std::string(e.what()) + "\n");
    return 1;
  }
  return Usage(p);
}

}  // namespace vandrel
