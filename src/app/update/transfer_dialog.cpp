#include "app/update/transfer_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/qt_text.h"

namespace quillora::app {

TfrmDownload::TfrmDownload(QWidget* parent) : QDialog(parent) {
  setObjectName("frmDownload");
  setWindowTitle("File download");
  auto* form = new QFormLayout;
  action_ = new QLabel("Download", this);
  url_ = new QLabel(this);
  url_->setObjectName("lblURL");
  file_label_ = new QLabel("Download to:", this);
  file_ = new QLabel(this);
  file_->setObjectName("lblFile");
  time_ = new QLabel(this);
  speed_ = new QLabel(this);
  status_ = new QLabel(this);
  status_->setObjectName("lblStatus");
  form->addRow(action_, url_);
  form->addRow(file_label_, file_);
  form->addRow("Time:", time_);
  form->addRow("Speed:", speed_);
  gauge_ = new QProgressBar(this);
  gauge_->setObjectName("pbGauge");
  overall_hint_ = new QLabel(this);
  overall_ = new QProgressBar(this);
  overall_->setObjectName("pbOverall");
  counter_ = new QLabel(this);
  counter_->setObjectName("lblCounter");
  auto* buttons = new QDialogButtonBox(this);
  cancel_ = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel_->setObjectName("btnCancel");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(status_);
  layout->addWidget(gauge_);
  layout->addWidget(overall_hint_);
  layout->addWidget(overall_);
  layout->addWidget(counter_);
  layout->addWidget(buttons);
  setMinimumWidth(420);
  connect(cancel_, &QPushButton::clicked, this, [this] { model_->Cancel(); });
  model_ = std::make_unique<TTransferWindow>(TTransferWindow::TClock{},
                                             [this](const TTransferView& v) { Show(v); });
}

TfrmDownload::~TfrmDownload() = default;

void TfrmDownload::Show(const TTransferView& view) {
  if (!view.visible) {
    hide();
    return;
  }
  setWindowTitle(ToQString(view.caption));
  action_->setText(ToQString(view.action_label));
  url_->setText(ToQString(view.url));
  file_label_->setText(ToQString(view.file_label));
  file_->setText(ToQString(view.file_name));
  time_->setText(ToQString(view.time_text));
  speed_->setText(ToQString(view.speed_text));
  status_->setText(ToQString(view.result_text.empty() ? view.status_text : view.result_text));
  gauge_->setRange(0, static_cast<int>(std::max<int64_t>(view.gauge_max, 0)));
  gauge_->setValue(static_cast<int>(view.gauge_position));
  overall_hint_->setVisible(view.overall_visible);
  overall_->setVisible(view.overall_visible);
  counter_->setVisible(view.overall_visible);
  overall_hint_->setText(ToQString(view.overall_hint));
  overall_->setRange(0, std::max(view.overall_max, 1));
  overall_->setValue(view.overall_position);
  counter_->setText(ToQString(view.counter_text));
  if (!isVisible()) show();
}

void TfrmDownload::reject() {
  model_->Cancel();
}

}  // namespace quillora::app
