// Counting and extracting icon groups: a small DLL against the same DLL padded
// to 300 MB. The reader only touches headers, the resource directory and the
// requested data, so both should cost the same.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "i18n/message_captions.h"
#include "icons/icon_extraction.h"
#include "icons/pe_resource_file.h"
#include "platform/posix/posix_file_system.h"
#include "tests/support/pe_builder.h"

using namespace vandrel;
using namespace vandrel::testing;

namespace {

class SilentPrompts final : public Prompts {
 public:
  void ShowMessage(const std::string&) override {}
  void ShowError(const std::string&, const std::string&) override {}
  bool Confirm(const std::string&, const std::string&) override { return false; }
};

struct Files {
  std::string dir, small, padded, out;
};

const Files& BenchFiles() {
  static const Files files = [] {
    Files f;
    char tmpl[] = "/tmp/vandrel-bench-XXXXXX";
    f.dir = mkdtemp(tmpl);
    f.small = f.dir + "/small.dll";
    f.padded = f.dir + "/padded.dll";
    f.out = f.dir + "/out.ico";
    std::vector<PeResource> r;
    for (std::uint16_t g = 1; g <= 20; ++g) {
      auto group = IconGroupResources(ResourceName::Id(g), {{.id = static_cast<std::uint16_t>(g * 2), .data = PatternBytes(1128, g)},
                                                            {.id = static_cast<std::uint16_t>(g * 2 + 1), .width = 32, .height = 32,
                                                             .data = PatternBytes(4264, g + 100)}});
      r.insert(r.end(), group.begin(), group.end());
    }
    PosixFileSystem fs;
    const Bytes dll = BuildPe(r);
    fs.WriteFileAtomically(f.small, dll);
    fs.WriteFileAtomically(f.padded, dll);
    // Pad with real zero bytes after the image, as an installer's overlay would be.
    std::FILE* p = std::fopen(f.padded.c_str(), "ab");
    std::vector<char> zeros(1 << 20);
    for (std::size_t written = dll.size(); written < 300u * 1024 * 1024; written += zeros.size())
      std::fwrite(zeros.data(), 1, zeros.size(), p);
    std::fclose(p);
    std::printf("small: %zu bytes, padded: 300 MB\n", dll.size());
    return f;
  }();
  return files;
}

void ReportMemory(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_kb"] = static_cast<double>(usage.ru_maxrss);
}

void BM_Count(benchmark::State& state) {
  const Files& f = BenchFiles();
  const std::string& path = state.range(0) ? f.padded : f.small;
  PosixFileSystem fs;
  PeResourceLoader loader(fs);
  for (auto _ : state) benchmark::DoNotOptimize(GetIconCountSimple(fs, loader, path));
  ReportMemory(state);
}

void BM_Extract(benchmark::State& state) {
  const Files& f = BenchFiles();
  const std::string& path = state.range(0) ? f.padded : f.small;
  PosixFileSystem fs;
  PeResourceLoader loader(fs);
  SilentPrompts prompts;
  DesignTimeCaptions captions;
  IconServices services{fs, loader, prompts, captions};
  for (auto _ : state) ExtractIconByIndex(services, path, f.out, 19);
  ReportMemory(state);
}

}  // namespace

BENCHMARK(BM_Count)->ArgName("padded")->Arg(0)->Arg(1);
BENCHMARK(BM_Extract)->ArgName("padded")->Arg(0)->Arg(1);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  const Files& f = BenchFiles();
  std::remove(f.small.c_str());
  std::remove(f.padded.c_str());
  std::remove(f.out.c_str());
  rmdir(f.dir.c_str());
  benchmark::Shutdown();
  return 0;
}
