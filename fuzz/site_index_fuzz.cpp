// Index files ("Index.dat", older plain form too): every entry read must come from one line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sites/site_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  quillora::TOptionsList general;
  for (const auto& e : quillora::ReadSiteIndex(text, &general))
    if (e.uin.find('\n') != std::string::npos || e.file_name.find('\r') != std::string::npos)
      std::abort();
  return 0;
}
