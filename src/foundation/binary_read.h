// Strict readers for the stored binary layouts: a value cut short by the end of the data is
// damage and raises std::runtime_error ("Damaged data: <what> is cut short"), where the general
// stream helpers (foundation/stream.h) read zero bytes for a missing tail. Every length is
// checked against the bytes present before anything is allocated.
#pragma once

#include <cstdint>
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

// Throws unless a value with a 2-byte length prefix lies whole at the position (which stays).
inline void RequireSized(TStream& s, const char* what) {
  RequireBytes(s, 2, what);
  const int64_t at = s.Position();
  const uint16_t n = ReadUInt16(s);
  s.SetPosition(at);
  RequireBytes(s, 2 + int64_t{n}, what);
}

// Once the bytes are known to be there, the general helpers read exactly what is stored.
inline std::string ReadShortStrStrict(TStream& s, const char* what) {
  RequireSized(s, what);
  return ReadShortStr(s);
}

inline int32_t ReadSizedIntStrict(TStream& s, const char* what) {
  RequireSized(s, what);
  return ReadSizedInt(s);
}

inline double ReadSizedDoubleStrict(TStream& s, const char* what) {
  RequireSized(s, what);
  return ReadSizedDouble(s);
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
