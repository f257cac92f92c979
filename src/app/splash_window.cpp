#include "app/splash_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QScreen>
#include <algorithm>

namespace quillora::app {

namespace {
constexpr int kWidth = 420, kHeight = 260, kGaugeWidth = 14, kMargin = 12;
}

TfrmSplash::TfrmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("frmSplash");
  setWindowTitle("Quillora");
  setFixedSize(kWidth, kHeight);
  gauge_ = new QProgressBar(this);
  gauge_->setObjectName("pbSplash");
  gauge_->setOrientation(Qt::Vertical);
  gauge_->setTextVisible(false);
  gauge_->setRange(0, 100);
  gauge_->setValue(0);
  gauge_->setGeometry(kWidth - kMargin - kGaugeWidth, kMargin, kGaugeWidth, kHeight - 2 * kMargin);
}

void TfrmSplash::ShowSplash() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.center() - QPoint(kWidth / 2, kHeight / 2));
  }
  if (!shown_) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    disabled_.clear();
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != this && w->isEnabled()) {
        w->setEnabled(false);
        disabled_.append(w);
      }
  }
  shown_ = true;
  show();
  raise();
  // Twice: the first pass maps the window, the second paints it.
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
}

void TfrmSplash::HideSplash() {
  if (!shown_) return;
  shown_ = false;
  hide();
  for (const QPointer<QWidget>& w : disabled_)
    if (w) w->setEnabled(true);
  disabled_.clear();
  QApplication::restoreOverrideCursor();
}

void TfrmSplash::SetProgress(int position, int total) {
  gauge_->setRange(0, total > 0 ? total : 100);
  gauge_->setValue(std::clamp(position, 0, gauge_->maximum()));
  // The load runs on this thread: without this the gauge would not move until it ends.
  if (isVisible()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int TfrmSplash::Position() const {
  const int range = gauge_->maximum() - gauge_->minimum();
  return range > 0 ? (gauge_->value() - gauge_->minimum()) * 100 / range : 0;
}

void TfrmSplash::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient bg(0, 0, 0, height());
  bg.setColorAt(0, QColor(0x24, 0x4e, 0x86));
  bg.setColorAt(1, QColor(0x12, 0x2a, 0x4c));
  p.fillRect(rect(), bg);

  // A quill over a page, drawn rather than shipped as a picture.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf4, 0xf1, 0xe8));
  p.drawRoundedRect(QRect(34, 58, 92, 118), 6, 6);
  p.setPen(QPen(QColor(0xb8, 0xc4, 0xd6), 3));
  for (int y = 84; y <= 150; y += 16) p.drawLine(48, y, 112, y);
  QPainterPath quill;
  quill.moveTo(150, 44);
  quill.cubicTo(118, 70, 96, 110, 88, 160);
  quill.cubicTo(110, 120, 136, 90, 150, 44);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf2, 0xb8, 0x3c));
  p.drawPath(quill);

  p.setPen(Qt::white);
  QFont title = font();
  title.setPointSize(26);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(150, 70, width() - 150 - 2 * kMargin - kGaugeWidth, 50), Qt::AlignCenter,
             "Quillora");
  QFont small = font();
  small.setPointSize(10);
  p.setFont(small);
  p.setPen(QColor(0xd6, 0xe2, 0xf2));
  p.drawText(QRect(150, 122, width() - 150 - 2 * kMargin - kGaugeWidth, 24), Qt::AlignCenter,
             QString("Version %1  build %2").arg(QUILLORA_VERSION, QUILLORA_BUILD));
  p.drawText(QRect(kMargin, height() - 40, width() - 3 * kMargin - kGaugeWidth, 24),
             Qt::AlignLeft | Qt::AlignVCenter, "Loading the site database...");
}

}  // namespace quillora::app
