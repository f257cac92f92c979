// A downloaded ratings file as the update takes it: a file it accepts has both sections and a
// checksum the start-up check accepts too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

#include "net/site_update.h"
#include "sites/ratings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const quillora::TDownloadedRatings ratings = quillora::ReadDownloadedRatings(text);
  (void)quillora::IsLaterRatings(ratings.date, "01-01-2024 00:00:00");
  if (ratings.state == quillora::TDownloadedRatings::Ok) {
    try {
      if (!quillora::ReadRatingsText(text).has_general) std::abort();
    } catch (const std::exception&) {
      std::abort();
    }
  }
  return 0;
}
