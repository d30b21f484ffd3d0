// A picture made into a folder icon: the eight sizes and the PNG, from a
// 1-megapixel picture, a 12-megapixel photo (4000 x 3000) and one at the
// 64-megapixel limit. This is the work the window waits for when a picture
// is previewed, and again when it is applied (after the system's decoder,
// which is not measured here). The sizes are drawn side by side on the
// machine's cores: read the wall-clock time.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "icons/picture_icon.h"

using namespace vandrel;

namespace {

// A photo-like picture: smooth gradients with some noise, fully opaque.
RgbaImage Photo(int width, int height) {
  RgbaImage image{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
  std::uint32_t noise = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const std::uint32_t r = static_cast<std::uint32_t>(x * 255 / width);
      const std::uint32_t g = static_cast<std::uint32_t>(y * 255 / height);
      const std::uint32_t b = (noise >> 24) & 0x3F;
      image.pixels[static_cast<std::size_t>(y) * width + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  return image;
}

void BM_PictureToIco(benchmark::State& state) {
  const RgbaImage picture = Photo(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const Bytes ico = PictureToIco(picture);
    bytes = ico.size();
    benchmark::DoNotOptimize(ico.data());
  }
  state.counters["ico_bytes"] = static_cast<double>(bytes);
  state.counters["megapixels"] = static_cast<double>(picture.pixels.size()) / 1e6;
}

}  // namespace

BENCHMARK(BM_PictureToIco)->ArgNames({"w", "h"})->Args({1024, 1024})->Args({4000, 3000})->Args({8000, 8000})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
