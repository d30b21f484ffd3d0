#include "icons/picture_icon.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vandrel {
namespace {

constexpr std::uint32_t kRed = 0xFFFF0000, kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kClear = 0x00000000;

RgbaImage Filled(int width, int height, std::uint32_t colour) {
  return {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, colour)};
}

std::uint32_t Le(const Bytes& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<std::uint32_t>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

std::uint32_t Be(const Bytes& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = v << 8 | static_cast<std::uint32_t>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

TEST(PictureIcon, AreaAveragingKeepsFlatColoursAndAveragesWhatACellCovers) {
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {7, 3}, {48, 48}, {300, 200}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    for (int size : {1, 16, 40, 256}) {
      const RgbaImage scaled = ResampleArea(Filled(w, h, 0xFF336699), size, size);
      EXPECT_EQ(scaled, Filled(size, size, 0xFF336699));
    }
  }
  // A black and white checker seen from afar is grey.
  const RgbaImage checker{2, 2, {kBlack, kWhite, kWhite, kBlack}};
  EXPECT_EQ(ResampleArea(checker, 1, 1).pixels[0], 0xFF808080u);
  // Thirds: 3 pixels into 2, each new one takes one and a half old ones.
  const RgbaImage row{3, 1, {0xFF000000, 0xFF0000FF, 0xFF0000FF}};
  const RgbaImage two = ResampleArea(row, 2, 1);
  EXPECT_EQ(two.pixels[0], 0xFF000055u);  // (0 * 1 + 255 * 0.5) / 1.5
  EXPECT_EQ(two.pixels[1], 0xFF0000FFu);
  // A transparent pixel lends no colour, only its transparency.
  const RgbaImage half{2, 1, {kRed, 0x0000FF00}};
  EXPECT_EQ(ResampleArea(half, 1, 1).pixels[0], 0x80FF0000u);
  EXPECT_EQ(ResampleArea(Filled(5, 5, kClear), 2, 2), Filled(2, 2, kClear));
}

TEST(PictureIcon, APictureThatIsNotSquareIsCentredOnATransparentSquare) {
  const RgbaImage wide = CentredOnSquare(Filled(4, 2, kRed));
  ASSERT_EQ(wide.width, 4);
  ASSERT_EQ(wide.height, 4);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(wide.At(x, 0), kClear);
    EXPECT_EQ(wide.At(x, 1), kRed);
    EXPECT_EQ(wide.At(x, 2), kRed);
    EXPECT_EQ(wide.At(x, 3), kClear);
  }
  const RgbaImage tall = CentredOnSquare(Filled(1, 3, kRed));
  EXPECT_EQ(tall.pixels, (std::vector<std::uint32_t>{kClear, kRed, kClear, kClear, kRed, kClear, kClear, kRed, kClear}));
}

// Inflates deflate blocks in the fixed Huffman codes (all our writer makes)
// from byte `start`; a block of another kind fails the test.
Bytes InflateFixed(const Bytes& z, std::size_t start) {
  std::size_t bit = start * 8;
  auto get = [&](int count) {
    std::uint32_t v = 0;
    for (int i = 0; i < count; ++i, ++bit) v |= ((static_cast<std::uint32_t>(z.at(bit / 8)) >> (bit % 8)) & 1u) << i;
    return v;
  };
  auto code = [&](int count) {  // Huffman codes come highest bit first
    std::uint32_t v = 0;
    for (int i = 0; i < count; ++i) v = v << 1 | get(1);
    return v;
  };
  static constexpr int kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                        31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static constexpr int kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  Bytes out;
  for (bool last = false; !last;) {
    last = get(1) != 0;
    EXPECT_EQ(get(2), 1u) << "fixed codes";
    for (;;) {
      std::uint32_t v = code(7);
      int symbol;
      if (v <= 0x17) {
        symbol = 256 + static_cast<int>(v);
      } else {
        v = v << 1 | get(1);
        if (v >= 0x30 && v <= 0xBF) symbol = static_cast<int>(v - 0x30);
        else if (v >= 0xC0 && v <= 0xC7) symbol = 280 + static_cast<int>(v - 0xC0);
        else symbol = 144 + static_cast<int>((v << 1 | get(1)) - 0x190);
      }
      if (symbol < 256) {
        out.push_back(static_cast<std::byte>(symbol));
        continue;
      }
      if (symbol == 256) break;
      const int l = symbol - 257;
      const int length = kLengthBase[l] + static_cast<int>(get(kLengthExtra[l]));
      const int d = static_cast<int>(code(5));
      const int extra = d < 4 ? 0 : d / 2 - 1;
      const int base = d < 4 ? d + 1 : ((2 + d % 2) << extra) + 1;
      const int distance = base + static_cast<int>(get(extra));
      if (distance <= 0 || static_cast<std::size_t>(distance) > out.size()) {
        ADD_FAILURE() << "a distance before the start";
        return out;
      }
      for (int k = 0; k < length; ++k) out.push_back(out[out.size() - static_cast<std::size_t>(distance)]);
    }
  }
  return out;
}

// The scanlines of our PNG, checked on the way.
Bytes PngScanlines(const Bytes& png, int& width, int& height) {
  const Bytes signature{std::byte{0x89}, std::byte{'P'}, std::byte{'N'}, std::byte{'G'},
                        std::byte{'\r'}, std::byte{'\n'}, std::byte{0x1A}, std::byte{'\n'}};
  EXPECT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
  Bytes zlib;
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const std::uint32_t length = Be(png, at);
    const std::string type(reinterpret_cast<const char*>(png.data() + at + 4), 4);
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = at + 4; i < at + 8 + length; ++i) {
      crc ^= static_cast<std::uint32_t>(png[i]);
      for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    EXPECT_EQ(~crc, Be(png, at + 8 + length)) << type;
    if (type == "IHDR") {
      width = static_cast<int>(Be(png, at + 8));
      height = static_cast<int>(Be(png, at + 12));
      EXPECT_EQ(static_cast<int>(png[at + 16]), 8);  // bits per channel
      EXPECT_EQ(static_cast<int>(png[at + 17]), 6);  // RGBA
    }
    if (type == "IDAT") zlib.insert(zlib.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                    png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
    at += 12 + length;
  }
  EXPECT_EQ((static_cast<unsigned>(zlib.at(0)) << 8 | static_cast<unsigned>(zlib.at(1))) % 31, 0u);
  const Bytes raw = InflateFixed(zlib, 2);
  const std::size_t at = zlib.size() - 4;
  std::uint32_t a = 1, b = 0;
  for (std::byte v : raw) {
    a = (a + static_cast<std::uint32_t>(v)) % 65521;
    b = (b + a) % 65521;
  }
  EXPECT_EQ(Be(zlib, at), (b << 16) | a);
  return raw;
}

TEST(PictureIcon, TheIcoHoldsEverySizeWithAlphaAndThe256OneAsPng) {
  // A wide picture: half-transparent red on the left, opaque blue on the right.
  RgbaImage picture = Filled(60, 30, 0xFF0000FF);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) picture.pixels[static_cast<std::size_t>(y) * 60 + x] = 0x80FF0000;
  const Bytes ico = PictureToIco(picture);
  ASSERT_GE(ico.size(), 6u + 16 * 8);
  EXPECT_EQ(Le(ico, 0, 2), 0u);
  EXPECT_EQ(Le(ico, 2, 2), 1u);
  ASSERT_EQ(Le(ico, 4, 2), 8u);
  const RgbaImage square = CentredOnSquare(picture);
  std::size_t end = 6 + 16 * 8;
  for (std::size_t i = 0; i < 8; ++i) {
    const int size = kPictureIconSizes[i];
    SCOPED_TRACE(size);
    const std::size_t entry = 6 + 16 * i;
    EXPECT_EQ(Le(ico, entry, 1), size == 256 ? 0u : static_cast<unsigned>(size));
    EXPECT_EQ(Le(ico, entry + 1, 1), size == 256 ? 0u : static_cast<unsigned>(size));
    EXPECT_EQ(Le(ico, entry + 4, 2), 1u);
    EXPECT_EQ(Le(ico, entry + 6, 2), 32u);
    const std::uint32_t bytes = Le(ico, entry + 8, 4), offset = Le(ico, entry + 12, 4);
    EXPECT_EQ(offset, end) << "the images follow each other";
    end = offset + bytes;
    ASSERT_LE(end, ico.size());
    const RgbaImage expected = ResampleArea(square, size, size);
    if (size == 256) {
      const Bytes png(ico.begin() + offset, ico.begin() + end);
      EXPECT_LT(png.size(), 16384u) << "compressed: two flat areas, 262,400 bytes of scanlines";
      int w = 0, h = 0;
      const Bytes raw = PngScanlines(png, w, h);
      EXPECT_EQ(w, 256);
      EXPECT_EQ(h, 256);
      ASSERT_EQ(raw.size(), 256u * (1 + 256 * 4));
      // Row 128, pixel 10: red at half opacity; pixel 200: opaque blue; row 0: clear.
      auto pixel = [&](int x, int y) {
        const std::size_t p = static_cast<std::size_t>(y) * (1 + 1024) + 1 + 4 * static_cast<std::size_t>(x);
        return static_cast<std::uint32_t>(raw[p + 3]) << 24 | static_cast<std::uint32_t>(raw[p]) << 16 |
               static_cast<std::uint32_t>(raw[p + 1]) << 8 | static_cast<std::uint32_t>(raw[p + 2]);
      };
      EXPECT_EQ(pixel(10, 128), 0x80FF0000u);
      EXPECT_EQ(pixel(200, 128), 0xFF0000FFu);
      EXPECT_EQ(pixel(128, 0), 0u);
      for (int y = 0; y < 256; y += 17)
        for (int x = 0; x < 256; x += 13) EXPECT_EQ(pixel(x, y), expected.At(x, y));
      continue;
    }
    EXPECT_EQ(Le(ico, offset, 4), 40u);
    EXPECT_EQ(Le(ico, offset + 4, 4), static_cast<unsigned>(size));
    EXPECT_EQ(Le(ico, offset + 8, 4), static_cast<unsigned>(2 * size));
    EXPECT_EQ(Le(ico, offset + 14, 2), 32u);
    const std::size_t stride = static_cast<std::size_t>((size + 31) / 32 * 4);
    EXPECT_EQ(bytes, 40 + static_cast<std::uint32_t>(size * size * 4) + stride * static_cast<std::size_t>(size));
    // Bottom-up BGRA with straight alpha, and a mask set where it is clear.
    auto colour = [&](int x, int y) { return Le(ico, offset + 40 + 4 * (static_cast<std::size_t>(size - 1 - y) * size + x), 4); };
    auto masked = [&](int x, int y) {
      const std::size_t row = offset + 40 + static_cast<std::size_t>(size * size * 4) + stride * static_cast<std::size_t>(size - 1 - y);
      return (static_cast<unsigned>(ico[row + static_cast<std::size_t>(x / 8)]) & (0x80u >> (x % 8))) != 0;
    };
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        ASSERT_EQ(colour(x, y), expected.At(x, y)) << x << "," << y;
        ASSERT_EQ(masked(x, y), (expected.At(x, y) >> 24) == 0) << x << "," << y;
      }
    EXPECT_EQ(colour(0, 0), 0u) << "above the picture: clear";
    EXPECT_EQ(colour(size - 1, size / 2), 0xFF0000FFu);
    EXPECT_EQ(colour(0, size / 2), 0x80FF0000u);
  }
  EXPECT_EQ(end, ico.size());
  EXPECT_TRUE(PictureToIco({}).empty());
}

TEST(PictureIcon, ALongThinPictureNeedsNoSquareCanvasOfItsOwn) {
  // 20000 x 200: its square would be 400 million pixels. Centred on it, the
  // picture is a band 0.64 pixels high across the middle of the 64-pixel image.
  const Bytes ico = PictureToIco(Filled(20000, 200, 0xFFFF0000));
  ASSERT_GE(ico.size(), 6u + 16 * 8);
  const std::size_t entry = 6 + 16 * 6;  // the 64-pixel image
  ASSERT_EQ(Le(ico, entry, 1), 64u);
  const std::size_t dib = Le(ico, entry + 12, 4) + 40;
  auto at = [&](int x, int y) { return static_cast<std::uint32_t>(Le(ico, dib + 4 * ((63 - y) * 64 + x), 4)); };
  for (int y : {0, 20, 40, 63}) EXPECT_EQ(at(10, y), 0u) << y;
  for (int y : {31, 32}) {
    EXPECT_EQ(at(10, y) & 0xFFFFFF, 0xFF0000u) << y;
    EXPECT_NEAR(static_cast<double>(at(10, y) >> 24), 0.32 * 255, 1.0) << y;
  }
}

TEST(PictureIcon, ABigPictureDrawnOnSeveralCoresGivesEverySizeAsDrawnAlone) {
  // Big enough for the sizes to be drawn side by side; every pixel differs
  // from its neighbours, and the corners are half clear.
  RgbaImage picture = Filled(600, 520, 0);
  std::uint32_t noise = 7;
  for (std::uint32_t& p : picture.pixels) {
    noise = noise * 1664525u + 1013904223u;
    p = 0xFF000000u | (noise >> 8);
  }
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) picture.pixels[static_cast<std::size_t>(y) * 600 + x] &= 0x80FFFFFFu;
  const Bytes ico = PictureToIco(picture);
  const RgbaImage square = CentredOnSquare(picture);
  ASSERT_EQ(Le(ico, 4, 2), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    const int size = kPictureIconSizes[i];
    SCOPED_TRACE(size);
    const std::size_t offset = Le(ico, 6 + 16 * i + 12, 4), bytes = Le(ico, 6 + 16 * i + 8, 4);
    ASSERT_LE(offset + bytes, ico.size());
    const RgbaImage alone = ResampleArea(square, size, size);
    if (size == 256) {
      EXPECT_EQ(Bytes(ico.begin() + static_cast<std::ptrdiff_t>(offset),
                      ico.begin() + static_cast<std::ptrdiff_t>(offset + bytes)),
                EncodePng(alone));
      continue;
    }
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        ASSERT_EQ(Le(ico, offset + 40 + 4 * (static_cast<std::size_t>(size - 1 - y) * size + x), 4), alone.At(x, y))
            << x << "," << y;
  }
}

}  // namespace
}  // namespace vandrel
