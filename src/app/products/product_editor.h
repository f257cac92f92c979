// The product editor: every field of a product record, on one page per PAD section, edited on a
// private copy that only Save writes back. Descriptions count their characters against their
// length, and the PAD rules mark values a download site would reject as the user types.
#pragma once

#include <QDialog>
#include <map>
#include <string>

#include "pad/pad_validator.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

namespace quillora {
class TProduct;
}

namespace quillora::app {

class TfrmProductEditor : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmProductEditor(TProduct& product, QWidget* parent = nullptr);

  // The text in the field of a key (for tests and the validator).
  std::string Value(const std::string& key) const;
  void SetValue(const std::string& key, const std::string& value);
  // The PAD problems of the values as they stand, by key.
  std::map<std::string, std::string> Problems() const { return problems_; }
  // Runs the PAD rules now (typing runs them after a short pause).
  void Validate();

  void accept() override;

 private:
  void Edited(const std::string& key);

  TProduct& product_;
  std::map<std::string, QLineEdit*> lines_;
  std::map<std::string, QPlainTextEdit*> texts_;
  std::map<std::string, QLabel*> counters_;
  std::map<std::string, std::string> problems_;
  TPadRules rules_;
  bool rules_loaded_ = false;
  QTimer* validate_timer_;
};

// The character limit a description key names ("Char_Desc_80" → 80); 0 for other keys.
int DescriptionLimit(const std::string& key);

}  // namespace quillora::app
