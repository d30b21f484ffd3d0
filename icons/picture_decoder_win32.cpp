#include "icons/picture_decoder_win32.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "icons/get_big_icon_win32.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"

namespace vandrel {
namespace {

std::string HresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

// A PNG file must end with its end chunk: without it the file was cut short,
// and some decoders fill the missing rows with whatever they like.
bool CutShortPng(const std::string& path) {
  HANDLE file = ::CreateFileW(ToWinPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool cut = false;
  unsigned char head[8] = {}, tail[8] = {};
  DWORD got = 0;
  LARGE_INTEGER size{};
  constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (::ReadFile(file, head, sizeof head, &got, nullptr) && got == sizeof head &&
      std::equal(head, head + 8, kSignature) && ::GetFileSizeEx(file, &size)) {
    LARGE_INTEGER at{};
    at.QuadPart = size.QuadPart - 8;
    cut = size.QuadPart < 8 + 25 + 12 || !::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
          !::ReadFile(file, tail, sizeof tail, &got, nullptr) || got != sizeof tail ||
          std::memcmp(tail, "IEND", 4) != 0;
  }
  ::CloseHandle(file);
  return cut;
}

}  // namespace

std::optional<RgbaImage> DecodePicture(const std::string& path, PictureProblem& problem) {
  using Kind = PictureProblem::Kind;
  // COM for this thread, when nobody set it up yet.
  const ComApartment com;

  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory), factory.PutVoid());
  if (FAILED(hr)) {
    problem = {Kind::kUnreadable, "no picture codecs, " + HresultText(hr)};
    return std::nullopt;
  }
  ComPtr<IWICBitmapDecoder> decoder;
  hr = factory->CreateDecoderFromFilename(ToWinPath(path).c_str(), nullptr, GENERIC_READ,
                                          WICDecodeMetadataCacheOnDemand, decoder.Put());
  if (FAILED(hr)) {
    problem = ::GetFileAttributesW(ToWinPath(path).c_str()) == INVALID_FILE_ATTRIBUTES
                  ? PictureProblem{Kind::kMissing, {}}
                  : PictureProblem{Kind::kUnreadable, HresultText(hr)};
    return std::nullopt;
  }
  if (CutShortPng(path)) {
    problem = {Kind::kUnreadable, "cut short"};
    return std::nullopt;
  }
  ComPtr<IWICBitmapFrameDecode> frame;
  UINT width = 0, height = 0;
  if (FAILED(hr = decoder->GetFrame(0, frame.Put())) || FAILED(hr = frame->GetSize(&width, &height)) || width == 0 ||
      height == 0) {
    problem = {Kind::kUnreadable, HresultText(hr)};
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(width) * height > kMaxPicturePixels) {
    problem = {Kind::kTooLarge, std::to_string(width) + " x " + std::to_string(height)};
    return std::nullopt;
  }
  // The factory's converter rather than WICConvertBitmapSource: importing
  // nothing from windowscodecs keeps it from loading at every start.
  ComPtr<IWICFormatConverter> bgra;
  hr = factory->CreateFormatConverter(bgra.Put());
  if (SUCCEEDED(hr))
    hr = bgra->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                          WICBitmapPaletteTypeCustom);
  RgbaImage image{static_cast<int>(width), static_cast<int>(height), {}};
  try {
    image.pixels.resize(static_cast<std::size_t>(width) * height);
  } catch (const std::bad_alloc&) {
    // A 32-bit process may not find a quarter of a gigabyte in one piece.
    problem = {Kind::kTooLarge, std::to_string(width) + " x " + std::to_string(height) + ", not enough memory"};
    return std::nullopt;
  }
  // BGRA bytes are 0xAARRGGBB words on this little-endian machine.
  if (SUCCEEDED(hr))
    hr = bgra->CopyPixels(nullptr, width * 4, static_cast<UINT>(image.pixels.size() * 4),
                          reinterpret_cast<BYTE*>(image.pixels.data()));
  if (FAILED(hr)) {
    problem = {Kind::kUnreadable, HresultText(hr)};
    return std::nullopt;
  }
  return image;
}

IconHandle PicturePreviewIcon(const std::string& path, int size) {
  PictureProblem problem;
  const std::optional<RgbaImage> picture = DecodePicture(path, problem);
  if (!picture) return {};
  return IconFromIco(PictureToIco(*picture), size);
}

}  // namespace vandrel
