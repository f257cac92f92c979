// Picture scaling for site covers: the screenshot of a home page is shrunk to the 160 x 120 cover
// with a windowed-sinc (Lanczos) filter, which keeps small text and edges readable.
#pragma once

#include "sites/cover.h"

namespace quillora {

// The picture scaled to width x height with a Lanczos filter of the given support (3 by
// default), horizontally and then vertically. Returns an empty picture for an empty source or a
// size below one pixel.
TImage24 ResampleLanczos(const TImage24& source, int width, int height, int support = 3);

}  // namespace quillora
