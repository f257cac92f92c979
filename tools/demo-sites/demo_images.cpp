#include "demo-sites/demo_images.h"

#include <algorithm>
#include <cstdint>

#include "foundation/encoding.h"

namespace quillora {

namespace {

void PutBigEndian32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void PutLittleEndian(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void Chunk(std::string& png, const char* type, const std::string& data) {
  PutBigEndian32(png, static_cast<uint32_t>(data.size()));
  const std::string typed = std::string(type, 4) + data;
  png += typed;
  PutBigEndian32(png, Crc32(typed));
}

uint32_t Adler32(std::string_view bytes) {
  uint32_t a = 1, b = 0;
  for (const char c : bytes) {
    a = (a + static_cast<uint8_t>(c)) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void Fill(TImage24& image, int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b) {
  for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x) {
      uint8_t* p = image.Pixel(x, y);
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
}

}  // namespace

std::string EncodePng(const TImage24& image) {
  // The pictures are a few kilobytes; a compressor would save nothing worth a dependency.
  std::string raw;
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';  // filter type: none
    raw.append(reinterpret_cast<const char*>(image.Pixel(0, y)),
               static_cast<size_t>(image.width) * 3);
  }
  std::string zlib = "\x78\x01";
  for (size_t at = 0; at < raw.size() || at == 0;) {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    const bool last = at + n >= raw.size();
    zlib += static_cast<char>(last ? 1 : 0);
    PutLittleEndian(zlib, static_cast<uint32_t>(n), 2);
    PutLittleEndian(zlib, static_cast<uint32_t>(~n & 0xFFFF), 2);
    zlib.append(raw, at, n);
    at += n;
    if (last) break;
  }
  PutBigEndian32(zlib, Adler32(raw));

  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutBigEndian32(header, static_cast<uint32_t>(image.width));
  PutBigEndian32(header, static_cast<uint32_t>(image.height));
  header +=
      std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", zlib);
  Chunk(png, "IEND", "");
  return png;
}

std::string EncodeBmp(const TImage24& image) {
  const uint32_t row = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
  const uint32_t data_size = row * static_cast<uint32_t>(image.height);
  std::string bmp = "BM";
  PutLittleEndian(bmp, 54 + data_size, 4);
  PutLittleEndian(bmp, 0, 4);
  PutLittleEndian(bmp, 54, 4);
  PutLittleEndian(bmp, 40, 4);
  PutLittleEndian(bmp, static_cast<uint32_t>(image.width), 4);
  PutLittleEndian(bmp, static_cast<uint32_t>(image.height), 4);
  PutLittleEndian(bmp, 1, 2);
  PutLittleEndian(bmp, 24, 2);
  PutLittleEndian(bmp, 0, 4);
  PutLittleEndian(bmp, data_size, 4);
  PutLittleEndian(bmp, 2835, 4);
  PutLittleEndian(bmp, 2835, 4);
  PutLittleEndian(bmp, 0, 4);
  PutLittleEndian(bmp, 0, 4);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.Pixel(x, y);
      bmp += static_cast<char>(p[2]);
      bmp += static_cast<char>(p[1]);
      bmp += static_cast<char>(p[0]);
    }
    bmp.append(row - static_cast<uint32_t>(image.width) * 3, '\0');
  }
  return bmp;
}

TImage24 SampleIcon(int size) {
  // A yellow note with ruled lines and a folded corner, on white.
  TImage24 icon(size, size, 255, 255, 255);
  const int m = std::max(1, size / 16);
  Fill(icon, m, m, size - m, size - m, 250, 214, 72);
  for (int y = size / 3; y < size - 2 * m; y += std::max(2, size / 6))
    Fill(icon, 3 * m, y, size - 3 * m, y + m, 120, 96, 40);
  const int fold = size / 4;
  for (int i = 0; i < fold; ++i)
    Fill(icon, size - m - fold + i, m, size - m, m + i + 1, 255, 255, 255);
  return icon;
}

TImage24 SampleScreenshot() {
  TImage24 shot(640, 400, 236, 236, 236);
  Fill(shot, 0, 0, 640, 28, 52, 92, 160);      // title bar
  Fill(shot, 0, 28, 180, 400, 246, 246, 246);  // notebook list
  Fill(shot, 180, 28, 181, 400, 200, 200, 200);
  for (int i = 0; i < 8; ++i) {
    Fill(shot, 12, 44 + i * 30, 160, 56 + i * 30, i == 2 ? 52 : 150, i == 2 ? 92 : 150,
         i == 2 ? 160 : 150);
  }
  Fill(shot, 196, 44, 624, 384, 255, 255, 255);  // the note
  for (int y = 64; y < 360; y += 18) Fill(shot, 212, y, 212 + 380 - (y % 90), y + 6, 90, 90, 90);
  return shot;
}

}  // namespace quillora
