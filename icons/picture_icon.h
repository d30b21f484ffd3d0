// Any picture as a folder icon: the sizes Explorer asks for, drawn from one
// RGBA image by area averaging in our own code (so the result is the same on
// every system), written as an .ico file whose largest image is a PNG.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/file_system.h"

namespace vandrel {

// Straight (not premultiplied) pixels, 0xAARRGGBB, row by row from the top.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  bool operator==(const RgbaImage&) const = default;
};

inline constexpr std::array<int, 8> kPictureIconSizes = {16, 20, 24, 32, 40, 48, 64, 256};

// The picture centred on a transparent square as wide as its longer side.
RgbaImage CentredOnSquare(const RgbaImage& picture);

// The picture at width x height: each new pixel the average of the area of
// the picture it covers, weighted by coverage and opacity (so transparent
// pixels lend no colour to their neighbours).
RgbaImage ResampleArea(const RgbaImage& picture, int width, int height);

// A PNG file of the image: 8-bit RGBA, one zlib stream (deflate with the
// fixed Huffman codes).
Bytes EncodePng(const RgbaImage& image);

// The .ico file of a picture: centred on a square, at every size of
// kPictureIconSizes, 32-bit with alpha and a matching mask; the 256-pixel
// image as a PNG. An empty picture gives an empty result.
Bytes PictureToIco(const RgbaImage& picture);

}  // namespace vandrel
