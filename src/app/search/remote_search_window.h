// The second batch-search window ("AutoSearch"): the search pages are fetched first (by a local
// pool, or by the remote search service, whose job, status and result archive it drives) and then
// judged by the parse.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "search/remote_search.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;
class QWidget;

namespace quillora::app {

class TfrmAutoSearch2 : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAutoSearch2(QWidget* parent = nullptr);
  ~TfrmAutoSearch2() override;

  bool ServerMode() const { return server_mode_; }
  bool ResultsChanged() const { return results_changed_; }
  TRemoteSearch& Controller() { return *remote_; }
  QPushButton* StartButton() const { return start_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* ParseButton() const { return parse_; }
  QPushButton* CloseButton() const { return close_; }
  QPlainTextEdit* Log() const { return log_; }
  QPlainTextEdit* StatusView() const { return status_; }
  QLabel* ProgressLabel() const { return label_; }

  void Start();
  void Stop();
  void Parse();
  // Server mode: asks the service for the status and redraws the status view.
  void RefreshStatus();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void LogLine(const std::string& line);
  void StoreSpins();
  bool CanClose();
  void EnableIdle();
  void StartLocal();
  void LocalFetchDone();
  void SubmitJob();
  void StartProcessing();
  void FetchArchive();
  void Tick();
  void PollDownload();
  std::string LastState() const;

  std::unique_ptr<TRemoteSearch> remote_;
  bool server_mode_ = false;
  bool results_changed_ = false;
  bool parsing_ = false;
  bool fetching_ = false;
  bool sending_ = false;
  bool stop_requested_ = false;
  std::vector<std::string> status_lines_;
  THiddenPhrase phrase_;
  std::thread fetch_thread_;

  QSpinBox* threads_;
  QSpinBox* timeout_;
  QSpinBox* attempts_;
  QLabel* threads_label_;
  QLabel* attempts_label_;
  QPlainTextEdit* status_;
  QPlainTextEdit* log_;
  QLabel* label_;
  QProgressBar* bar_;
  QWidget* parse_panel_;
  QPushButton* start_;
  QPushButton* stop_;
  QPushButton* parse_;
  QPushButton* close_;
  QCheckBox* admin_;
  QTimer* timer_;
  QTimer* download_timer_;
};

}  // namespace quillora::app
