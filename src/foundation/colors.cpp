// Colours in their six-digit text form.
#include "foundation/colors.h"

namespace quillora {

std::string ColorToHex(TColor c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string r(6, '0');
  for (int i = 5; i >= 0; --i) {
    r[static_cast<size_t>(i)] = kHex[c & 15];
    c >>= 4;
  }
  return r;
}

// Up to six hexadecimal digits (surrounding blanks allowed); anything else reads as black, so a
// damaged colour setting shows as black text rather than stopping the program.
TColor HexToColor(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  if (b == e || e - b > 6) return 0;
  TColor v = 0;
  for (size_t i = b; i < e; ++i) {
    char c = text[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else
      return 0;
    v = (v << 4) | static_cast<TColor>(d);
  }
  return v;
}

}  // namespace quillora
