// The company editor ("Company editor"): the company's address and contacts, its private
// common login and its ASP membership.
#pragma once

#include "app/products/record_editor.h"

class QCheckBox;

namespace quillora::app {

class TfrmCompanyEditor : public TRecordEditor {
  Q_OBJECT
 public:
  explicit TfrmCompanyEditor(QWidget* parent = nullptr);

 protected:
  std::unique_ptr<TRecord> NewCopy() const override;
  void LoadFields() override;
  void StoreFields() override;
  std::string HelpTopic() const override;

 private:
  QCheckBox* member_ = nullptr;
};

}  // namespace quillora::app
