// The company editor ("Company editor"): the company's address and contacts, its private
// common login, its ASP membership and its per-site accounts and comments.
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
  std::string SettingsPrefix() const override { return "Company_Editor"; }
  int ImportXmlInto(TRecord& copy, const std::string& path) override;
  int ExportXmlFrom(TRecord& copy, const std::string& path) override;

 private:
  QCheckBox* member_ = nullptr;
};

}  // namespace quillora::app
