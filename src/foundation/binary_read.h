// Strict readers for the stored binary layouts: a value cut short by the end of the data is
// damage and raises std::runtime_error ("Damaged data: <what> is cut short"), where the general
// stream helpers (foundation/stream.h) read zero bytes for a missing tail. Every length is
// checked against the bytes present before anything is allocated.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "foundation/stream.h"

namespace quillora {

// Throws unless n bytes (n >= 0) remain at the position.
inline void RequireBytes(TStream& s, int64_t n, const char* what) {
  if (n < 0 || s.Remaining() < n)
    throw std::runtime_error(std::string("Damaged data: ") + what + " is cut short");
}

inline uint8_t ReadByteStrict(TStream& s, const char* what) {
  RequireBytes(s, 1, what);
  uint8_t b = 0;
  s.ReadExact(&b, 1);
  return b;
}

inline uint32_t ReadUInt32Strict(TStream& s, const char* what) {
  RequireBytes(s, 4, what);
  return ReadUInt32(s);
}

// n bytes as they are.
inline std::string ReadBytesStrict(TStream& s, size_t n, const char* what) {
  RequireBytes(s, static_cast<int64_t>(n), what);
  std::string out(n, '\0');
  if (n) s.ReadExact(out.data(), n);
  return out;
}

// A short string: 2-byte count, then the bytes.
inline std::string ReadShortStrStrict(TStream& s, const char* what) {
  RequireBytes(s, 2, what);
  return ReadBytesStrict(s, ReadUInt16(s), what);
}

// A sized value (2-byte length L, then L bytes) into `size` bytes that start zeroed; stored
// bytes beyond `size` are skipped.
inline void ReadSizedStrict(TStream& s, unsigned char* dest, size_t size, const char* what) {
  RequireBytes(s, 2, what);
  const uint16_t n = ReadUInt16(s);
  RequireBytes(s, n, what);
  const size_t take = n < size ? n : size;
  if (take) s.ReadExact(dest, take);
  if (n > take) s.SetPosition(s.Position() + static_cast<int64_t>(n - take));
}

inline int32_t ReadSizedIntStrict(TStream& s, const char* what) {
  unsigned char b[4] = {};
  ReadSizedStrict(s, b, sizeof b, what);
  return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 |
                              uint32_t{b[3]} << 24);
}

inline double ReadSizedDoubleStrict(TStream& s, const char* what) {
  unsigned char b[8] = {};
  ReadSizedStrict(s, b, sizeof b, what);
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | b[i];
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// 4-byte size N, then N bytes into the buffer (emptied first and rewound afterwards).
inline void ReadBlobStrict(TStream& s, TMemoryStream& buffer, const char* what) {
  RequireBytes(s, 4, what);
  const int32_t n = ReadInt32(s);
  buffer.Clear();
  if (n < 0)
    throw std::runtime_error(std::string("Damaged data: ") + what + " has a negative size");
  buffer.Data() = ReadBytesStrict(s, static_cast<size_t>(n), what);
  buffer.Rewind();
}

}  // namespace quillora
