// The "Upload PAD file" dialog: the FTP address of the product's PAD file in its parts (host,
// document root, path, the full address always made of the three), the login and the passive
// mode, and the upload of a freshly written PAD file until it succeeds or the user gives up.
#pragma once

#include <QDialog>
#include <string>

#include "pad/pad_exchange.h"

class QCheckBox;
class QLineEdit;

namespace quillora {
class TCompany;
class TProduct;
}  // namespace quillora

namespace quillora::app {

class TdlgUploadXML : public QDialog {
  Q_OBJECT
 public:
  explicit TdlgUploadXML(QWidget* parent = nullptr);

  // The product manager's "Upload": writes the PAD file, shows the form and uploads on each
  // press of "Upload". True when an upload succeeded.
  bool Upload(const TCompany& company, TProduct& product);
  // The transfer itself (the FTP upload by default); tests pass their own.
  void SetUploadFunction(TPadUploadFunction upload) { upload_ = std::move(upload); }

  QLineEdit* Host() const { return host_; }
  QLineEdit* DocRoot() const { return doc_root_; }
  QLineEdit* Path() const { return path_; }
  QLineEdit* FullAddress() const { return address_; }
  QLineEdit* User() const { return user_; }
  QLineEdit* Password() const { return password_; }

 private:
  void Fill(const TPadUploadForm& form);
  TPadUploadForm Form() const;
  void UpdateAddress();
  void UploadPressed();

  QLineEdit* host_ = nullptr;
  QLineEdit* doc_root_ = nullptr;
  QLineEdit* path_ = nullptr;
  QLineEdit* address_ = nullptr;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QCheckBox* save_password_ = nullptr;
  QCheckBox* passive_ = nullptr;
  TPadUploadFunction upload_;
  TProduct* product_ = nullptr;
  std::string file_;
  bool uploaded_ = false;
};

}  // namespace quillora::app
