#include "app/submitter/form_review_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "sites/web_forms.h"

namespace quillora::app {

namespace {

// The type names of the form editor, by the low seven bits of the stored code.
QString TypeName(int code) {
  static const char* const kNames[] = {"Unknown", "Text",   "Area",   "Check", "Radio",
                                       "List",    "Button", "Hidden", "File",  "Text"};
  const int c = code & 0x7F;
  return c >= 0 && c <= 9 ? kNames[c] : "Unknown";
}

}  // namespace

TdlgFormReview::TdlgFormReview(const TWebForm& form, QWidget* parent) : QDialog(parent) {
  setObjectName("dlgFormReview");
  setWindowTitle("Save template");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      "The form's fields and the rules proposed for them. Save stores the form as a template "
      "of the site.",
      this));
  auto* purpose_row = new QHBoxLayout;
  purpose_row->addWidget(new QLabel("Purpose:", this));
  purpose_ = new QComboBox(this);
  purpose_->setObjectName("cbPurpose");
  purpose_->addItems({"None", "Submit", "Login"});
  purpose_->setCurrentIndex(1);
  purpose_row->addWidget(purpose_);
  purpose_row->addStretch(1);
  layout->addLayout(purpose_row);
  auto* table = new QTableWidget(form.FieldCount(), 5, this);
  table->setObjectName("tblFields");
  table->setHorizontalHeaderLabels({"Index", "Name", "Type", "Fill with", "Context"});
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  for (int i = 0; i < form.FieldCount(); ++i) {
    const TFormField& f = form.FieldAt(i);
    const QString cells[] = {QString::number(f.FieldIndex()), ToQString(f.FieldName()),
                             TypeName(f.FieldType()), ToQString(f.FillWith()),
                             ToQString(f.FieldContext())};
    for (int c = 0; c < 5; ++c) table->setItem(i, c, new QTableWidgetItem(cells[c]));
  }
  table->horizontalHeader()->setStretchLastSection(true);
  table->resizeColumnsToContents();
  layout->addWidget(table, 1);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton("Save", QDialogButtonBox::AcceptRole);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(760, 480);
}

TFormPurpose TdlgFormReview::Purpose() const {
  return static_cast<TFormPurpose>(purpose_->currentIndex());
}

}  // namespace quillora::app
