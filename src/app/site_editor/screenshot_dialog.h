// The screenshot dialog: the site's home page in a browser; "OK" takes the page as a 640 x 480
// picture and makes its 160 x 120 reduction the site's cover.
#pragma once

#include <QDialog>
#include <QImage>

#include "sites/cover.h"

class QLabel;
class QWebEngineView;

namespace quillora {
class TWebSite;
}

namespace quillora::app {

class TdlgScreenshot : public QDialog {
  Q_OBJECT
 public:
  TdlgScreenshot(const QString& address, QWidget* parent = nullptr);
  ~TdlgScreenshot() override;
  // The page as shown now, drawn into a 640 x 480 picture (white where the page is smaller).
  QImage Capture() const;
  QString PageTitle() const;
  QWebEngineView* View() const { return view_; }

 signals:
  void pageLoaded(bool ok);

 private:
  QLabel* status_;
  QWebEngineView* view_;
};

// A Qt picture as the core's 24-bit picture.
TImage24 ToImage24(const QImage& image);
QImage FromImage24(const TImage24& image);
// The cover made from a 640 x 480 page picture: scaled to 160 x 120 with a Lanczos-3 filter.
TImage24 CoverFromCapture(const QImage& capture);

// Shows the site's home page; on "OK" the page becomes the site's cover (and, for a site without
// a name, its title the name). True when a new cover was set.
bool TakeScreenshot(QWidget* parent, TWebSite& site);

}  // namespace quillora::app
