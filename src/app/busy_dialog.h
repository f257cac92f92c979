// The busy window: a caption, a progress bar and a Stop button over long work.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace quillora::app {

class TBusyDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TBusyDialog(QWidget* parent = nullptr);

  void SetCaption(const QString& caption);
  // A total of 0 or less shows a bar that only says the work goes on.
  void SetProgress(long long position, long long total);
  bool StopRequested() const { return stop_requested_; }
  void ResetStop() { stop_requested_ = false; }

 protected:
  // Closing the window is the same as Stop: the work decides when it has ended.
  void reject() override;

 private:
  QLabel* caption_;
  QProgressBar* bar_;
  QPushButton* stop_;
  bool stop_requested_ = false;
};

}  // namespace quillora::app
