// The database stamp the update check downloads ("info.dat" / "version.dat"): any bytes give a
// date or nothing, and the comparison with the stamp taken never fails.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/site_update.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string exported = quillora::ReadStampExported(text);
  (void)quillora::IsNewerDatabase(exported, "01-01-1900");
  (void)quillora::IsNewerDatabase("01-01-2024 00:00:00", exported);
  return 0;
}
