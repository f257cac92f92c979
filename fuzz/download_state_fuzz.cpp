// The archive download's ".sd!" state file on arbitrary bytes: the first two bytes give the
// block size in KiB, the rest is the file. A state taken as valid must describe exactly the file
// it was read from, so that resuming never writes or reads outside it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/stream.h"
#include "search/script_download.h"

using namespace quillora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 256 * 1024) return 0;
  const int32_t block_size = (1 + (data[0] | data[1] << 8) % 500) * 1024;
  TMemoryStream file(std::string(reinterpret_cast<const char*>(data) + 2, size - 2));
  const auto state = ReadDownloadState(file, block_size);
  if (!state) return 0;
  const int64_t count = static_cast<int64_t>(state->flags.size());
  if (state->total < 0 || 12 + count + state->total != file.Size()) __builtin_trap();
  if (count * block_size < state->total || (count > 0 && (count - 1) * block_size >= state->total))
    __builtin_trap();
  return 0;
}
