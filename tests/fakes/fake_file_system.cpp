#include "tests/fakes/fake_file_system.h"

#include "platform/error.h"

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

}  // namespace

bool FakeFileSystem::FileExists(const std::string& path) { return files.count(path) != 0; }

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

void FakeFileSystem::WriteFileAtomically(const std::string& path, std::span<const std::byte> data) {
  if (read_only.count(path)) throw Error("Cannot create file \"" + path + "\"", "Access is denied.");
  if (fail_writes.count(path)) throw Error("Cannot create file \"" + path + "\"", "There is not enough space on the disk.");
  files[path] = Bytes(data.begin(), data.end());
  replaced.push_back(path);
}

std::string FakeFileSystem::Text(const std::string& path) const {
  const auto it = files.find(path);
  if (it == files.end()) return {};
  return std::string(reinterpret_cast<const char*>(it->second.data()), it->second.size());
}

}  // namespace vandrel::testing
