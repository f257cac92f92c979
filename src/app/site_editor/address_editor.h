// The address editor: one address record of a site (purpose, address, kind and the kind's query,
// headers, post data or e-mail text), stored into the section of the chosen purpose.
#pragma once

#include "app/site_editor/editor_dialog.h"
#include "sites/url_info.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace quillora::app {

class TdlgURLEditor : public TEditorDialog {
  Q_OBJECT
 public:
  // purpose: 0 free (the choice is offered, "Search" chosen), 1 Home .. 4 Update.
  TdlgURLEditor(int purpose, const TURLInfo& shown, QWidget* parent = nullptr);
  // The record as the fields hold it, and the section name of the chosen purpose.
  void StoreInto(TURLInfo& record) const;
  QString PurposeName() const;
  // "Standard": the subject and body from "stdemail.dat".
  void LoadStandardMessage();

 private:
  void UpdateVisibility();
  void InsertVariable(const QString& path);

  QComboBox* purpose_;
  QLineEdit* address_;
  QComboBox* kind_;
  QLineEdit* query_;
  QPlainTextEdit* headers_;
  QPlainTextEdit* post_data_;
  QLineEdit* subject_;
  QPlainTextEdit* body_;
  QPushButton* standard_;
  QMenu* variables_;
  QList<QWidget*> query_row_, post_rows_, mail_rows_;
};

// Edits the record of `purpose` (or, given, a copy of `initial`) and stores it into the section
// of the purpose chosen; true when stored.
bool EditAddress(QWidget* parent, TURLCollection& urls, int purpose,
                 const TURLInfo* initial = nullptr);

}  // namespace quillora::app
