// What the company and product editors share: a modal window over a private copy of one record
// that reaches the record only when the user saves, its pages, the Save / Cancel / Help buttons,
// the close box's question and the PAD validator's live marks.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "app/products/record_fields.h"
#include "pad/pad_validator.h"
#include "pad/records.h"

class QFormLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace quillora::app {

class TRecordEditor : public QDialog {
  Q_OBJECT
 public:
  // Shows the editor modally with a copy of record; true when the user saved, and only then is
  // the record changed. An editor already showing is brought to the front and answers false.
  bool Edit(TRecord& record);

  QTabWidget* Pages() const { return pages_; }
  const TRecordFields& Fields() const { return fields_; }
  // The editing copy (valid while the editor shows).
  TRecord* Copy() const { return copy_.get(); }
  // Runs the validator over the fields as they are now and marks them.
  virtual void Validate();
  bool ValidatorLoaded() const { return rules_loaded_; }

 protected:
  TRecordEditor(const QString& caption, QWidget* parent);

  // Pages and their fields; the subclass builds them in its constructor and then calls Finish.
  QWidget* AddPage(const QString& caption, QFormLayout** form = nullptr);
  // A page that is not built yet: present, disabled.
  void AddPendingPage(const QString& caption);
  void Finish();

  virtual std::unique_ptr<TRecord> NewCopy() const = 0;
  virtual void LoadFields();
  virtual void StoreFields();
  // The help topic of the current page.
  virtual std::string HelpTopic() const = 0;
  // Builds the values the validator reads; the subclass adds what the field list leaves out.
  virtual void CollectForValidation(TOptionsList& values) const;
  virtual void MarkProblems(const std::vector<TPadProblem>& problems);

  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

  TRecordFields fields_;
  QLineEdit* uin_ = nullptr;

 private:
  void Save();

  QTabWidget* pages_ = nullptr;
  QPushButton* save_ = nullptr;
  std::unique_ptr<TRecord> copy_;
  TPadRules rules_;
  bool rules_loaded_ = false;
  bool saved_ = false;
  bool loading_ = false;
};

}  // namespace quillora::app
