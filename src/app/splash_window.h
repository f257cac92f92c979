// The splash window: shown while the program loads its data, with a progress gauge for the site
// list; every other window of the program is disabled while it is up.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class QProgressBar;

namespace quillora::app {

class TfrmSplash : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmSplash(QWidget* parent = nullptr);

  // Shows it centred on the screen with the hourglass cursor, and paints it at once.
  void ShowSplash();
  void HideSplash();
  bool IsShown() const { return shown_; }
  // The gauge: position out of total (the site list reports up to 90 % of it while starting).
  void SetProgress(int position, int total);
  int Position() const;
  QProgressBar* Gauge() const { return gauge_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QProgressBar* gauge_;
  bool shown_ = false;
  QList<QPointer<QWidget>> disabled_;
};

}  // namespace quillora::app
