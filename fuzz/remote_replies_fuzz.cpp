// The remote search service's replies over arbitrary text: block replies (CRC, sizes, data) and
// status replies with their pairing, descriptions, status view and job dates.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "search/remote_search.h"
#include "search/script_download.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 256 * 1024) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto reply = quillora::ParseBlockReply(text)) {
    // The data is exactly what follows the three fields, and a reply made from it reads back
    // the same.
    if (size < 24 || reply->data.size() != size - 24 || reply->data.data() != text.data() + 24)
      __builtin_trap();
    const std::string again = quillora::MakeBlockReply(reply->total, reply->extra, reply->data);
    const auto back = quillora::ParseBlockReply(again);
    if (!back || back->data != reply->data || back->total != reply->total) __builtin_trap();
  }
  // Whatever the service packs, the program reads back.
  int32_t total = 0;
  uint32_t extra = 0;
  if (size >= 8) {
    std::memcpy(&total, data, 4);
    std::memcpy(&extra, data + 4, 4);
  }
  // The reply's data is a view into the reply: keep the reply alive while it is compared.
  const std::string made = quillora::MakeBlockReply(total, extra, text);
  const auto packed = quillora::ParseBlockReply(made);
  if (!packed || packed->total != total || packed->extra != extra || packed->data != text)
    __builtin_trap();

  const std::vector<std::string> lines = quillora::ReplyLines(text);
  const quillora::TStatusReply status = quillora::ParseStatusReply(lines);
  if (status.valid != (lines.empty() || lines.size() % 2 == 1)) __builtin_trap();
  if (status.valid && !lines.empty() && status.others.size() != lines.size() / 2) __builtin_trap();
  if (quillora::StatusViewText(
          lines, [](const std::string& uin) { return uin.size() % 2 ? uin : std::string(); },
          [](const std::string& uin) {
            return quillora::TDownloadProgress{uin.size() % 3 == 0, 4096,
                                               uin.size() % 2 ? -1 : 8192};
          })
          .empty())
    __builtin_trap();
  for (const std::string& line : lines) {
    // A description starts with the line's state word, or "Idle" for an unknown one.
    const std::string word = quillora::JobStateWord(line);
    const std::string described = quillora::DescribeStatusLine(line);
    if (described.rfind(quillora::JobStateIndex(word) < 0 ? "Idle" : word, 0) != 0)
      __builtin_trap();
    (void)quillora::JobDateText(line, {"January", "February", "March"}, '.');
  }
  return 0;
}
