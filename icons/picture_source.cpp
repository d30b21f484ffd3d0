#include "icons/picture_source.h"

#include <array>

#include "common/paths.h"

namespace vandrel {

bool IsPictureFile(std::string_view path) {
  static constexpr std::array<std::string_view, 7> kExtensions = {".png", ".jpg", ".jpeg", ".bmp",
                                                                  ".gif", ".tif", ".tiff"};
  for (std::string_view ext : kExtensions)
    if (HasExtension(path, ext)) return true;
  return false;
}

std::string PictureProblemText(const MessageCaptions& captions, const std::string& path,
                               const PictureProblem& problem) {
  std::string text;
  switch (problem.kind) {
    case PictureProblem::Kind::kMissing:
      return captions.Caption("LangFileNotFound") + " " + path;
    case PictureProblem::Kind::kTooLarge:
      text = captions.Caption("LangPictureTooLarge") + " " + path;
      break;
    case PictureProblem::Kind::kUnreadable:
      text = captions.Caption("LangPictureUnreadable") + " " + path;
      break;
  }
  if (!problem.detail.empty()) text += " (" + problem.detail + ")";
  return text;
}

bool WritePictureIco(IconServices& s, const PictureDecoder& decode, const std::string& source,
                     const std::string& out) {
  PictureProblem problem;
  std::optional<RgbaImage> picture;
  if (decode) {
    picture = decode(source, problem);
  } else {
    problem.detail = "no picture codecs";
  }
  Bytes ico;
  if (picture) ico = PictureToIco(*picture);
  if (ico.empty()) {
    s.prompts.ShowError(PictureProblemText(s.captions, source, problem), s.captions.Caption("LangError"));
    return false;
  }
  s.fs.WriteFileAtomically(out, ico);
  return true;
}

}  // namespace vandrel
