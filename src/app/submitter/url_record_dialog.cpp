#include "app/submitter/url_record_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/qt_text.h"

namespace quillora::app {

TdlgUrlRecord::TdlgUrlRecord(const QString& title, const TURLInfo& record, QWidget* parent)
    : QDialog(parent) {
  setObjectName("dlgUrlRecord");
  setWindowTitle(title);
  auto* form = new QFormLayout(this);
  address_ = new QLineEdit(ToQString(record.Address()), this);
  address_->setObjectName("edAddress");
  form->addRow("Address:", address_);
  kind_ = new QComboBox(this);
  kind_->setObjectName("cbKind");
  kind_->addItems({"Normal", "GET", "POST", "MAIL"});
  kind_->setCurrentIndex(static_cast<int>(record.Kind()));
  form->addRow("Kind:", kind_);
  query_ = new QLineEdit(ToQString(record.Query()), this);
  query_->setObjectName("edQuery");
  form->addRow("Query:", query_);
  post_data_ = new QLineEdit(ToQString(record.PostData()), this);
  post_data_->setObjectName("edPostData");
  form->addRow("Post data:", post_data_);
  headers_ = new QPlainTextEdit(ToQString(record.Headers()).replace("\r\n", "\n"), this);
  headers_->setObjectName("memHeaders");
  headers_->setMaximumHeight(80);
  form->addRow("Headers:", headers_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
  resize(620, 260);
}

TURLInfo TdlgUrlRecord::Record() const {
  TURLInfo r;
  r.SetAddress(FromQString(address_->text()));
  r.SetKind(kind_->currentIndex());
  if (!query_->text().isEmpty()) r.SetQuery(FromQString(query_->text()));
  if (!post_data_->text().isEmpty()) r.SetPostData(FromQString(post_data_->text()));
  QString headers = headers_->toPlainText();
  if (!headers.isEmpty()) r.SetHeaders(FromQString(headers.replace("\n", "\r\n")));
  return r;
}

}  // namespace quillora::app
