// The search service's status reply as the program reads it: split into lines, paired, every
// line described and the status view built; a job date read from any text. The input's first
// byte picks which products have a download running and how far it got.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/remote_search.h"

using namespace quillora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 64 * 1024) return 0;
  const unsigned mode = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  const std::vector<std::string> lines = ReplyLines(text);
  const TStatusReply reply = ParseStatusReply(lines);
  if (reply.valid != (lines.size() % 2 == 1 || lines.empty())) __builtin_trap();
  if (reply.valid && !lines.empty() && reply.others.size() != lines.size() / 2) __builtin_trap();
  for (const std::string& line : lines) {
    // The description starts with the line's state word, or "Idle" for an unknown one.
    const std::string described = DescribeStatusLine(line);
    const std::string word = JobStateWord(line);
    if (described.rfind(JobStateIndex(word) < 0 ? "Idle" : word, 0) != 0) __builtin_trap();
  }

  const std::string view = StatusViewText(
      lines, [&](const std::string& uin) { return (mode & 1) ? uin + " name" : std::string(); },
      [&](const std::string& uin) {
        TDownloadProgress p;
        p.running = (mode & 2) && !uin.empty() && (uin[0] & 1);
        p.received = static_cast<int64_t>(uin.size()) * 1000;
        p.total = (mode & 4) ? static_cast<int64_t>(uin.size()) * 3000 : -1;
        return p;
      });
  if (view.empty()) __builtin_trap();

  static const std::vector<std::string> kMonths = {"January",   "February", "March",    "April",
                                                   "May",       "June",     "July",     "August",
                                                   "September", "October",  "November", "December"};
  for (const std::string& line : lines) JobDateText(line, kMonths, '.');
  JobDateText(text, kMonths, '/');
  return 0;
}
