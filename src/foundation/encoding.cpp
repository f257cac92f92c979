// Checksums and the URL/Base64 encodings.
#include "foundation/encoding.h"

#include <array>

namespace quillora {
namespace {

// Slicing-by-8 tables: eight bytes per step instead of one.
struct CrcTables {
  std::array<std::array<uint32_t, 256>, 8> t{};
  CrcTables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
      for (int s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
  }
};

const CrcTables& Crc() {
  static const CrcTables tables;
  return tables;
}

constexpr char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

template <typename Keep>
std::string UrlEncodeWith(std::string_view s, Keep keep) {
  std::string r;
  r.reserve(s.size() * 3 / 2);
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    if (c == ' ') {
      r += '+';
    } else if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               keep(c)) {
      r += ch;
    } else {
      r += '%';
      r += kHex[c >> 4];
      r += kHex[c & 15];
    }
  }
  return r;
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

uint32_t Crc32Update(uint32_t crc, std::string_view bytes) {
  const auto& t = Crc().t;
  auto p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size();
  uint32_t c = ~crc;
  while (n >= 8) {
    uint32_t lo =
        c ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
        t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
    p += 8;
    n -= 8;
  }
  while (n--) c = (c >> 8) ^ t[0][(c ^ *p++) & 0xFF];
  return ~c;
}

uint32_t Crc32(std::string_view bytes) {
  return Crc32Update(0, bytes);
}

std::string UrlEncode(std::string_view s) {
  return UrlEncodeWith(s, [](unsigned char c) {
    switch (c) {
      case '!':
      case '$':
      case '&':
      case '\'':
      case '(':
      case ')':
      case '*':
      case ',':
      case '-':
      case '.':
      case '=':
      case '_':
        return true;
      default:
        return false;
    }
  });
}

std::string UrlEncodeValue(std::string_view s) {
  return UrlEncodeWith(s, [](unsigned char c) {
    switch (c) {
      case '!':
      case '$':
      case '\'':
      case '(':
      case ')':
      case '*':
      case '+':
      case ',':
      case '-':
      case '.':
      case '_':
        return true;
      default:
        return false;
    }
  });
}

// "%" takes the next two characters whatever they are; only a value 1..255 yields a byte, so
// "%00" and "%zz" vanish instead of producing a NUL or passing through.
std::string UrlDecode(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char c = s[i];
    if (c == '+') {
      r += ' ';
      ++i;
    } else if (c == '%') {
      size_t n = std::min<size_t>(2, s.size() - i - 1);
      int v = n == 0 ? -1 : 0;
      for (size_t k = 1; k <= n; ++k) {
        // "+" was already a space when the digits are read, so it is not a digit either.
        int h = HexValue(s[i + k]);
        if (h < 0) {
          v = -1;
          break;
        }
        v = v * 16 + h;
      }
      if (v >= 1 && v <= 255) r += static_cast<char>(v);
      i += 1 + n;
    } else {
      r += c;
      ++i;
    }
  }
  return r;
}

std::string Base64Encode(std::string_view bytes) {
  std::string r;
  r.reserve((bytes.size() + 2) / 3 * 4);
  auto p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t n = bytes.size(), i = 0;
  for (; i + 3 <= n; i += 3) {
    uint32_t v = uint32_t(p[i]) << 16 | uint32_t(p[i + 1]) << 8 | p[i + 2];
    r += kBase64[v >> 18];
    r += kBase64[(v >> 12) & 63];
    r += kBase64[(v >> 6) & 63];
    r += kBase64[v & 63];
  }
  if (n - i == 1) {
    uint32_t v = uint32_t(p[i]) << 16;
    r += kBase64[v >> 18];
    r += kBase64[(v >> 12) & 63];
    r += "==";
  } else if (n - i == 2) {
    uint32_t v = uint32_t(p[i]) << 16 | uint32_t(p[i + 1]) << 8;
    r += kBase64[v >> 18];
    r += kBase64[(v >> 12) & 63];
    r += kBase64[(v >> 6) & 63];
    r += '=';
  }
  return r;
}

std::string Base64Decode(std::string_view text) {
  static const std::array<int8_t, 256> kValue = [] {
    std::array<int8_t, 256> a{};
    a.fill(-1);
    for (int i = 0; i < 64; ++i) a[static_cast<unsigned char>(kBase64[i])] = static_cast<int8_t>(i);
    return a;
  }();
  std::string r;
  r.reserve(text.size() * 3 / 4);
  uint32_t acc = 0;
  int bits = 0;
  for (char ch : text) {
    int v = kValue[static_cast<unsigned char>(ch)];
    if (v < 0) continue;
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      r += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  return r;
}

std::string HexEncode(std::string_view bytes) {
  std::string r;
  r.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    r += kHex[c >> 4];
    r += kHex[c & 15];
  }
  return r;
}

std::optional<std::string> HexDecode(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]), low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

}  // namespace quillora
