// The archive download's block replies: arbitrary replies are read without reading past them,
// a reply accepted gives back exactly its own pieces, and any data the service packs reads back.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "search/script_download.h"

using namespace quillora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 256 * 1024) return 0;
  const std::string_view reply(reinterpret_cast<const char*>(data), size);

  if (const auto r = ParseBlockReply(reply)) {
    if (size < 24 || r->data.size() != size - 24 || r->data.data() != reply.data() + 24)
      __builtin_trap();
    // What was accepted is what the service would have written (up to the digits' case).
    const std::string again = MakeBlockReply(r->total, r->extra, r->data);
    if (again.size() != size || again.compare(24, std::string::npos, r->data) != 0)
      __builtin_trap();
  }

  int32_t total = 0;
  uint32_t extra = 0;
  if (size >= 8) {
    std::memcpy(&total, data, 4);
    std::memcpy(&extra, data + 4, 4);
  }
  const std::string made = MakeBlockReply(total, extra, reply);
  const auto back = ParseBlockReply(made);
  if (!back || back->total != total || back->extra != extra || back->data != reply)
    __builtin_trap();
  return 0;
}
