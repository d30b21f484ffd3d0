// Pictures (PNG, JPEG, BMP, GIF, TIFF) as icon sources: recognising them, the
// reasons one cannot be used, and writing one out as an .ico file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "icons/icon_extraction.h"
#include "icons/picture_icon.h"

namespace vandrel {

// A file the program reads as a picture, judged by its extension.
bool IsPictureFile(std::string_view path);

struct PictureProblem {
  enum class Kind {
    kMissing,     // no such file
    kUnreadable,  // not a picture the system's codecs know, or damaged
    kTooLarge,    // more pixels than we are willing to decode
  };
  Kind kind = Kind::kUnreadable;
  std::string detail;  // an error code or the picture's size, for the message
};

// Reads the first frame of a picture; nullopt with the problem filled in.
using PictureDecoder = std::function<std::optional<RgbaImage>(const std::string& path, PictureProblem& problem)>;

// The message for a picture that could not be used, in the current language.
std::string PictureProblemText(const MessageCaptions& captions, const std::string& path,
                               const PictureProblem& problem);

// Decodes `source` and writes its .ico to `out` in one step. False when the
// picture could not be used (the reason has been shown as an error) — then
// nothing was written. A failed write reaches the caller.
bool WritePictureIco(IconServices& s, const PictureDecoder& decode, const std::string& source,
                     const std::string& out);

}  // namespace vandrel
