// Small pictures the demo server hands out (the sample product's icons and screenshot), and the
// few bytes of PNG and BMP writing they need.
#pragma once

#include <string>

#include "sites/cover.h"

namespace quillora {

// A PNG file of the picture: 8-bit RGB, one IDAT chunk of stored (uncompressed) deflate blocks.
std::string EncodePng(const TImage24& image);
// A Windows bitmap file of the picture: 24-bit, bottom-up rows padded to four bytes.
std::string EncodeBmp(const TImage24& image);

// The sample product's icon in a square of the given size.
TImage24 SampleIcon(int size);
// The sample product's screenshot: a notebook window with a list of notes.
TImage24 SampleScreenshot();

}  // namespace quillora
