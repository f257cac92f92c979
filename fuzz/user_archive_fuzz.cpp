// User-info archives: bzip2 stream, blobs, company and product records, custom sets. A damaged
// archive must fail with an exception, never read out of bounds.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "backup/backup.h"
#include "foundation/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    (void)quillora::DecompressArchive(bytes);
  } catch (const std::exception&) {
  }
  return 0;
}
