// The transfer window ("File download"): a view over the core's transfer window model that
// shows the current transfer, its bar and the batch's, with Cancel.
#pragma once

#include <QDialog>
#include <memory>

#include "net/transfer_window.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quillora::app {

class TfrmDownload : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmDownload(QWidget* parent = nullptr);
  ~TfrmDownload() override;

  // The model the transfers run through; every repaint it asks for shows here.
  TTransferWindow& Model() { return *model_; }
  // The views and shows or hides the window as the model says.
  void Show(const TTransferView& view);

 protected:
  // Closing is the same as Cancel: the transfer decides when it ends.
  void reject() override;

 private:
  std::unique_ptr<TTransferWindow> model_;
  QLabel* action_;
  QLabel* url_;
  QLabel* file_label_;
  QLabel* file_;
  QLabel* time_;
  QLabel* speed_;
  QLabel* status_;
  QProgressBar* gauge_;
  QLabel* overall_hint_;
  QProgressBar* overall_;
  QLabel* counter_;
  QPushButton* cancel_;
};

}  // namespace quillora::app
