// The form editor: the fields of one stored form with their fill rules (a text, a three-state box
// or a choice by field type), the ignore and login marks, the form's purpose, fingerprint and
// page address, and the exchange of the rules as ".tml" files.
#pragma once

#include "app/site_editor/editor_dialog.h"
#include "sites/web_forms.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillora::app {

class TfrmFormEditor : public TEditorDialog {
  Q_OBJECT
 public:
  explicit TfrmFormEditor(const TWebForm& form, QWidget* parent = nullptr);
  ~TfrmFormEditor() override;

  // The working copy with the header's purpose, fingerprint and address, stamped now.
  void StoreInto(TWebForm& form);
  TWebForm& Working() { return working_; }
  // Chooses a row and shows its rule editor.
  void ChooseRow(int row);
  void ExportRulesFile();
  void ImportRulesFile();

  // The type name a field shows: the password type reads "Text", unknown codes "Unknown".
  static QString TypeName(int code);

 private:
  void FillList();
  void ShowRow(QTreeWidgetItem* item, int row);
  void ShowRuleEditor();
  void StoreRule();
  void InsertVariable(const QString& path);
  void Zoom();
  void EditValue();
  void ToggleTransparent();
  TFormField* Current();

  TWebForm working_;
  bool loading_ = false;
  QComboBox* purpose_;
  QLineEdit* fingerprint_;
  QLineEdit* url_;
  QTreeWidget* list_;
  QStackedWidget* editors_;
  QLineEdit* rule_text_;
  QPushButton* zoom_;
  QCheckBox* rule_check_;
  QComboBox* rule_choice_;
  QCheckBox* ignore_;
  QCheckBox* login_;
  QLabel* context_;
  QPushButton* transparent_;
  QMenu* variables_;
  bool see_through_ = false;
};

// Edits the form through a working copy; true when saved (the caller saves the site).
bool EditForm(QWidget* parent, TWebForm& form);

}  // namespace quillora::app
