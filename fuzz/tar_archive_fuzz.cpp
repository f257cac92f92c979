// The tar reader of the remote search's result archives over arbitrary bytes: every entry is
// read to its end without reading past the data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "search/tar_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  quillora::TTarArchive tar(bytes);
  quillora::TTarEntry entry;
  size_t read = 0;
  for (int i = 0; i < 10000 && tar.FindNext(entry); ++i) {
    read += tar.ReadData().size();
    if (read > size) __builtin_trap();
  }
  return 0;
}
