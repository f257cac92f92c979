#include "app/products/upload_pad_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "foundation/files.h"
#include "net/transfer_result.h"
#include "net/transfers.h"
#include "pad/records.h"

namespace quillora::app {

TdlgUploadXML::TdlgUploadXML(QWidget* parent) : QDialog(parent) {
  setObjectName("dlgUploadXML");
  setWindowTitle("Upload PAD file");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  auto edit = [&](const char* label, const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    form->addRow(label, e);
    return e;
  };
  host_ = edit("Host:", "edtHost");
  doc_root_ = edit("Document root:", "edtDocRoot");
  path_ = edit("Path:", "edtPath");
  address_ = edit("Full address:", "edtFullAddress");
  address_->setReadOnly(true);
  user_ = edit("User name:", "edtUserName");
  password_ = edit("Password:", "edtPassword");
  password_->setEchoMode(QLineEdit::Password);
  save_password_ = new QCheckBox("Save password", this);
  save_password_->setObjectName("cbSavePassword");
  form->addRow("", save_password_);
  passive_ = new QCheckBox("Passive FTP", this);
  passive_->setObjectName("cbPassiveFTP");
  form->addRow("", passive_);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* upload = buttons->addButton("Upload", QDialogButtonBox::AcceptRole);
  upload->setObjectName("btnUpload");
  upload->setDefault(true);
  QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("btnCancel");
  layout->addWidget(buttons);
  for (QLineEdit* part : {host_, doc_root_, path_})
    connect(part, &QLineEdit::textChanged, this, [this] { UpdateAddress(); });
  connect(upload, &QPushButton::clicked, this, [this] { UploadPressed(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(640, 300);
  upload_ = [](const std::string& url, const std::string& file, const std::string& user,
               const std::string& password, bool passive) {
    const TTransferResult r = UploadFile(url, file, user, password, passive, {}, nullptr);
    return r == trNoError ? std::string() : TransferResultText(r);
  };
}

bool TdlgUploadXML::Upload(const TCompany& company, TProduct& product) {
  if (isVisible()) {
    raise();
    activateWindow();
    return false;
  }
  TPadUploadForm form;
  if (!PreparePadUpload(product, form)) return false;
  file_ = WriteTemporaryPadFile(company, product);
  if (file_.empty()) return false;
  Fill(form);
  product_ = &product;
  uploaded_ = false;
  exec();
  product_ = nullptr;
  DeleteFileAt(file_);
  file_.clear();
  return uploaded_;
}

void TdlgUploadXML::Fill(const TPadUploadForm& form) {
  host_->setText(ToQString(form.host));
  doc_root_->setText(ToQString(form.doc_root));
  path_->setText(ToQString(form.path));
  user_->setText(ToQString(form.user));
  password_->setText(ToQString(form.password));
  save_password_->setChecked(form.save_password);
  passive_->setChecked(form.passive);
  UpdateAddress();
}

TPadUploadForm TdlgUploadXML::Form() const {
  TPadUploadForm form;
  form.host = FromQString(host_->text());
  form.doc_root = FromQString(doc_root_->text());
  form.path = FromQString(path_->text());
  form.user = FromQString(user_->text());
  form.password = FromQString(password_->text());
  form.save_password = save_password_->isChecked();
  form.passive = passive_->isChecked();
  return form;
}

void TdlgUploadXML::UpdateAddress() {
  address_->setText(ToQString(Form().FullAddress()));
  // The start of a long address is the part that tells where the file goes.
  address_->setCursorPosition(0);
}

void TdlgUploadXML::UploadPressed() {
  if (!product_) return;
  // A failure was shown; the form stays for another try.
  if (!UploadPadFileOnce(Form(), file_, *product_, upload_)) return;
  uploaded_ = true;
  accept();
}

}  // namespace quillora::app
