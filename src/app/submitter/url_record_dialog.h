// A site's address record (address, kind, query, post data, headers) shown for the user to
// check and correct before it is stored.
#pragma once

#include <QDialog>

#include "sites/url_info.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace quillora::app {

class TdlgUrlRecord : public QDialog {
  Q_OBJECT
 public:
  TdlgUrlRecord(const QString& title, const TURLInfo& record, QWidget* parent = nullptr);
  // The record as edited.
  TURLInfo Record() const;

 private:
  QLineEdit* address_;
  QComboBox* kind_;
  QLineEdit* query_;
  QLineEdit* post_data_;
  QPlainTextEdit* headers_;
};

}  // namespace quillora::app
