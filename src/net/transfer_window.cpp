#include "net/transfer_window.h"

#include <ctime>

#include "foundation/dates.h"
#include "foundation/files.h"
#include "foundation/ui_port.h"

namespace quillora {

namespace {

constexpr uint32_t kSlotMs = 500;

// The status line of a stage; empty for the stages that leave it as it is.
const char* StageText(TProgressStage stage) {
  switch (stage) {
    case psInitializing:
      return "Initializing Internet Services";
    case psConnecting:
      return "Connecting to host";
    case psDownloading:
      return "Downloading...";
    case psUploading:
      return "Uploading...";
    case psDisconnecting:
      return "Disconnecting";
    default:
      return "";
  }
}

std::string FileDateText(const std::string& path) {
  std::time_t age = static_cast<std::time_t>(FileAge(path));
  std::tm local{};
  if (age < 0 || !localtime_r(&age, &local)) return "";
  return DateTimeToStr(EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                       local.tm_hour, local.tm_min, local.tm_sec, 0}));
}

}  // namespace

std::string ShortenPath(std::string_view path) {
  if (path.size() <= kShownPathLength) return std::string(path);
  size_t delim = path.find_last_of("/\\");
  std::string_view tail =
      delim == std::string_view::npos ? path.substr(path.size() - 37) : path.substr(delim);
  size_t room = kShownPathLength - 3;
  size_t keep = tail.size() < room ? room - tail.size() : 0;
  return std::string(path.substr(0, keep)) + "..." + std::string(tail);
}

TTransferWindow::TTransferWindow(TClock clock, TRepaint repaint)
    : clock_(clock ? std::move(clock) : TClock(TickCount)), repaint_(std::move(repaint)) {}

void TTransferWindow::SetFileCount(int n) {
  file_count_ = n;
  files_done_ = 0;
  if (n == 0) view_.visible = false;
  view_.overall_visible = n > 1;
  UpdateBatch();
}

void TTransferWindow::UpdateBatch() {
  view_.overall_max = file_count_;
  view_.overall_position = files_done_;
  std::string n = std::to_string(files_done_), m = std::to_string(file_count_);
  view_.overall_hint = "Processed " + n + " of " + m + " files";
  view_.counter_text = n + " of " + m + " files downloaded.";
}

bool TTransferWindow::Begin(TTransferDirection direction, const std::string& url,
                            const std::string& file_name, bool overwrite_silently,
                            std::string_view file_label) {
  bool download = direction == TTransferDirection::Download;
  view_.caption = download ? "File download" : "File upload";
  view_.action_label = download ? "Download" : "Upload";
  view_.file_label = !file_label.empty() ? std::string(file_label)
                     : download          ? "Download to:"
                                         : "Upload from:";
  view_.visible = true;
  if (file_count_ == 0) SetFileCount(1);
  view_.url = ShortenPath(url);
  view_.file_name = ShortenPath(file_name);
  view_.time_text = download ? "unknown (opened 0 Kb)" : "unknown (stored 0 Kb)";
  view_.speed_text = "0";
  view_.gauge_max = 0;
  view_.gauge_position = 0;
  view_.status_text.clear();
  Repaint();
  if (download && !overwrite_silently && FileExists(file_name)) {
    std::string question =
        "File already exists!\r\n\r\nFile size: " + std::to_string(FileSizeOf(file_name)) +
        "\r\nDownloaded: " + FileDateText(file_name) + "\r\n\r\nOverwrite it?";
    if (!UI().AskYesNo(question)) {
      End();
      return false;
    }
  }
  abort_.Reset();
  start_tick_ = clock_();
  view_.animating = true;
  return true;
}

bool TTransferWindow::Progress(int64_t done, int64_t total, TProgressStage stage) {
  uint32_t now = clock_();
  uint32_t slot = now / kSlotMs;
  if (stage == psDownloading || stage == psUploading) {
    if (slot == last_slot_) return false;
  }
  last_slot_ = slot;

  int64_t elapsed = (now - start_tick_) / 1000;
  if (total >= 0) {
    view_.gauge_max = total / 1024;
    view_.gauge_position = done / 1024;
    if (done > 0)
      view_.time_text = std::to_string(elapsed * (total - done) / done) + " sec (opened " +
                        std::to_string(done / 1024) + " of " + std::to_string(total / 1024) +
                        " Kb)";
  } else {
    view_.time_text = "unknown (opened " + std::to_string(done / 1024) + " Kb)";
  }
  if (elapsed >= 1) view_.speed_text = std::to_string(done / elapsed);
  UpdateBatch();
  if (const char* text = StageText(stage); *text) view_.status_text = text;
  Repaint();
  ProcessMessages();
  return true;
}

void TTransferWindow::End() {
  view_.animating = false;
  ++files_done_;
  UpdateBatch();
  if (files_done_ >= file_count_) SetFileCount(0);
  Repaint();
}

void TTransferWindow::Repaint() {
  if (repaint_) repaint_(view_);
}

TTransferResult TTransferWindow::Download(std::string& url, const std::string& file_name,
                                          const TFormFields& form_fields, bool passive,
                                          bool overwrite_silently) {
  if (!Begin(TTransferDirection::Download, url, file_name, overwrite_silently)) return trNoError;
  TTransferResult result = DownloadToFile(
      url, file_name, &abort_, form_fields, passive,
      [this](int64_t done, int64_t total, TProgressStage stage) { Progress(done, total, stage); });
  End();
  return result;
}

TTransferResult TTransferWindow::Upload(const std::string& url, const std::string& file_name,
                                        bool passive, const std::string& password,
                                        const std::string& user_name) {
  Begin(TTransferDirection::Upload, url, file_name, true);
  TTransferResult result = UploadFile(
      url, file_name, user_name, password, passive,
      [this](int64_t done, int64_t total, TProgressStage stage) { Progress(done, total, stage); },
      &abort_);
  End();
  return result;
}

}  // namespace quillora
