#include "app/site_editor/screenshot_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstring>

#include "app/qt_text.h"
#include "app/site_editor/editor_dialog.h"
#include "sites/image_resample.h"
#include "sites/site.h"

namespace quillora::app {

namespace {
constexpr int kCaptureWidth = 640;
constexpr int kCaptureHeight = 480;
QWidget* window_slot = nullptr;
}  // namespace

TImage24 ToImage24(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  TImage24 result(rgb.width(), rgb.height());
  for (int y = 0; y < rgb.height(); ++y)
    std::memcpy(result.Pixel(0, y), rgb.constScanLine(y), static_cast<size_t>(rgb.width()) * 3);
  return result;
}

QImage FromImage24(const TImage24& image) {
  QImage result(image.width, image.height, QImage::Format_RGB888);
  for (int y = 0; y < image.height; ++y)
    std::memcpy(result.scanLine(y), image.Pixel(0, y), static_cast<size_t>(image.width) * 3);
  return result;
}

TImage24 CoverFromCapture(const QImage& capture) {
  return ResampleLanczos(ToImage24(capture), kThumbnailWidth, kThumbnailHeight);
}

TdlgScreenshot::TdlgScreenshot(const QString& address, QWidget* parent) : QDialog(parent) {
  setObjectName("dlgScreenshot");
  setWindowTitle("Site screenshot");
  auto* layout = new QVBoxLayout(this);
  status_ = new QLabel("Loading Page ...", this);
  status_->setObjectName("lblStatus");
  // It shows the page's address, which comes from the site file.
  status_->setTextFormat(Qt::PlainText);
  layout->addWidget(status_);
  view_ = new QWebEngineView(this);
  view_->setObjectName("wbScreenshot");
  view_->setFixedSize(kCaptureWidth, kCaptureHeight);
  layout->addWidget(view_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("OK");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(view_, &QWebEngineView::loadFinished, this, [this](bool ok) {
    status_->setText(ok ? view_->url().toString() : "The page could not be loaded");
    emit pageLoaded(ok);
  });
  view_->load(QUrl(address.isEmpty() ? QStringLiteral("about:blank") : address));
}

TdlgScreenshot::~TdlgScreenshot() {
  // The page must go before the profile it lives in.
  delete view_;
}

QImage TdlgScreenshot::Capture() const {
  QImage picture(kCaptureWidth, kCaptureHeight, QImage::Format_RGB888);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.drawPixmap(0, 0, view_->grab());
  return picture;
}

QString TdlgScreenshot::PageTitle() const {
  return view_->title();
}

bool TakeScreenshot(QWidget* parent, TWebSite& site) {
  if (AlreadyOpen(window_slot)) return false;
  TdlgScreenshot dialog(ToQString(site.Info.URLs.Home().Address()), parent);
  TSingleWindow single(window_slot, &dialog);
  if (dialog.exec() != QDialog::Accepted) return false;
  site.SetCoverPicture(CoverFromCapture(dialog.Capture()));
  if (site.Name().empty()) {
    const QString title = dialog.PageTitle();
    if (!title.isEmpty() && title != "about:blank")
      site.Info.CommonInfo().SetString("Name", FromQString(title));
  }
  return true;
}

}  // namespace quillora::app
