#include "pad/pad_picture.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include <jpeglib.h>

#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/stream.h"

namespace quillora {

namespace {

// Headers are all we read; the few formats other than JPEG have them at fixed places, so a
// reader each is a handful of lines (no image library here reads BMP, ICO, WMF and EMF headers
// without decoding the whole picture).
constexpr int64_t kMaxPictureFile = int64_t{64} << 20;

uint32_t U16(std::string_view b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8;
}
uint32_t U32(std::string_view b, size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}
int32_t S32(std::string_view b, size_t at) {
  return static_cast<int32_t>(U32(b, at));
}
int16_t S16(std::string_view b, size_t at) {
  return static_cast<int16_t>(U16(b, at));
}

bool Positive(TPictureSize& size, int64_t w, int64_t h) {
  if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX) return false;
  size.width = static_cast<int>(w);
  size.height = static_cast<int>(h);
  return true;
}

bool ReadBmp(std::string_view b, TPictureSize& size) {
  if (b.size() < 26 || b.substr(0, 2) != "BM") return false;
  const uint32_t header = U32(b, 14);
  if (header == 12) return Positive(size, U16(b, 18), U16(b, 20));  // OS/2 core header
  if (header < 40 || b.size() < 26) return false;
  const int64_t h = S32(b, 22);
  return Positive(size, S32(b, 18), h < 0 ? -h : h);  // negative: stored top-down
}

// An icon file's first image: width and height bytes, 0 meaning 256.
bool ReadIco(std::string_view b, TPictureSize& size) {
  if (b.size() < 22 || U16(b, 0) != 0 || U16(b, 2) != 1 || U16(b, 4) == 0) return false;
  const int w = static_cast<uint8_t>(b[6]), h = static_cast<uint8_t>(b[7]);
  return Positive(size, w ? w : 256, h ? h : 256);
}

bool ReadGif(std::string_view b, TPictureSize& size) {
  if (b.size() < 10 || (b.substr(0, 6) != "GIF87a" && b.substr(0, 6) != "GIF89a")) return false;
  return Positive(size, U16(b, 6), U16(b, 8));
}

// A placeable metafile's frame is in its own units per inch; the screen shows 96 per inch.
bool ReadWmf(std::string_view b, TPictureSize& size) {
  if (b.size() >= 22 && U32(b, 0) == 0x9AC6CDD7u) {
    const int64_t inch = U16(b, 14);
    if (!inch) return false;
    const int64_t w = S16(b, 10) - S16(b, 6), h = S16(b, 12) - S16(b, 8);
    return Positive(size, (w * 96 + inch / 2) / inch, (h * 96 + inch / 2) / inch);
  }
  // A bare metafile says nothing of its size.
  if (b.size() >= 18 && (U16(b, 0) == 1 || U16(b, 0) == 2) && U16(b, 2) == 9) {
    size = {};
    return true;
  }
  return false;
}

// The bounds of an enhanced metafile are inclusive device pixels.
bool ReadEmf(std::string_view b, TPictureSize& size) {
  if (b.size() < 88 || U32(b, 0) != 1 || b.substr(40, 4) != " EMF") return false;
  return Positive(size, int64_t{S32(b, 16)} - S32(b, 8) + 1, int64_t{S32(b, 20)} - S32(b, 12) + 1);
}

struct JpegError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
  longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}
void JpegQuiet(j_common_ptr, int) {}

bool ReadJpeg(std::string_view b, TPictureSize& size) {
  if (b.size() < 4) return false;
  jpeg_decompress_struct info{};
  JpegError err{};
  info.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegFail;
  err.mgr.emit_message = JpegQuiet;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(b.data()),
               static_cast<unsigned long>(b.size()));
  const bool ok = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK &&
                  Positive(size, info.image_width, info.image_height);
  jpeg_destroy_decompress(&info);
  return ok;
}

}  // namespace

bool ReadPictureSize(const std::string& path, TPictureSize& size) {
  const std::string name = ExtractFileName(path);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string ext = AnsiLowerCase(name.substr(dot + 1));
  const int64_t file_size = FileSizeOf(path);
  if (file_size < 0 || file_size > kMaxPictureFile) return false;
  std::string bytes;
  try {
    bytes = FileToString(path);
  } catch (const std::exception&) {
    return false;
  }
  if (ext == "bmp") return ReadBmp(bytes, size);
  if (ext == "ico") return ReadIco(bytes, size);
  if (ext == "gif") return ReadGif(bytes, size);
  if (ext == "wmf") return ReadWmf(bytes, size);
  if (ext == "emf") return ReadEmf(bytes, size);
  if (ext == "jpg" || ext == "jpeg") return ReadJpeg(bytes, size);
  return false;
}

}  // namespace quillora
