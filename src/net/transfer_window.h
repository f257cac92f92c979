// The transfer window without a toolkit: what the progress dialog and the command line's progress
// bar show for a batch of downloads and uploads, and when they repaint.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "net/transfer_result.h"
#include "net/transfer_threads.h"
#include "net/transfers.h"

namespace quillora {

// Everything a view of the transfer window draws.
struct TTransferView {
  bool visible = false;
  std::string caption;       // "File download" / "File upload"
  std::string action_label;  // "Download" / "Upload"
  std::string file_label;    // "Download to:" / "Upload from:"
  std::string url;           // both shortened to kShownPathLength
  std::string file_name;
  std::string time_text;
  std::string speed_text;
  std::string status_text;
  // The bar of the current transfer, in KB; both 0 while the size is unknown.
  int64_t gauge_max = 0;
  int64_t gauge_position = 0;
  // The bar over the batch, with its hint and counter; shown only for more than one transfer.
  bool overall_visible = false;
  int overall_max = 0;
  int overall_position = 0;
  std::string overall_hint;
  std::string counter_text;
  // The "working" animation runs while a transfer is on.
  bool animating = false;
};

enum class TTransferDirection { Download, Upload };

inline constexpr size_t kShownPathLength = 40;

// A path or URL cut to kShownPathLength: the last "/" or "\" and the name after it stay, and the
// front is cut to make room for "...".
std::string ShortenPath(std::string_view path);

class TTransferWindow {
 public:
  // Milliseconds of a monotonic clock; tests pass their own.
  using TClock = std::function<uint32_t()>;
  // Called whenever the window is due for a repaint.
  using TRepaint = std::function<void(const TTransferView&)>;

  explicit TTransferWindow(TClock clock = {}, TRepaint repaint = {});

  // Announces a batch of n transfers; 0 hides the window.
  void SetFileCount(int n);
  int FileCount() const { return file_count_; }
  int FilesDone() const { return files_done_; }

  // Downloads url into file_name with the window showing the progress. Asks before replacing an
  // existing file unless overwrite_silently; a "No" counts the transfer and returns trNoError.
  // url receives the final URL after redirects.
  TTransferResult Download(std::string& url, const std::string& file_name,
                           const TFormFields& form_fields, bool passive, bool overwrite_silently);
  TTransferResult Upload(const std::string& url, const std::string& file_name, bool passive,
                         const std::string& password, const std::string& user_name);

  // The steps Download and Upload are made of, for hosts that run the transfer themselves.
  // Begin shows the window for one transfer; false when the user declined to overwrite, and the
  // transfer is then already counted. file_label replaces the direction's second label when
  // given (the site update shows "Site name:").
  bool Begin(TTransferDirection direction, const std::string& url, const std::string& file_name,
             bool overwrite_silently, std::string_view file_label = {});
  // A progress report; true when the window was repainted. During data transfer a report is
  // shown only in a later 500 ms slot than the last one shown, so the window repaints at most
  // twice a second however fast the blocks come.
  bool Progress(int64_t done, int64_t total, TProgressStage stage);
  // Counts the transfer; the last one of the batch hides the window.
  void End();

  // The Cancel button, and any attempt to close the window: the window itself stays.
  void Cancel() { abort_.Request(); }
  const TTransferAbort& Abort() const { return abort_; }

  const TTransferView& View() const { return view_; }

 private:
  void Repaint();
  void UpdateBatch();

  TClock clock_;
  TRepaint repaint_;
  TTransferView view_;
  TTransferAbort abort_;
  int file_count_ = 0;
  int files_done_ = 0;
  uint32_t start_tick_ = 0;
  uint32_t last_slot_ = 0;
};

}  // namespace quillora
