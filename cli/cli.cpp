#include "cli/cli.h"

#include <charconv>
#include <cstdint>

#include "app/file_info_utils.h"
#include "app/message_captions.h"
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
    "  version FILE [NAME]          print the file's version, or the version\n"
    "                               resource's value NAME (e.g. CompanyName)\n"
    "  --help                       show this text\n"
    "\n"
    "Exit status: 0 on success, 1 on an error, 2 on a wrong call.\n";

// Console wording of the message captions.
class CliCaptions final : public MessageCaptions {
 public:
  std::string Caption(std::string_view item) const override {
    if (item == "LangFileNotFound") return "File not found:";
    if (item == "LangFailedUploadFile") return "Cannot load the file as an executable";
    if (item == "LangNoIconGroups") return "The file has no icon groups";
    if (item == "LangInvalidIconIndex") return "Invalid icon index";
    return DesignTimeCaptions().Caption(item);
  }
};

class CliPrompts final : public Prompts {
 public:
  explicit CliPrompts(CliPlatform& p) : p_(p) {}
  void ShowMessage(const std::string& text) override {
    p_.err(text);
    p_.err("\n");
  }

 private:
  CliPlatform& p_;
};

// Remembers whether a given file was written during the command.
class WriteTracker final : public FileSystem {
 public:
  WriteTracker(FileSystem& inner, std::string path) : inner_(inner), path_(std::move(path)) {}
  bool FileExists(const std::string& path) override { return inner_.FileExists(path); }
  std::optional<Bytes> ReadFile(const std::string& path) override { return inner_.ReadFile(path); }
  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override {
    return inner_.OpenForReading(path);
  }
  void WriteFileAtomically(const std::string& path, std::span<const std::byte> data) override {
    inner_.WriteFileAtomically(path, data);
    if (path == path_) written_ = true;
  }
  bool written() const { return written_; }

 private:
  FileSystem& inner_;
  std::string path_;
  bool written_ = false;
};

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
  const auto [end, ec] = std::from_chars(index_text.data(), index_text.data() + index_text.size(), index);
  if (ec != std::errc() || end != index_text.data() + index_text.size()) {
    p.err("Not an icon index: " + std::string(index_text) + "\n");
    return Usage(p);
  }
  CliCaptions captions;
  CliPrompts prompts(p);
  WriteTracker tracked(p.fs, out);
  IconServices services{tracked, p.loader, prompts, captions};
  ExtractIconByIndex(services, file, out, index);
  if (!tracked.written()) {
    p.err("No icon was written to " + out + "\n");
    return 1;
  }
  return 0;
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
