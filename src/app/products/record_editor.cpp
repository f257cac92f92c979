#include "app/products/record_editor.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "foundation/app_state.h"
#include "foundation/ui_port.h"

namespace quillora::app {

TRecordEditor::TRecordEditor(const QString& caption, QWidget* parent) : QDialog(parent) {
  setWindowTitle(caption);
  setModal(true);
  resize(760, 680);
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl");
  pages_->setUsesScrollButtons(true);
  layout->addWidget(pages_);
  auto* buttons = new QDialogButtonBox(this);
  save_ = buttons->addButton("Save", QDialogButtonBox::AcceptRole);
  save_->setObjectName("btnSave");
  save_->setDefault(true);
  auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("btnCancel");
  auto* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
  help->setObjectName("btnHelp");
  layout->addWidget(buttons);
  connect(save_, &QPushButton::clicked, this, [this] { Save(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [this] { OpenHelp(HelpTopic()); });

  if (ApplicationDataReady()) {
    try {
      rules_.Load(Folders().data + "pad/");
      rules_loaded_ = true;
    } catch (const std::exception&) {
      // Without its rule tables the editor still edits; it only cannot mark fields.
      rules_loaded_ = false;
    }
  }
}

QWidget* TRecordEditor::AddPage(const QString& caption, QFormLayout** form) {
  auto* scroll = new QScrollArea(pages_);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* page = new QWidget(scroll);
  page->setObjectName("ts" + QString(caption).remove(' '));
  scroll->setWidget(page);
  pages_->addTab(scroll, caption);
  if (form) {
    *form = new QFormLayout(page);
    (*form)->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  }
  return page;
}

void TRecordEditor::AddPendingPage(const QString& caption) {
  auto* page = new QWidget(pages_);
  page->setObjectName("ts" + QString(caption).remove(' '));
  const int index = pages_->addTab(page, caption);
  pages_->setTabEnabled(index, false);
}

void TRecordEditor::Finish() {
  fields_.OnChange(this, [this] {
    if (!loading_) Validate();
  });
}

bool TRecordEditor::Edit(TRecord& record) {
  if (isVisible()) {
    raise();
    activateWindow();
    return false;
  }
  copy_ = NewCopy();
  copy_->Assign(record);
  saved_ = false;
  loading_ = true;
  LoadFields();
  loading_ = false;
  Validate();
  pages_->setCurrentIndex(0);
  exec();
  if (saved_) record.Assign(*copy_);
  copy_.reset();
  return saved_;
}

void TRecordEditor::LoadFields() {
  fields_.Load(*copy_);
}

void TRecordEditor::StoreFields() {
  fields_.Store(*copy_);
}

void TRecordEditor::Save() {
  // A field being edited commits when it loses the keyboard.
  save_->setFocus();
  if (!copy_) return;
  StoreFields();
  saved_ = true;
  accept();
}

void TRecordEditor::CollectForValidation(TOptionsList& values) const {
  fields_.Collect(values);
}

void TRecordEditor::MarkProblems(const std::vector<TPadProblem>& problems) {
  fields_.Mark(problems);
}

void TRecordEditor::Validate() {
  if (!rules_loaded_ || !copy_) return;
  TOptionsList values;
  CollectForValidation(values);
  // Only what this editor shows can be marked; rules for other fields are the PAD check's.
  MarkProblems(ValidatePad(values, PadVersionOf(values), rules_));
}

void TRecordEditor::closeEvent(QCloseEvent* event) {
  // Save and Cancel have decided already; only the close box asks.
  if (result() == QDialog::Accepted || !isVisible() || saved_) {
    QDialog::closeEvent(event);
    return;
  }
  if (copy_ && AskYesNo("Save changes?")) {
    event->ignore();
    Save();
    return;
  }
  QDialog::closeEvent(event);
}

void TRecordEditor::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    OpenHelp(HelpTopic());
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace quillora::app
