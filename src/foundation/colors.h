// Colours as 0xRRGGBB values and their six-digit text form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillora {

using TColor = uint32_t;  // 0xRRGGBB

std::string ColorToHex(TColor c);          // "RRGGBB", upper-case
TColor HexToColor(std::string_view text);  // invalid text gives black (0)

}  // namespace quillora
