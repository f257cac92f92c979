#include "cli/progress_bar.h"

#include <algorithm>
#include <iostream>
#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/cli_context.h"
#include "foundation/dates.h"

namespace quillora::cli {

namespace {

constexpr uint32_t kSlotMs = 500;
constexpr size_t kGaugeWidth = 20;
constexpr size_t kDefaultColumns = 80;

size_t TerminalColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return kDefaultColumns;
}

std::string Gauge(int64_t position, int64_t max) {
  const int64_t clamped = std::clamp<int64_t>(position, 0, max);
  const auto filled = static_cast<size_t>(clamped * static_cast<int64_t>(kGaugeWidth) / max);
  return "[" + std::string(filled, '#') + std::string(kGaugeWidth - filled, '-') + "] " +
         std::to_string(clamped * 100 / max) + "%";
}

}  // namespace

TProgressStyle ProgressStyleFor(const CliContext& ctx) {
  if (ctx.quiet) return TProgressStyle::Quiet;
  // A command run in-process (tests, other hosts) writes to a stream of its own: no terminal.
  if (&ctx.err == &std::cerr && isatty(STDERR_FILENO)) return TProgressStyle::Bar;
  return TProgressStyle::Lines;
}

std::string TransferBarText(const TTransferView& view, size_t width) {
  // Cut from the end on a narrow terminal: the least needed text goes last.
  std::string texts = "  " + view.time_text;
  if (view.overall_visible) texts += "  " + view.counter_text;
  texts += "  " + view.speed_text + " B/s";
  if (!view.status_text.empty()) texts += "  " + view.status_text;
  std::string text = view.action_label + " " + view.file_name;
  // On a narrow terminal the texts matter more than the gauge.
  if (view.gauge_max > 0) {
    std::string gauge = "  " + Gauge(view.gauge_position, view.gauge_max);
    if (text.size() + gauge.size() + texts.size() <= width) text += gauge;
  }
  return text + texts;
}

std::string TransferDoneText(const TTransferView& view) {
  const bool upload = view.action_label == "Upload";
  const std::string& from = upload ? view.full_file_name : view.full_url;
  const std::string& to = upload ? view.full_url : view.full_file_name;
  return view.action_label + " " + from + " -> " + to + ": " + view.result_text;
}

TCliProgress::TCliProgress(const CliContext& ctx) : TCliProgress(ctx.err, ProgressStyleFor(ctx)) {}

TCliProgress::TCliProgress(std::ostream& err, TProgressStyle style, int columns, TClock clock)
    : err_(err),
      style_(style),
      columns_(columns > 0                    ? static_cast<size_t>(columns)
               : style == TProgressStyle::Bar ? TerminalColumns()
                                              : kDefaultColumns),
      clock_(clock ? std::move(clock) : TClock(TickCount)),
      window_(clock_, [this](const TTransferView& view) { Show(view); }) {}

TCliProgress::~TCliProgress() {
  Clear();
}

void TCliProgress::Show(const TTransferView& view) {
  if (style_ == TProgressStyle::Quiet) return;
  if (!view.result_text.empty()) {
    if (style_ == TProgressStyle::Lines && !logged_end_) err_ << TransferDoneText(view) << '\n';
    logged_end_ = true;
    if (!view.visible) Clear();
    return;
  }
  logged_end_ = false;
  if (style_ != TProgressStyle::Bar) return;
  if (!view.visible) {
    Clear();
    return;
  }
  // A new stage or a new file is worth showing at once; the texts of a running transfer wait
  // for the next slot.
  std::string key = view.full_file_name + '\n' + view.status_text;
  const bool changed = key != drawn_key_;
  drawn_key_ = std::move(key);
  Draw(TransferBarText(view, columns_ - 1), changed);
}

void TCliProgress::Step(int done, int total, const std::string& text) {
  if (style_ != TProgressStyle::Bar) return;
  std::string line = text;
  if (total > 0) line += "  " + Gauge(done, total);
  line += "  " + std::to_string(done) + " of " + std::to_string(total);
  Draw(line, done == 0 || done >= total);
}

void TCliProgress::Finished(const std::string& line) {
  if (style_ == TProgressStyle::Lines) err_ << line << '\n';
}

void TCliProgress::Draw(const std::string& line, bool force) {
  const uint32_t slot = clock_() / kSlotMs;
  if (drawn_ && !force && slot == drawn_slot_) return;
  // One column short of the width: a line that fills it would wrap on some terminals, and a
  // wrapped line cannot be overwritten with "\r".
  const size_t room = columns_ > 1 ? columns_ - 1 : 1;
  const std::string shown = line.substr(0, room);
  err_ << '\r' << shown;
  if (shown.size() < drawn_length_) err_ << std::string(drawn_length_ - shown.size(), ' ');
  err_.flush();
  drawn_ = true;
  drawn_slot_ = slot;
  drawn_length_ = std::max(shown.size(), drawn_length_);
}

void TCliProgress::Clear() {
  if (!drawn_) return;
  err_ << '\r' << std::string(drawn_length_, ' ') << '\r';
  err_.flush();
  drawn_ = false;
  drawn_length_ = 0;
  drawn_key_.clear();
}

}  // namespace quillora::cli
