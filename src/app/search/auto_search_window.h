// The listing-search windows over the core's controllers: the batch window ("AutoSearch") that
// searches every shown site with a pool of workers, and the test window for one site.
#pragma once

#include <QDialog>
#include <memory>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace quillora {
class TAutoSearch;
class TSearchSingle;
class TWebSite;
}  // namespace quillora

namespace quillora::app {

// The batch listing search. Modal; it can be closed only while "Close" is enabled.
class TfrmAutoSearch : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAutoSearch(QWidget* parent = nullptr);
  ~TfrmAutoSearch() override;

  TAutoSearch& Controller() { return *search_; }
  QPushButton* StartButton() const { return start_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* CloseButton() const { return close_; }
  QLabel* ProgressLabel() const { return label_; }
  QProgressBar* Bar() const { return bar_; }
  QPlainTextEdit* Log() const { return log_; }
  // Whether a batch ran (and so changed the results) since the window was made.
  bool Started() const { return started_; }

  void Start();
  void Stop();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void StoreSpins();
  void Finish();

  std::unique_ptr<TAutoSearch> search_;
  QSpinBox* threads_;
  QSpinBox* timeout_;
  QSpinBox* attempts_;
  QListWidget* status_;
  QPlainTextEdit* log_;
  QLabel* label_;
  QProgressBar* bar_;
  QPushButton* start_;
  QPushButton* stop_;
  QPushButton* close_;
  QTimer* timer_;
  bool started_ = false;
};

// The test of one site: one button that reads "Start", then "Stop", then "Close", and "Results"
// to open the page that came back.
class TfrmSearchSingle : public QDialog {
  Q_OBJECT
 public:
  TfrmSearchSingle(TWebSite& site, QWidget* parent = nullptr);
  ~TfrmSearchSingle() override;

  TSearchSingle& Controller() { return *search_; }
  QPushButton* Button() const { return button_; }
  QPushButton* ResultsButton() const { return results_; }
  QPlainTextEdit* Log() const { return log_; }

 protected:
  void reject() override;

 private:
  void Press();
  void UpdateState();

  std::unique_ptr<TSearchSingle> search_;
  QLabel* label_;
  QPlainTextEdit* status_;
  QPlainTextEdit* log_;
  QPushButton* button_;
  QPushButton* results_;
};

// The test of the focused site; its verdict is then stored with the product.
void RunSingleSearchWindow(QWidget* parent, TWebSite* site);
// "Generate report (Batch Search)": the batch window, or the remote search window when
// "New_Autosearch" is TRUE. The verdicts are stored with the product afterwards; true when they
// changed (the sites view then refreshes).
bool RunBatchSearchWindow(QWidget* parent);

}  // namespace quillora::app
