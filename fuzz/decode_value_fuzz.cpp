// Stored values: decoding anything must not crash, and encoding then decoding gives the value back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/option_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  (void)quillora::DecodeValue(bytes);
  if (quillora::DecodeValue(quillora::EncodeValue(bytes)) != bytes) std::abort();
  return 0;
}
