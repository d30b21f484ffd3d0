#include "tests/fakes/fake_file_system.h"

#include <cstdio>

#include "platform/error.h"
#include "platform/text.h"

namespace vandrel::testing {
namespace {

class OwnedSource final : public ByteSource {
 public:
  explicit OwnedSource(Bytes data) : data_(std::move(data)), view_(data_) {}
  std::uint64_t Size() const override { return view_.Size(); }
  bool Read(std::uint64_t offset, std::span<std::byte> out) override { return view_.Read(offset, out); }

 private:
  Bytes data_;
  MemoryByteSource view_;
};

std::string Hex(std::uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%X", v);
  return b;
}

std::string Parent(const std::string& path) {
  std::string p = path;
  while (!p.empty() && p.back() == '\\') p.pop_back();
  const auto cut = p.find_last_of('\\');
  return cut == std::string::npos ? std::string() : p.substr(0, cut);
}

}  // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = AsciiLower(a[i]);
    const char y = AsciiLower(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::vector<FolderEntry> FakeFileSystem::ListFolder(const std::string& directory) {
  std::vector<FolderEntry> entries;
  auto add = [&](const std::string& path) {
    if (path.size() <= directory.size() || !EqualsAsciiNoCase(path.substr(0, directory.size()), directory)) return;
    const std::string rest = path.substr(directory.size());
    if (rest.find('\\') != std::string::npos) return;
    entries.push_back(FolderEntry{rest, AttributesOf(path)});
  };
  for (const auto& f : folders) add(f);
  for (const auto& [path, data] : files) add(path);
  return entries;
}

std::optional<std::uint32_t> FakeFileSystem::GetAttributes(const std::string& path) {
  std::string p = path;
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  if (const auto it = attributes.find(p); it != attributes.end() && (files.count(p) || folders.count(p)))
    return it->second;
  if (files.count(p)) return kAttrArchive;
  if (folders.count(p)) return kAttrDirectory;
  return std::nullopt;
}

bool FakeFileSystem::SetAttributes(const std::string& path, std::uint32_t bits) {
  std::string p = path;
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  log->push_back("attr " + p + " " + Hex(bits));
  if (!files.count(p) && !folders.count(p)) return false;
  attributes[p] = folders.count(p) ? (bits & ~kAttrNormal) | kAttrDirectory : bits;
  return true;
}

bool FakeFileSystem::FileExists(const std::string& path) { return files.count(path) != 0; }

bool FakeFileSystem::IsFileWritable(const std::string& path) {
  return files.count(path) != 0 && read_only.count(path) == 0 && fail_writes.count(path) == 0;
}

bool FakeFileSystem::FolderExists(const std::string& path) {
  std::string p = path;
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  return folders.count(p) != 0;
}

bool FakeFileSystem::CreateFolders(const std::string& path) {
  std::string p = path;
  while (p.size() > 3 && p.back() == '\\') p.pop_back();
  for (const std::string& bad : uncreatable)
    if (p.size() >= bad.size() && EqualsNoCase(std::string_view(p).substr(0, bad.size()), bad)) return false;
  // Every level from the drive down.
  for (std::size_t pos = p.find('\\'); pos != std::string::npos; pos = p.find('\\', pos + 1)) {
    if (pos > 2 && folders.insert(p.substr(0, pos)).second) log->push_back("mkdir " + p.substr(0, pos));
  }
  if (folders.insert(p).second) log->push_back("mkdir " + p);
  return true;
}

std::optional<Bytes> FakeFileSystem::ReadFile(const std::string& path) {
  if (unreadable.count(path)) throw Error("Cannot open file \"" + path + "\"", "Access is denied.");
  const auto it = files.find(path);
  if (it == files.end()) return std::nullopt;
  return it->second;
}

std::unique_ptr<ByteSource> FakeFileSystem::OpenForReading(const std::string& path) {
  const auto it = files.find(path);
  if (it == files.end() || unreadable.count(path)) return nullptr;
  return std::make_unique<OwnedSource>(it->second);
}

void FakeFileSystem::CheckWritable(const std::string& path, const char* what) {
  const std::string message = std::string(what) + " \"" + path + "\"";
  if (read_only.count(path) || (AttributesOf(path) & kAttrReadOnly && files.count(path)))
    throw Error(message, "Access is denied.");
  if (fail_writes.count(path)) throw Error(message, "There is not enough space on the disk.");
  const std::string parent = Parent(path);
  if (!folders.empty() && !parent.empty() && !folders.count(parent) && parent.size() > 2)
    throw Error(message, "The system cannot find the path specified.");
}

void FakeFileSystem::WriteFileAtomically(const std::string& path, std::span<const std::byte> data) {
  CheckWritable(path, "Cannot create file");
  files[path] = Bytes(data.begin(), data.end());
  replaced.push_back(path);
  log->push_back("write " + path);
}

void FakeFileSystem::CopyFileOver(const std::string& source, const std::string& target) {
  const auto it = files.find(source);
  if (it == files.end() || unreadable.count(source))
    throw Error("Cannot copy \"" + source + "\"", "The system cannot find the file specified.");
  CheckWritable(target, "Cannot copy to");
  const Bytes data = it->second;
  files[target] = data;
  attributes.erase(target);
  log->push_back("copy " + source + " -> " + target);
}

void FakeFileSystem::MoveFileOver(const std::string& source, const std::string& target) {
  const auto it = files.find(source);
  if (it == files.end()) throw Error("Cannot move \"" + source + "\"", "The system cannot find the file specified.");
  if (fail_moves_from.count(source))
    throw Error("Cannot move \"" + source + "\"", "The process cannot access the file because it is being used by another process.");
  CheckWritable(target, "Cannot move to");
  Bytes data = it->second;
  files.erase(it);
  files.erase(target);
  files[target] = std::move(data);
  attributes.erase(target);
  if (auto a = attributes.find(source); a != attributes.end()) {
    attributes[target] = a->second;
    attributes.erase(source);
  }
  log->push_back("move " + source + " -> " + target);
}

bool FakeFileSystem::RemoveFile(const std::string& path) {
  log->push_back("remove " + path);
  attributes.erase(path);
  return files.erase(path) != 0;
}

std::string FakeFileSystem::CreateUniqueFile(const std::string& directory, const std::string& name,
                                             const std::string& suffix) {
  for (unsigned attempt = 0; attempt < kUniqueFileAttempts; ++attempt) {
    const std::string path = UniqueFileCandidate(directory, name, suffix, attempt);
    if (files.count(path) || folders.count(path)) continue;
    CheckWritable(path, "Cannot create file");
    files[path] = {};
    log->push_back("create " + path);
    return path;
  }
  throw Error("Cannot create file \"" + directory + name + suffix + "\"", "The file exists.");
}

std::string FakeFileSystem::FullPath(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '/') c = '\\';
  if (p.empty()) throw Error("Cannot resolve the path \"\"", "The filename, directory name, or volume label syntax is incorrect.");
  std::string root;
  std::string rest;
  if (p.size() >= 2 && p[1] == ':') {
    root = p.substr(0, 2) + "\\";
    rest = p.substr(2);
  } else if (p.rfind("\\\\", 0) == 0) {
    // \\server\share stays the root.
    const auto server_end = p.find('\\', 2);
    const auto share_end = server_end == std::string::npos ? std::string::npos : p.find('\\', server_end + 1);
    root = share_end == std::string::npos ? p + "\\" : p.substr(0, share_end + 1);
    rest = share_end == std::string::npos ? std::string() : p.substr(share_end + 1);
  } else {
    return FullPath(current_folder + p);
  }
  std::vector<std::string> parts;
  std::size_t pos = 0;
  while (pos <= rest.size()) {
    const std::size_t end = std::min(rest.find('\\', pos), rest.size());
    const std::string part = rest.substr(pos, end - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    pos = end + 1;
  }
  std::string full = root;
  for (std::size_t i = 0; i < parts.size(); ++i) full += (i ? "\\" : "") + parts[i];
  // A name ending in a separator keeps it, as GetFullPathNameW does.
  if (!parts.empty() && !rest.empty() && rest.back() == '\\') full += "\\";
  return full;
}

std::string FakeFileSystem::Text(const std::string& path) const {
  const auto it = files.find(path);
  if (it == files.end()) return {};
  return std::string(reinterpret_cast<const char*>(it->second.data()), it->second.size());
}

std::uint32_t FakeFileSystem::AttributesOf(const std::string& path) const {
  std::string p = path;
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  if (const auto it = attributes.find(p); it != attributes.end()) return it->second;
  if (folders.count(p)) return kAttrDirectory;
  return files.count(p) ? kAttrArchive : 0;
}

}  // namespace vandrel::testing
