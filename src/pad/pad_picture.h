// The picture test of the PAD check: whether a file is a picture of one of the understood
// formats (chosen by its extension) and its size, read from the format's own headers.
#pragma once

#include <string>

namespace quillora {

struct TPictureSize {
  int width = 0;
  int height = 0;
};

// "bmp", "ico", "wmf", "emf", "jpg", "jpeg" and "gif" (after the last dot, any case) are
// understood; false for any other extension and for a file that is not a picture of that format.
bool ReadPictureSize(const std::string& path, TPictureSize& size);

}  // namespace quillora
