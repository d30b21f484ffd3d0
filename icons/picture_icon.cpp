#include "icons/picture_icon.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace vandrel {
namespace {

void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::byte>(v & 0xFF));
  out.push_back(static_cast<std::byte>((v >> 8) & 0xFF));
}
void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Put32BigEndian(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::byte>((v >> shift) & 0xFF));
}

std::uint32_t Crc32(const std::byte* data, std::size_t size, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ static_cast<std::uint32_t>(data[i])) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutChunk(Bytes& png, std::string_view type, const Bytes& data) {
  Put32BigEndian(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  for (char c : type) png.push_back(static_cast<std::byte>(c));
  png.insert(png.end(), data.begin(), data.end());
  Put32BigEndian(png, Crc32(png.data() + start, png.size() - start));
}

// A zlib stream of stored deflate blocks.
Bytes ZlibStored(const Bytes& raw) {
  Bytes z{std::byte{0x78}, std::byte{0x01}};
  std::size_t pos = 0;
  do {
    const std::size_t n = std::min<std::size_t>(raw.size() - pos, 65535);
    const bool last = pos + n == raw.size();
    z.push_back(static_cast<std::byte>(last ? 1 : 0));
    Put16(z, static_cast<std::uint32_t>(n));
    Put16(z, static_cast<std::uint32_t>(~n & 0xFFFF));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos), raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < raw.size());
  std::uint32_t a = 1, b = 0;  // Adler-32
  for (std::byte v : raw) {
    a = (a + static_cast<std::uint32_t>(v)) % 65521;
    b = (b + a) % 65521;
  }
  Put32BigEndian(z, (b << 16) | a);
  return z;
}

// Where each new pixel along one axis takes its source pixels from, and how much of each.
struct Span {
  int first = 0;
  std::vector<double> weights;
};

std::vector<Span> Spans(int from, int to) {
  std::vector<Span> spans(static_cast<std::size_t>(to));
  const double scale = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    const double start = i * scale, end = (i + 1) * scale;
    Span& s = spans[static_cast<std::size_t>(i)];
    s.first = static_cast<int>(std::floor(start));
    for (int p = s.first; p < from && p < end; ++p) {
      const double w = std::min<double>(end, p + 1) - std::max<double>(start, p);
      if (w > 0) s.weights.push_back(w);
      else if (s.weights.empty()) ++s.first;
    }
  }
  return spans;
}

std::uint32_t Channel(std::uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

}  // namespace

RgbaImage CentredOnSquare(const RgbaImage& picture) {
  const int side = std::max(picture.width, picture.height);
  RgbaImage square{side, side, std::vector<std::uint32_t>(static_cast<std::size_t>(side) * side, 0)};
  const int left = (side - picture.width) / 2, top = (side - picture.height) / 2;
  for (int y = 0; y < picture.height; ++y)
    std::copy_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * picture.width, picture.width,
                square.pixels.begin() + static_cast<std::ptrdiff_t>(y + top) * side + left);
  return square;
}

RgbaImage ResampleArea(const RgbaImage& picture, int width, int height) {
  RgbaImage out{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0)};
  if (picture.width <= 0 || picture.height <= 0) return out;
  const std::vector<Span> xs = Spans(picture.width, width), ys = Spans(picture.height, height);
  for (int y = 0; y < height; ++y) {
    const Span& sy = ys[static_cast<std::size_t>(y)];
    for (int x = 0; x < width; ++x) {
      const Span& sx = xs[static_cast<std::size_t>(x)];
      double area = 0, alpha = 0, r = 0, g = 0, b = 0;
      for (std::size_t j = 0; j < sy.weights.size(); ++j) {
        for (std::size_t i = 0; i < sx.weights.size(); ++i) {
          const double w = sy.weights[j] * sx.weights[i];
          const std::uint32_t p = picture.At(sx.first + static_cast<int>(i), sy.first + static_cast<int>(j));
          const double a = w * Channel(p, 24);
          area += w;
          alpha += a;
          r += a * Channel(p, 16);
          g += a * Channel(p, 8);
          b += a * Channel(p, 0);
        }
      }
      if (area <= 0 || alpha <= 0) continue;
      auto round = [](double v) { return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
      out.pixels[static_cast<std::size_t>(y) * width + x] =
          round(alpha / area) << 24 | round(r / alpha) << 16 | round(g / alpha) << 8 | round(b / alpha);
    }
  }
  return out;
}

Bytes EncodePng(const RgbaImage& image) {
  Bytes png;
  for (int v : {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}) png.push_back(static_cast<std::byte>(v));  // \x89PNG\r\n\x1A\n
  Bytes header;
  Put32BigEndian(header, static_cast<std::uint32_t>(image.width));
  Put32BigEndian(header, static_cast<std::uint32_t>(image.height));
  for (int v : {8, 6, 0, 0, 0}) header.push_back(static_cast<std::byte>(v));  // 8-bit RGBA, no interlace
  PutChunk(png, "IHDR", header);
  Bytes raw;
  raw.reserve(static_cast<std::size_t>(image.height) * (1 + 4 * static_cast<std::size_t>(image.width)));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(std::byte{0});  // no filter
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t p = image.At(x, y);
      for (int shift : {16, 8, 0, 24}) raw.push_back(static_cast<std::byte>(Channel(p, shift)));
    }
  }
  PutChunk(png, "IDAT", ZlibStored(raw));
  PutChunk(png, "IEND", {});
  return png;
}

Bytes PictureToIco(const RgbaImage& picture) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  const RgbaImage square = CentredOnSquare(picture);
  std::vector<Bytes> images;
  for (int size : kPictureIconSizes) {
    const RgbaImage scaled = ResampleArea(square, size, size);
    if (size == 256) {
      images.push_back(EncodePng(scaled));
      continue;
    }
    Bytes dib;
    const std::uint32_t mask_stride = static_cast<std::uint32_t>((size + 31) / 32 * 4);
    Put32(dib, 40);
    Put32(dib, static_cast<std::uint32_t>(size));
    Put32(dib, static_cast<std::uint32_t>(size * 2));  // the colours and the mask
    Put16(dib, 1);
    Put16(dib, 32);
    Put32(dib, 0);  // BI_RGB
    Put32(dib, static_cast<std::uint32_t>(size * size * 4) + mask_stride * static_cast<std::uint32_t>(size));
    for (int i = 0; i < 4; ++i) Put32(dib, 0);
    for (int y = size - 1; y >= 0; --y)  // bottom-up, BGRA
      for (int x = 0; x < size; ++x) Put32(dib, scaled.At(x, y));
    for (int y = size - 1; y >= 0; --y) {
      Bytes row(mask_stride, std::byte{0});
      for (int x = 0; x < size; ++x)
        if (Channel(scaled.At(x, y), 24) == 0) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::byte>(0x80 >> (x % 8));
      dib.insert(dib.end(), row.begin(), row.end());
    }
    images.push_back(std::move(dib));
  }
  Bytes ico;
  Put16(ico, 0);
  Put16(ico, 1);
  Put16(ico, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const int size = kPictureIconSizes[i];
    ico.push_back(static_cast<std::byte>(size >= 256 ? 0 : size));
    ico.push_back(static_cast<std::byte>(size >= 256 ? 0 : size));
    ico.push_back(std::byte{0});
    ico.push_back(std::byte{0});
    Put16(ico, 1);
    Put16(ico, 32);
    Put32(ico, static_cast<std::uint32_t>(images[i].size()));
    Put32(ico, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const Bytes& image : images) ico.insert(ico.end(), image.begin(), image.end());
  return ico;
}

}  // namespace vandrel
