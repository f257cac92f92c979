// Site cover pictures: a toolkit-free 24-bit picture buffer, JPEG coding through libjpeg-turbo,
// the built-in default cover and the 160 x 120 cut used for thumbnails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillora {

// Rows top to bottom, each `width` pixels of three bytes R, G, B; no padding between rows.
struct TImage24 {
  int width = 0;
  int height = 0;
  std::string bytes;  // width * height * 3

  TImage24() = default;
  TImage24(int w, int h, uint8_t r = 0, uint8_t g = 0, uint8_t b = 0);
  bool Empty() const { return width <= 0 || height <= 0; }
  uint8_t* Pixel(int x, int y) {
    return reinterpret_cast<uint8_t*>(bytes.data()) + (static_cast<size_t>(y) * width + x) * 3;
  }
  const uint8_t* Pixel(int x, int y) const {
    return reinterpret_cast<const uint8_t*>(bytes.data()) +
           (static_cast<size_t>(y) * width + x) * 3;
  }
};

inline constexpr int kThumbnailWidth = 160;
inline constexpr int kThumbnailHeight = 120;
// Covers larger than this are refused when decoding: a screenshot never comes near it, and a
// damaged header must not make us allocate for a picture that is not there.
inline constexpr int64_t kMaxCoverPixels = int64_t{16} << 20;
inline constexpr int kDefaultJpegQuality = 90;

// Decodes a JPEG (grey-scale or colour) into 24-bit RGB. Throws std::runtime_error with the
// decoder's message for broken data or a picture beyond kMaxCoverPixels.
TImage24 DecodeJpeg(std::string_view jpeg);
// Encodes a 24-bit picture as a baseline JPEG. Throws std::runtime_error for an empty picture.
std::string EncodeJpeg(const TImage24& image, int quality = kDefaultJpegQuality);

// The picture a site shows when it has no cover of its own (160 x 120), and its JPEG bytes.
const TImage24& DefaultCoverImage();
const std::string& DefaultCoverJpeg();

// The top-left width x height part of a picture without scaling; parts outside the source are
// white.
TImage24 CutImage(const TImage24& image, int width = kThumbnailWidth,
                  int height = kThumbnailHeight);

}  // namespace quillora
