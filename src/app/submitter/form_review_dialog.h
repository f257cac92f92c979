// The review of a form about to be stored as a template: its fields and the fill rules proposed
// for them, kept or dropped as a whole (editing the rules is the form editor's work).
#pragma once

#include <QDialog>

#include "sites/web_forms.h"

class QComboBox;

namespace quillora::app {

class TdlgFormReview : public QDialog {
  Q_OBJECT
 public:
  TdlgFormReview(const TWebForm& form, QWidget* parent = nullptr);
  // The purpose chosen for the form ("Submit" at opening).
  TFormPurpose Purpose() const;

 private:
  QComboBox* purpose_;
};

}  // namespace quillora::app
