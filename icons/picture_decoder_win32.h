// Pictures (PNG, JPEG, BMP, GIF, TIFF) read with Windows' own codecs (WIC).
#pragma once

#include <optional>
#include <string>

#include "icons/picture_source.h"
#include "platform/win32/gdi_handles.h"

namespace vandrel {

// Pictures larger than this are refused before they are decoded.
inline constexpr std::uint64_t kMaxPicturePixels = 64ull * 1000 * 1000;

// The first frame of the picture as straight RGBA; nullopt with `problem`
// saying why when the file is missing, not a picture WIC knows, damaged, or
// larger than kMaxPicturePixels. Fits PictureDecoder.
std::optional<RgbaImage> DecodePicture(const std::string& path, PictureProblem& problem);

// The picture as the folder icon it would become, at size x size: the
// image of its .ico best suited to that size. Null when it cannot be read.
IconHandle PicturePreviewIcon(const std::string& path, int size);

}  // namespace vandrel
