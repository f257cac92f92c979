#include "app/site_editor/form_editor.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "app/variables_menu.h"
#include "foundation/app_state.h"
#include "foundation/dates.h"
#include "foundation/ui_port.h"

namespace quillora::app {

namespace {

const char* const kColumns[] = {"Index",   "Name", "Context", "Fill with",
                                "TagName", "Type", "Value"};
enum { kEditText = 0, kEditCheck = 1, kEditChoice = 2, kEditNone = 3 };

QWidget* window_slot = nullptr;

int EditorKind(TFieldType type) {
  switch (type) {
    case ftCheck:
    case ftRadio:
      return kEditCheck;
    case ftList:
      return kEditChoice;
    case ftButton:
      return kEditNone;
    default:
      return kEditText;
  }
}

// A text window: the zoom on a rule, or the captured value of a field.
bool EditText(QWidget* parent, const QString& title, const QString& save, QString& text,
              QMenu* variables, QPlainTextEdit** editor_out = nullptr) {
  QDialog dialog(parent);
  dialog.setObjectName(title == "Zoom" ? "dlgZoom" : "dlgValue");
  dialog.setWindowTitle(title);
  auto* layout = new QVBoxLayout(&dialog);
  auto* edit = new QPlainTextEdit(text, &dialog);
  edit->setObjectName("memText");
  edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  edit->setMinimumSize(500, 310);
  layout->addWidget(edit);
  if (variables) AttachVariablesMenu(edit, variables);
  if (editor_out) *editor_out = edit;
  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(save, QDialogButtonBox::AcceptRole);
  buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return false;
  text = edit->toPlainText();
  return true;
}

}  // namespace

QString TfrmFormEditor::TypeName(int code) {
  static const char* const names[] = {"Unknown", "Text",   "Area",   "Check", "Radio",
                                      "List",    "Button", "Hidden", "File",  "Text"};
  code &= 0x7F;
  return code <= 9 ? names[code] : "Unknown";
}

TfrmFormEditor::TfrmFormEditor(const TWebForm& form, QWidget* parent) : TEditorDialog(parent) {
  setObjectName("frmFormEditor");
  setWindowTitle("Form editor");
  resize(1080, 600);

  variables_ = new QMenu(this);
  BuildVariablesMenu(variables_, true, [this](const QString& path) { InsertVariable(path); });
  variables_->addSeparator();
  AddEditEntries(variables_, true);
  variables_->addSeparator();
  variables_->addAction("Ignore", this, [this] { ignore_->click(); });
  variables_->addAction("Edit Value", this, &TfrmFormEditor::EditValue);
  // On the field list, the edit entries work on the chosen row's rule.
  for (QAction* a : variables_->actions()) {
    const QString text = a->text();
    if (text != "Cut" && text != "Copy" && text != "Paste" && text != "Delete") continue;
    connect(a, &QAction::triggered, this, [this, text] {
      if (MenuField(variables_) != list_ || !Current()) return;
      TFormField* field = Current();
      if (text == "Cut" || text == "Copy")
        QApplication::clipboard()->setText(ToQString(field->FillWith()));
      if (text == "Paste") field->SetFillWith(FromQString(QApplication::clipboard()->text()));
      if (text == "Cut" || text == "Delete") field->SetFillWith("");
      ChooseRow(list_->indexOfTopLevelItem(list_->currentItem()));
    });
  }

  auto* header = new QFormLayout;
  purpose_ = new QComboBox(this);
  purpose_->setObjectName("cbPurpose");
  purpose_->addItems({"None", "Submit", "Login"});
  header->addRow("Purpose", purpose_);
  fingerprint_ = new QLineEdit(this);
  fingerprint_->setObjectName("edFingerprint");
  fingerprint_->setEnabled(AdminMode());
  header->addRow("Fingerprint", fingerprint_);
  url_ = new QLineEdit(this);
  url_->setObjectName("edURL");
  header->addRow("URL", url_);

  list_ = new QTreeWidget(this);
  list_->setObjectName("lvFields");
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAlternatingRowColors(true);
  QStringList captions;
  for (const char* c : kColumns) captions << c;
  list_->setHeaderLabels(captions);
  const int default_widths[] = {50, 110, 130, 260, 75, 65, 140};
  for (int i = 0; i < 7; ++i) {
    int width = default_widths[i];
    const std::string key = std::string("FormEditor_Column_") + kColumns[i];
    if (ApplicationDataReady()) {
      try {
        const int stored = Settings().GetInt(key);
        if (stored > 0) width = stored;
      } catch (const std::exception&) {  // a width that is no number is ignored
      }
    }
    list_->setColumnWidth(i, width);
  }
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    variables_->setProperty("quilloraMenuField", QVariant::fromValue<QWidget*>(list_));
    variables_->exec(list_->viewport()->mapToGlobal(at));
    variables_->setProperty("quilloraMenuField", QVariant());
  });
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
    if (!loading_) ShowRuleEditor();
  });

  // The rule editors, one per kind of field.
  editors_ = new QStackedWidget(this);
  auto* text_page = new QWidget(editors_);
  auto* text_row = new QHBoxLayout(text_page);
  text_row->setContentsMargins(0, 0, 0, 0);
  rule_text_ = new QLineEdit(text_page);
  rule_text_->setObjectName("edFillWith");
  AttachVariablesMenu(rule_text_, variables_);
  zoom_ = new QPushButton("...", text_page);
  zoom_->setObjectName("btnZoom");
  zoom_->setToolTip("Zoom");
  zoom_->setFixedWidth(32);
  text_row->addWidget(rule_text_);
  text_row->addWidget(zoom_);
  editors_->addWidget(text_page);
  rule_check_ = new QCheckBox("Checked", editors_);
  rule_check_->setObjectName("cbFillCheck");
  rule_check_->setTristate(true);
  editors_->addWidget(rule_check_);
  rule_choice_ = new QComboBox(editors_);
  rule_choice_->setObjectName("cbFillChoice");
  rule_choice_->setEditable(true);
  AttachVariablesMenu(rule_choice_, variables_);
  editors_->addWidget(rule_choice_);
  editors_->addWidget(new QWidget(editors_));
  connect(rule_text_, &QLineEdit::textChanged, this, [this] {
    if (!loading_) StoreRule();
  });
  connect(rule_check_, &QCheckBox::stateChanged, this, [this](int state) {
    // A grey box only shows a rule that is neither: a click moves it to ticked.
    if (state == Qt::PartiallyChecked && !loading_) {
      rule_check_->setCheckState(Qt::Checked);
      return;
    }
    if (!loading_) StoreRule();
  });
  connect(rule_choice_, &QComboBox::currentTextChanged, this, [this] {
    if (!loading_) StoreRule();
  });
  connect(zoom_, &QPushButton::clicked, this, &TfrmFormEditor::Zoom);

  ignore_ = new QCheckBox("Ignore", this);
  ignore_->setObjectName("cbIgnore");
  login_ = new QCheckBox("Treat as login", this);
  login_->setObjectName("cbLogin");
  connect(ignore_, &QCheckBox::toggled, this, [this] {
    if (!loading_) StoreRule();
  });
  connect(login_, &QCheckBox::toggled, this, [this] {
    if (!loading_) StoreRule();
  });
  context_ = new QLabel(this);
  context_->setObjectName("lblContext");
  context_->setTextFormat(Qt::PlainText);

  auto* rule_box = new QGridLayout;
  rule_box->addWidget(new QLabel("Fill with:", this), 0, 0);
  rule_box->addWidget(editors_, 0, 1);
  auto* marks = new QHBoxLayout;
  marks->addWidget(ignore_);
  marks->addWidget(login_);
  marks->addStretch();
  rule_box->addLayout(marks, 1, 1);
  rule_box->addWidget(new QLabel("Field Context:", this), 2, 0);
  rule_box->addWidget(context_, 2, 1);
  rule_box->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  transparent_ = new QPushButton("Transparent", this);
  transparent_->setObjectName("btnTransparent");
  transparent_->setToolTip("Make the form transparent (Win2K/XP only)");
  connect(transparent_, &QPushButton::clicked, this, &TfrmFormEditor::ToggleTransparent);
  auto* export_button = new QPushButton("Export", this);
  export_button->setObjectName("btnExport");
  connect(export_button, &QPushButton::clicked, this, &TfrmFormEditor::ExportRulesFile);
  auto* import_button = new QPushButton("Import", this);
  import_button->setObjectName("btnImport");
  connect(import_button, &QPushButton::clicked, this, &TfrmFormEditor::ImportRulesFile);
  auto* help = new QPushButton("Help", this);
  connect(help, &QPushButton::clicked, this, [] { ShowError("No help for this topic"); });
  auto* save = new QPushButton("Save", this);
  save->setObjectName("btnSave");
  save->setDefault(true);
  connect(save, &QPushButton::clicked, this, &QDialog::accept);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("btnCancel");
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  for (QPushButton* b : {transparent_, export_button, import_button}) buttons->addWidget(b);
  buttons->addStretch();
  for (QPushButton* b : {help, save, cancel}) buttons->addWidget(b);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(header);
  layout->addWidget(list_, 1);
  layout->addLayout(rule_box);
  layout->addLayout(buttons);

  working_.Assign(form);
  FillList();
  const int purpose = form.Purpose == fpSubmit ? 1 : form.Purpose == fpLogin ? 2 : 0;
  purpose_->setCurrentIndex(purpose);
  fingerprint_->setText(ToQString(form.Fingerprint));
  url_->setText(ToQString(form.URL));
  ChooseRow(0);
}

TfrmFormEditor::~TfrmFormEditor() {
  if (!ApplicationDataReady()) return;
  for (int i = 0; i < 7; ++i)
    Settings().SetInt(std::string("FormEditor_Column_") + kColumns[i], list_->columnWidth(i));
}

TFormField* TfrmFormEditor::Current() {
  const int row = list_->indexOfTopLevelItem(list_->currentItem());
  if (row < 0 || row >= working_.FieldCount()) return nullptr;
  return &working_.FieldAt(row);
}

void TfrmFormEditor::ShowRow(QTreeWidgetItem* item, int row) {
  const TFormField& f = working_.FieldAt(row);
  item->setText(0, ToQString(f.GetString("Field Index")));
  item->setText(1, ToQString(f.FieldName()));
  item->setText(2, ToQString(f.FieldContext()));
  item->setText(3, ToQString(f.FillWith()));
  item->setText(4, ToQString(f.TagName()));
  item->setText(5, TypeName(static_cast<int>(f.FieldType())));
  item->setText(6, ToQString(f.FieldValue()));
  QStyle* s = style();
  item->setIcon(0, f.IsIgnored()           ? s->standardIcon(QStyle::SP_DialogCancelButton)
                   : !f.FillWith().empty() ? s->standardIcon(QStyle::SP_DialogApplyButton)
                                           : QIcon());
  item->setToolTip(5, ToQString(f.GetString("Field Type")));
}

void TfrmFormEditor::FillList() {
  loading_ = true;
  list_->clear();
  for (int i = 0; i < working_.FieldCount(); ++i) ShowRow(new QTreeWidgetItem(list_), i);
  loading_ = false;
}

void TfrmFormEditor::ChooseRow(int row) {
  if (row >= 0 && row < list_->topLevelItemCount()) {
    loading_ = true;
    list_->setCurrentItem(list_->topLevelItem(row));
    loading_ = false;
  }
  ShowRuleEditor();
}

void TfrmFormEditor::ShowRuleEditor() {
  TFormField* field = Current();
  loading_ = true;
  if (!field) {
    editors_->setCurrentIndex(kEditNone);
    ignore_->setChecked(false);
    login_->setChecked(false);
    context_->clear();
    loading_ = false;
    return;
  }
  const TFieldType type = field->FieldType();
  const QString rule = ToQString(field->FillWith());
  const int kind = EditorKind(type);
  editors_->setCurrentIndex(kind);
  if (kind == kEditText) rule_text_->setText(rule);
  if (kind == kEditCheck) {
    rule_check_->setCheckState(rule.compare("TRUE", Qt::CaseInsensitive) == 0 ? Qt::Checked
                               : rule.compare("FALSE", Qt::CaseInsensitive) == 0
                                   ? Qt::Unchecked
                                   : Qt::PartiallyChecked);
  }
  if (kind == kEditChoice) {
    rule_choice_->clear();
    for (const std::string& option : field->Options()) rule_choice_->addItem(ToQString(option));
    rule_choice_->setCurrentText(rule);
  }
  ignore_->setChecked(field->IsIgnored());
  login_->setChecked(field->IsLogin());
  editors_->setEnabled(!field->IsIgnored());
  context_->setText(ToQString(field->FieldContext()));
  loading_ = false;
}

void TfrmFormEditor::StoreRule() {
  TFormField* field = Current();
  if (!field || loading_) return;
  switch (editors_->currentIndex()) {
    case kEditText:
      field->SetFillWith(FromQString(rule_text_->text()));
      break;
    case kEditCheck:
      if (rule_check_->checkState() != Qt::PartiallyChecked)
        field->SetFillWith(rule_check_->checkState() == Qt::Checked ? "TRUE" : "FALSE");
      break;
    case kEditChoice:
      field->SetFillWith(FromQString(rule_choice_->currentText()));
      break;
    default:
      break;
  }
  field->SetIgnored(ignore_->isChecked());
  field->SetLogin(login_->isChecked());
  editors_->setEnabled(!ignore_->isChecked());
  ShowRow(list_->currentItem(), list_->indexOfTopLevelItem(list_->currentItem()));
}

void TfrmFormEditor::InsertVariable(const QString& path) {
  QWidget* field = MenuField(variables_);
  const QString text = "|" + path + "|";
  if (field == list_ || !field) {
    if (TFormField* f = Current()) {
      f->SetFillWith(FromQString(text));
      ChooseRow(list_->indexOfTopLevelItem(list_->currentItem()));
      ShowRow(list_->currentItem(), list_->indexOfTopLevelItem(list_->currentItem()));
    }
    return;
  }
  // Inside the zoom window the path goes into an expression as it is.
  InsertIntoField(field, field->objectName() == "memText" ? path : text);
}

void TfrmFormEditor::Zoom() {
  TFormField* field = Current();
  if (!field) return;
  QString text = ToQString(field->FillWith());
  if (!EditText(this, "Zoom", "Save", text, variables_)) return;
  field->SetFillWith(FromQString(text));
  ShowRuleEditor();
  ShowRow(list_->currentItem(), list_->indexOfTopLevelItem(list_->currentItem()));
}

void TfrmFormEditor::EditValue() {
  TFormField* field = Current();
  if (!field) return;
  QString text = ToQString(field->FieldValue());
  if (!EditText(this, "Value", "Ok", text, nullptr)) return;
  field->SetFieldValue(FromQString(text));
  ShowRow(list_->currentItem(), list_->indexOfTopLevelItem(list_->currentItem()));
}

void TfrmFormEditor::ToggleTransparent() {
  see_through_ = !see_through_;
  setWindowOpacity(see_through_ ? 0.6 : 1.0);
  transparent_->setText(see_through_ ? "Solid" : "Transparent");
  transparent_->setToolTip(see_through_ ? "Make the form solid\nFor Win2K/XP only"
                                        : "Make the form transparent\nFor Win2K/XP only");
}

void TfrmFormEditor::ExportRulesFile() {
  std::string path;
  if (!UI().SaveFileDialog("Export", "Templates|*.tml|All files|*.*", path)) return;
  try {
    SaveRulesFile(working_, path);
  } catch (const std::exception&) {
    ShowError("Cannot save to " + path);
  }
}

void TfrmFormEditor::ImportRulesFile() {
  std::string path;
  if (!UI().OpenFileDialog("Import", "Templates|*.tml|All files|*.*", path)) return;
  try {
    LoadRulesFile(working_, path);
  } catch (const std::exception&) {
    ShowError("Cannot load from " + path);
    return;
  }
  const int row = std::max(0, list_->indexOfTopLevelItem(list_->currentItem()));
  FillList();
  ChooseRow(row);
}

void TfrmFormEditor::StoreInto(TWebForm& form) {
  working_.LastUpdated = Now();
  const int purpose = purpose_->currentIndex();
  working_.Purpose = purpose == 1 ? fpSubmit : purpose == 2 ? fpLogin : fpNone;
  working_.Fingerprint = FromQString(fingerprint_->text());
  working_.URL = FromQString(url_->text());
  form.Assign(working_);
}

bool EditForm(QWidget* parent, TWebForm& form) {
  if (AlreadyOpen(window_slot)) return false;
  TfrmFormEditor editor(form, parent);
  TSingleWindow single(window_slot, &editor);
  if (editor.exec() != QDialog::Accepted) return false;
  editor.StoreInto(form);
  return true;
}

}  // namespace quillora::app
