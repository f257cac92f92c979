// The command line's view of long work: the transfer window's texts on one self-overwriting line
// of a terminal, or one line per finished item when stderr is not a terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "net/transfer_window.h"

namespace quillora::cli {

struct CliContext;

enum class TProgressStyle {
  // --quiet: nothing at all.
  Quiet,
  // stderr is a file or a pipe: one line per finished item, for logs.
  Lines,
  // stderr is a terminal: one line that redraws itself and is wiped at the end.
  Bar,
};

// Bar when the command writes to the process's own stderr and that is a terminal, Quiet with
// --quiet, Lines otherwise.
TProgressStyle ProgressStyleFor(const CliContext& ctx);

// What a command shows while it works. Transfers run through Window() (its Download and Upload,
// or code that drives a transfer window itself); work counted in items calls Step while it goes
// and Finished for each item done.
class TCliProgress {
 public:
  // Milliseconds of a monotonic clock; the bar redraws at most once per 500 ms slot of it.
  using TClock = std::function<uint32_t()>;

  explicit TCliProgress(const CliContext& ctx);
  // columns 0: the terminal's width (80 when it cannot be told).
  TCliProgress(std::ostream& err, TProgressStyle style, int columns = 0, TClock clock = {});
  ~TCliProgress();
  TCliProgress(const TCliProgress&) = delete;
  TCliProgress& operator=(const TCliProgress&) = delete;

  TProgressStyle Style() const { return style_; }
  TTransferWindow& Window() { return window_; }

  // n of m items done, the current one described by text (a site's name, a file).
  void Step(int done, int total, const std::string& text);
  // One finished item's line; only logs show it (the bar shows the count).
  void Finished(const std::string& line);
  // Wipes the bar, e.g. before a message goes to stderr.
  void Clear();

 private:
  void Show(const TTransferView& view);
  void Draw(const std::string& line, bool force);

  std::ostream& err_;
  TProgressStyle style_;
  size_t columns_;
  TClock clock_;
  TTransferWindow window_;
  // What is on the terminal now, and in which slot it was drawn.
  size_t drawn_length_ = 0;
  bool drawn_ = false;
  uint32_t drawn_slot_ = 0;
  std::string drawn_key_;
  // The transfer whose end was already logged.
  bool logged_end_ = false;
};

// The line the bar shows for a view of the transfer window; its gauge only when the whole line
// fits in width (the line is not cut here).
std::string TransferBarText(const TTransferView& view, size_t width);
// The line logged for a transfer that ended.
std::string TransferDoneText(const TTransferView& view);

}  // namespace quillora::cli
