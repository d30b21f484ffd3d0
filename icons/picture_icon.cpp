#include "icons/picture_icon.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>

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

// Bits for a deflate stream, the first bit in the lowest place of each byte.
class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}
  void Put(std::uint32_t bits, int count) {
    acc_ |= bits << used_;
    used_ += count;
    while (used_ >= 8) {
      out_.push_back(static_cast<std::byte>(acc_ & 0xFF));
      acc_ >>= 8;
      used_ -= 8;
    }
  }
  // A Huffman code goes out from its highest bit.
  void PutCode(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1) << (length - 1 - i);
    Put(reversed, length);
  }
  void Flush() {
    if (used_ > 0) out_.push_back(static_cast<std::byte>(acc_ & 0xFF));
    acc_ = 0;
    used_ = 0;
  }

 private:
  Bytes& out_;
  std::uint32_t acc_ = 0;
  int used_ = 0;
};

constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistanceBase = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                               33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                               1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// A literal, a length or the end of the block, in the fixed Huffman codes.
void PutSymbol(BitWriter& w, int symbol) {
  if (symbol <= 143) w.PutCode(static_cast<std::uint32_t>(0x30 + symbol), 8);
  else if (symbol <= 255) w.PutCode(static_cast<std::uint32_t>(0x190 + symbol - 144), 9);
  else if (symbol <= 279) w.PutCode(static_cast<std::uint32_t>(symbol - 256), 7);
  else w.PutCode(static_cast<std::uint32_t>(0xC0 + symbol - 280), 8);
}

void PutMatch(BitWriter& w, int length, int distance) {
  int l = 28;
  while (kLengthBase[static_cast<std::size_t>(l)] > length) --l;
  PutSymbol(w, 257 + l);
  w.Put(static_cast<std::uint32_t>(length - kLengthBase[static_cast<std::size_t>(l)]), kLengthExtra[static_cast<std::size_t>(l)]);
  int d = 29;
  while (kDistanceBase[static_cast<std::size_t>(d)] > distance) --d;
  w.PutCode(static_cast<std::uint32_t>(d), 5);
  w.Put(static_cast<std::uint32_t>(distance - kDistanceBase[static_cast<std::size_t>(d)]), kDistanceExtra[static_cast<std::size_t>(d)]);
}

// A zlib stream: one deflate block in the fixed Huffman codes, repeats found
// through a hash of their first three bytes (greedy, the nearest first).
Bytes Zlib(const Bytes& raw) {
  Bytes z{std::byte{0x78}, std::byte{0x01}};
  BitWriter w(z);
  w.Put(1, 1);  // the last block
  w.Put(1, 2);  // fixed codes
  constexpr int kWindow = 32768, kMaxChain = 64, kMinMatch = 3, kMaxMatch = 258;
  std::vector<int> head(1 << 16, -1), prev(kWindow, -1);
  const int n = static_cast<int>(raw.size());
  auto at = [&](int i) { return static_cast<int>(raw[static_cast<std::size_t>(i)]); };
  auto hash = [&](int i) { return (at(i) << 8 ^ at(i + 1) << 4 ^ at(i + 2)) & 0xFFFF; };
  auto insert = [&](int i) {
    if (i + kMinMatch > n) return;
    const int h = hash(i);
    prev[static_cast<std::size_t>(i % kWindow)] = head[static_cast<std::size_t>(h)];
    head[static_cast<std::size_t>(h)] = i;
  };
  for (int i = 0; i < n;) {
    int best = 0, best_distance = 0;
    if (i + kMinMatch <= n) {
      int candidate = head[static_cast<std::size_t>(hash(i))];
      for (int chain = 0; candidate >= 0 && i - candidate <= kWindow && chain < kMaxChain; ++chain) {
        int length = 0;
        const int limit = std::min(kMaxMatch, n - i);
        while (length < limit && raw[static_cast<std::size_t>(candidate + length)] == raw[static_cast<std::size_t>(i + length)])
          ++length;
        if (length > best) {
          best = length;
          best_distance = i - candidate;
          if (length == limit) break;
        }
        const int older = prev[static_cast<std::size_t>(candidate % kWindow)];
        if (older >= candidate) break;  // the slot was taken by a newer position
        candidate = older;
      }
    }
    if (best >= kMinMatch) {
      PutMatch(w, best, best_distance);
      for (int k = 0; k < best; ++k) insert(i + k);
      i += best;
    } else {
      PutSymbol(w, at(i));
      insert(i);
      ++i;
    }
  }
  PutSymbol(w, 256);
  w.Flush();
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

namespace {

// A clear canvas of canvas_w x canvas_h with the picture at (left, top),
// drawn at width x height; the canvas itself is never made, so a long thin
// picture costs no more than its own pixels.
RgbaImage ResampleOnCanvas(const RgbaImage& picture, int left, int top, int canvas_w, int canvas_h, int width,
                           int height) {
  RgbaImage out{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0)};
  if (picture.width <= 0 || picture.height <= 0 || canvas_w <= 0 || canvas_h <= 0) return out;
  const std::vector<Span> xs = Spans(canvas_w, width), ys = Spans(canvas_h, height);
  const auto total = [](const Span& s) {
    double sum = 0;
    for (double w : s.weights) sum += w;
    return sum;
  };
  // The part of a span that lies on the picture, as indices into its weights.
  const auto on_picture = [](const Span& s, int offset, int extent) {
    const int from = std::max(0, offset - s.first);
    const int to = std::min(static_cast<int>(s.weights.size()), offset + extent - s.first);
    return std::pair{from, to};
  };
  for (int y = 0; y < height; ++y) {
    const Span& sy = ys[static_cast<std::size_t>(y)];
    const double y_area = total(sy);
    const auto [j0, j1] = on_picture(sy, top, picture.height);
    for (int x = 0; x < width; ++x) {
      const Span& sx = xs[static_cast<std::size_t>(x)];
      const auto [i0, i1] = on_picture(sx, left, picture.width);
      // Clear canvas counts towards the area but lends no colour.
      const double area = y_area * total(sx);
      double alpha = 0, r = 0, g = 0, b = 0;
      for (int j = j0; j < j1; ++j) {
        for (int i = i0; i < i1; ++i) {
          const double w = sy.weights[static_cast<std::size_t>(j)] * sx.weights[static_cast<std::size_t>(i)];
          const std::uint32_t p = picture.At(sx.first + i - left, sy.first + j - top);
          const double a = w * Channel(p, 24);
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

// Every size of the icon. Each one is a pass over the whole picture, so for a
// big picture they are drawn side by side on the machine's cores; the result
// is the same as drawing them one after another.
std::vector<RgbaImage> DrawEverySize(const RgbaImage& picture, int left, int top, int side) {
  constexpr std::size_t kCount = kPictureIconSizes.size();
  std::vector<RgbaImage> all(kCount);
  std::atomic<std::size_t> next{0};
  std::mutex failed_guard;
  std::exception_ptr failed;
  const auto work = [&] {
    for (std::size_t k; (k = next++) < kCount;) {
      try {
        all[k] = ResampleOnCanvas(picture, left, top, side, side, kPictureIconSizes[k], kPictureIconSizes[k]);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(failed_guard);
        if (!failed) failed = std::current_exception();
      }
    }
  };
  constexpr std::size_t kWorthAThread = 512 * 512;  // below this a thread costs more than it saves
  const std::size_t pixels = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());  // 0: not known
  const std::size_t helpers = pixels < kWorthAThread ? 0 : std::min(kCount, cores) - 1;
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < helpers; ++i) {
    try {
      threads.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: this one does the rest
    }
  }
  work();
  for (std::thread& t : threads) t.join();
  if (failed) std::rethrow_exception(failed);
  return all;
}

}  // namespace

RgbaImage ResampleArea(const RgbaImage& picture, int width, int height) {
  return ResampleOnCanvas(picture, 0, 0, picture.width, picture.height, width, height);
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
  PutChunk(png, "IDAT", Zlib(raw));
  PutChunk(png, "IEND", {});
  return png;
}

Bytes PictureToIco(const RgbaImage& picture) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  // Centred on a clear square, as CentredOnSquare would make it.
  const int side = std::max(picture.width, picture.height);
  const int left = (side - picture.width) / 2, top = (side - picture.height) / 2;
  const std::vector<RgbaImage> all = DrawEverySize(picture, left, top, side);
  std::vector<Bytes> images;
  for (std::size_t k = 0; k < kPictureIconSizes.size(); ++k) {
    const int size = kPictureIconSizes[k];
    const RgbaImage& scaled = all[k];
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
