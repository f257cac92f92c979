#include "sites/cover.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>

namespace quillora {

TImage24::TImage24(int w, int h, uint8_t r, uint8_t g, uint8_t b) : width(w), height(h) {
  if (w <= 0 || h <= 0) {
    width = height = 0;
    return;
  }
  bytes.resize(static_cast<size_t>(w) * h * 3);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    bytes[i] = static_cast<char>(r);
    bytes[i + 1] = static_cast<char>(g);
    bytes[i + 2] = static_cast<char>(b);
  }
}

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. We jump back to the
// caller's setjmp; the functions that set it up keep only plain locals alive across the jump.
struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

// A damaged progressive file can hold thousands of tiny scans, each a full pass over the
// coefficients; real covers have a dozen at most.
constexpr int kMaxScans = 500;

void JpegProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "JPEG file has more than %d scans", kMaxScans);
    std::longjmp(err->jump, 1);
  }
}

constexpr long kMaxJpegMemory = 256L << 20;

// Returns 0 on success; else fills message. `pixels` receives a malloc'd RGB buffer.
int DecodeCore(const unsigned char* data, unsigned long size, int* width, int* height,
               unsigned char** pixels, char* message) {
  jpeg_decompress_struct cinfo;
  JpegError err;
  jpeg_progress_mgr progress;
  unsigned char* volatile buffer = nullptr;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  err.mgr.emit_message = JpegSilence;
  err.message[0] = '\0';
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::free(buffer);
    std::memcpy(message, err.message, JMSG_LENGTH_MAX);
    return 1;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxJpegMemory;
  progress.progress_monitor = JpegProgress;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, data, size);
  jpeg_read_header(&cinfo, TRUE);
  if (static_cast<int64_t>(cinfo.image_width) * cinfo.image_height > kMaxCoverPixels) {
    std::snprintf(err.message, sizeof err.message, "JPEG picture of %ux%u pixels is too large",
                  cinfo.image_width, cinfo.image_height);
    std::longjmp(err.jump, 1);
  }
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 3) {
    std::snprintf(err.message, sizeof err.message, "Unsupported JPEG colour layout");
    std::longjmp(err.jump, 1);
  }
  const size_t stride = static_cast<size_t>(cinfo.output_width) * 3;
  buffer = static_cast<unsigned char*>(std::malloc(stride * cinfo.output_height + 1));
  if (!buffer) {
    std::snprintf(err.message, sizeof err.message, "Out of memory decoding a JPEG picture");
    std::longjmp(err.jump, 1);
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = buffer + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  *width = static_cast<int>(cinfo.output_width);
  *height = static_cast<int>(cinfo.output_height);
  jpeg_destroy_decompress(&cinfo);
  *pixels = buffer;
  return 0;
}

int EncodeCore(const unsigned char* rgb, int width, int height, int quality, unsigned char** out,
               unsigned long* out_size, char* message) {
  jpeg_compress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  err.mgr.emit_message = JpegSilence;
  err.message[0] = '\0';
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::memcpy(message, err.message, JMSG_LENGTH_MAX);
    return 1;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, out, out_size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = static_cast<size_t>(width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    auto row = const_cast<JSAMPROW>(rgb + stride * cinfo.next_scanline);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return 0;
}

void FillRect(TImage24& img, int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b) {
  for (int y = std::max(0, y0); y < std::min(img.height, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(img.width, x1); ++x) {
      uint8_t* p = img.Pixel(x, y);
      p[0] = r, p[1] = g, p[2] = b;
    }
}

void FillDisc(TImage24& img, int cx, int cy, int radius, uint8_t r, uint8_t g, uint8_t b) {
  for (int y = cy - radius; y <= cy + radius; ++y)
    for (int x = cx - radius; x <= cx + radius; ++x)
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius)
        FillRect(img, x, y, x + 1, y + 1, r, g, b);
}

// A small browser window on a blue gradient: the picture of "a web site" until a real
// screenshot replaces it.
TImage24 DrawDefaultCover() {
  TImage24 img(kThumbnailWidth, kThumbnailHeight);
  for (int y = 0; y < img.height; ++y) {
    const int t = y * 255 / (img.height - 1);
    FillRect(img, 0, y, img.width, y + 1, static_cast<uint8_t>(70 + t * 130 / 255),
             static_cast<uint8_t>(110 + t * 110 / 255), static_cast<uint8_t>(170 + t * 70 / 255));
  }
  FillRect(img, 16, 14, 148, 110, 40, 48, 64);    // shadow
  FillRect(img, 12, 10, 144, 106, 96, 104, 120);  // frame
  FillRect(img, 13, 11, 143, 24, 210, 214, 222);  // title bar
  FillDisc(img, 19, 17, 3, 230, 90, 80);
  FillDisc(img, 28, 17, 3, 240, 190, 70);
  FillDisc(img, 37, 17, 3, 110, 190, 100);
  FillRect(img, 46, 14, 138, 21, 255, 255, 255);   // address box
  FillRect(img, 13, 24, 143, 105, 255, 255, 255);  // page
  FillRect(img, 13, 24, 143, 36, 60, 110, 180);    // page header
  FillRect(img, 20, 42, 70, 80, 200, 220, 240);    // picture on the page
  for (int line = 0; line < 6; ++line) {           // text lines
    const int y = 43 + line * 7;
    FillRect(img, 76, y, line % 3 == 2 ? 116 : 136, y + 3, 170, 175, 185);
  }
  FillRect(img, 20, 86, 60, 96, 90, 160, 90);  // a button
  FillRect(img, 66, 88, 136, 91, 170, 175, 185);
  return img;
}

}  // namespace

TImage24 DecodeJpeg(std::string_view jpeg) {
  if (jpeg.empty()) throw std::runtime_error("JPEG error: empty picture data");
  int width = 0, height = 0;
  unsigned char* pixels = nullptr;
  char message[JMSG_LENGTH_MAX];
  if (DecodeCore(reinterpret_cast<const unsigned char*>(jpeg.data()),
                 static_cast<unsigned long>(jpeg.size()), &width, &height, &pixels, message) != 0)
    throw std::runtime_error(std::string("JPEG error: ") + message);
  TImage24 img;
  img.width = width;
  img.height = height;
  try {
    img.bytes.assign(reinterpret_cast<const char*>(pixels),
                     static_cast<size_t>(width) * height * 3);
  } catch (...) {
    std::free(pixels);
    throw;
  }
  std::free(pixels);
  return img;
}

std::string EncodeJpeg(const TImage24& image, int quality) {
  if (image.Empty() || image.bytes.size() != static_cast<size_t>(image.width) * image.height * 3)
    throw std::runtime_error("JPEG error: no picture to encode");
  unsigned char* out = nullptr;
  unsigned long out_size = 0;
  char message[JMSG_LENGTH_MAX];
  const int rc = EncodeCore(reinterpret_cast<const unsigned char*>(image.bytes.data()), image.width,
                            image.height, quality, &out, &out_size, message);
  std::string result;
  if (rc == 0) {
    try {
      result.assign(reinterpret_cast<const char*>(out), out_size);
    } catch (...) {
      std::free(out);
      throw;
    }
  }
  std::free(out);
  if (rc != 0) throw std::runtime_error(std::string("JPEG error: ") + message);
  return result;
}

const TImage24& DefaultCoverImage() {
  static const TImage24 image = DrawDefaultCover();
  return image;
}

const std::string& DefaultCoverJpeg() {
  static const std::string jpeg = EncodeJpeg(DefaultCoverImage());
  return jpeg;
}

TImage24 CutImage(const TImage24& image, int width, int height) {
  TImage24 out(width, height, 255, 255, 255);
  const int w = std::min(width, image.width), h = std::min(height, image.height);
  for (int y = 0; y < h; ++y)
    std::memcpy(out.Pixel(0, y), image.Pixel(0, y), static_cast<size_t>(w) * 3);
  return out;
}

}  // namespace quillora
