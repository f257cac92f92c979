// The result archive's tar reader on arbitrary bytes: it must stay inside the buffer, move
// forward on every entry, never hand out more data than an entry announces nor, over all
// entries, more than the archive holds; and any bytes packed as one entry must read back
// unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "search/tar_archive.h"

using namespace quillora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 256 * 1024) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  TTarArchive tar(bytes);
  TTarEntry entry;
  int64_t last_header = -1;
  size_t read = 0;
  for (int i = 0; tar.FindNext(entry); ++i) {
    if (entry.header_position <= last_header) __builtin_trap();
    if (entry.header_position + 512 > static_cast<int64_t>(size)) __builtin_trap();
    last_header = entry.header_position;
    // Every other entry is skipped without reading, as the unpacking does for refused names.
    if (i % 2 == 0) {
      const std::string body = tar.ReadData();
      if (static_cast<int64_t>(body.size()) > entry.size) __builtin_trap();
      read += body.size();
      if (read > size) __builtin_trap();
    }
    IsPlainTarName(entry.name);
  }

  const std::string packed = TarEntryBytes("page.htm", bytes) + TarEndBytes();
  TTarArchive again(packed);
  if (!again.FindNext(entry) || entry.name != "page.htm" || !entry.checksum_ok ||
      entry.size != static_cast<int64_t>(size) || again.ReadData() != bytes ||
      again.FindNext(entry))
    __builtin_trap();
  return 0;
}
