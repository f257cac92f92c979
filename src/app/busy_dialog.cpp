#include "app/busy_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillora::app {

TBusyDialog::TBusyDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("dlgBusy");
  setWindowTitle("Quillora");
  setWindowModality(Qt::ApplicationModal);
  setMinimumWidth(360);
  auto* layout = new QVBoxLayout(this);
  caption_ = new QLabel(this);
  caption_->setObjectName("lblCaption");
  caption_->setWordWrap(true);
  bar_ = new QProgressBar(this);
  bar_->setObjectName("pbProgress");
  bar_->setRange(0, 100);
  stop_ = new QPushButton("Stop", this);
  stop_->setObjectName("btnStop");
  layout->addWidget(caption_);
  layout->addWidget(bar_);
  layout->addWidget(stop_, 0, Qt::AlignRight);
  connect(stop_, &QPushButton::clicked, this, [this] {
    stop_requested_ = true;
    stop_->setEnabled(false);
  });
}

void TBusyDialog::SetCaption(const QString& caption) {
  caption_->setText(caption);
  stop_->setEnabled(true);
}

void TBusyDialog::SetProgress(long long position, long long total) {
  if (total <= 0) {
    bar_->setRange(0, 0);
    return;
  }
  // The bar counts in int; a percentage keeps large totals in range.
  bar_->setRange(0, 100);
  const long long clamped = position < 0 ? 0 : position > total ? total : position;
  bar_->setValue(static_cast<int>(clamped * 100 / total));
}

void TBusyDialog::reject() {
  stop_requested_ = true;
  stop_->setEnabled(false);
}

}  // namespace quillora::app
