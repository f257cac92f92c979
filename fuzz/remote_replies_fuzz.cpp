// The remote search service's replies over arbitrary text: block replies (CRC, sizes, data) and
// status replies with their descriptions and job dates.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/remote_search.h"
#include "search/script_download.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto reply = quillora::ParseBlockReply(text)) {
    // The data is a piece of the reply, and a reply made from it reads back the same.
    if (reply->data.size() > text.size()) __builtin_trap();
    const std::string again = quillora::MakeBlockReply(reply->total, reply->extra, reply->data);
    const auto back = quillora::ParseBlockReply(again);
    if (!back || back->data != reply->data || back->total != reply->total) __builtin_trap();
  }
  const std::vector<std::string> lines = quillora::ReplyLines(text);
  const quillora::TStatusReply status = quillora::ParseStatusReply(lines);
  (void)status;
  (void)quillora::StatusViewText(
      lines, [](const std::string& uin) { return uin.size() % 2 ? uin : std::string(); },
      [](const std::string& uin) {
        return quillora::TDownloadProgress{uin.size() % 3 == 0, 4096, uin.size() % 2 ? -1 : 8192};
      });
  for (const std::string& line : lines) {
    (void)quillora::DescribeStatusLine(line);
    (void)quillora::JobDateText(line, {"January", "February", "March"}, '.');
  }
  return 0;
}
