// Our own reader of the resources of a PE image (PE32 and PE32+). It reads
// only the headers, the section table, the resource directory and the data it
// is asked for, and checks every offset, size and count against the file.
#pragma once

#include <memory>

#include "platform/file_system.h"
#include "platform/resource_file.h"
#include "platform/version_resource.h"

namespace vandrel {

// Where a PE image keeps its Authenticode signature (the certificate table of
// the security directory): a file offset and a size, both 0 when unsigned.
struct PeCertificateTable {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};
// nullopt when the bytes are not a PE image.
std::optional<PeCertificateTable> FindPeCertificateTable(ByteSource& source);

// nullptr when the bytes are not a PE image.
std::unique_ptr<ResourceFile> OpenPeResources(std::unique_ptr<ByteSource> source);

class PeResourceLoader final : public ResourceLoader {
 public:
  explicit PeResourceLoader(FileSystem& fs) : fs_(fs) {}
  std::unique_ptr<ResourceFile> Open(const std::string& path) override;

 private:
  FileSystem& fs_;
};

// The version block as GetFileVersionInfoW finds it: the RT_VERSION resource
// with identifier 1.
std::optional<Bytes> ReadVersionBlock(ResourceFile& file);

class PeVersionReader final : public VersionResourceReader {
 public:
  explicit PeVersionReader(FileSystem& fs) : loader_(fs) {}
  std::optional<Bytes> ReadVersionResource(const std::string& path) override;

 private:
  PeResourceLoader loader_;
};

}  // namespace vandrel
