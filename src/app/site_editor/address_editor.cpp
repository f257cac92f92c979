#include "app/site_editor/address_editor.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "app/variables_menu.h"
#include "foundation/app_state.h"
#include "foundation/ui_port.h"

namespace quillora::app {

namespace {

const char* const kPurposes[] = {"Home", "Search", "Submit", "Update"};

QWidget* window_slot = nullptr;

}  // namespace

TdlgURLEditor::TdlgURLEditor(int purpose, const TURLInfo& shown, QWidget* parent)
    : TEditorDialog(parent) {
  setObjectName("dlgURLEditor");
  setWindowTitle("URL editor");
  resize(560, 420);
  auto* grid = new QGridLayout;
  int row = 0;
  auto label = [&](const QString& text) {
    auto* l = new QLabel(text, this);
    grid->addWidget(l, row, 0, Qt::AlignTop);
    return l;
  };

  label("Purpose");
  purpose_ = new QComboBox(this);
  purpose_->setObjectName("cbPurpose");
  for (const char* p : kPurposes) purpose_->addItem(p);
  purpose_->setCurrentIndex(purpose >= 1 && purpose <= 4 ? purpose - 1 : 1);
  purpose_->setEnabled(purpose == 0);
  grid->addWidget(purpose_, row++, 1);

  label("Address");
  address_ = new QLineEdit(ToQString(shown.Address()), this);
  address_->setObjectName("edAddress");
  grid->addWidget(address_, row++, 1);

  label("Kind");
  kind_ = new QComboBox(this);
  kind_->setObjectName("cbKind");
  kind_->addItems({"Normal", "Get", "Post", "Mail"});
  kind_->setCurrentIndex(static_cast<int>(shown.Kind()));
  grid->addWidget(kind_, row++, 1);

  query_row_ << label("Query");
  query_ = new QLineEdit(ToQString(shown.Query()), this);
  query_->setObjectName("edQuery");
  query_row_ << query_;
  grid->addWidget(query_, row++, 1);

  post_rows_ << label("Headers");
  headers_ = new QPlainTextEdit(ToMemoText(shown.Headers()), this);
  headers_->setObjectName("memHeaders");
  post_rows_ << headers_;
  grid->addWidget(headers_, row++, 1);
  post_rows_ << label("POST data");
  post_data_ = new QPlainTextEdit(ToMemoText(shown.PostData()), this);
  post_data_->setObjectName("memPostData");
  post_rows_ << post_data_;
  grid->addWidget(post_data_, row++, 1);

  mail_rows_ << label("Email subj");
  subject_ = new QLineEdit(ToQString(shown.EmailSubject()), this);
  subject_->setObjectName("edEmailSubj");
  mail_rows_ << subject_;
  grid->addWidget(subject_, row++, 1);
  mail_rows_ << label("Email body");
  body_ = new QPlainTextEdit(ToMemoText(shown.EmailBody()), this);
  body_->setObjectName("memEmailBody");
  mail_rows_ << body_;
  grid->addWidget(body_, row++, 1);
  grid->setRowStretch(row, 1);

  variables_ = new QMenu(this);
  BuildVariablesMenu(variables_, false, [this](const QString& path) { InsertVariable(path); });
  variables_->addSeparator();
  AddEditEntries(variables_, false);
  for (QWidget* field : {static_cast<QWidget*>(address_), static_cast<QWidget*>(query_),
                         static_cast<QWidget*>(headers_), static_cast<QWidget*>(post_data_),
                         static_cast<QWidget*>(subject_), static_cast<QWidget*>(body_)})
    AttachVariablesMenu(field, variables_);

  auto* buttons = new QDialogButtonBox(this);
  auto* vars = buttons->addButton("PAD vars", QDialogButtonBox::ActionRole);
  vars->setObjectName("btnPadVars");
  connect(vars, &QPushButton::clicked, this, [this, vars] {
    variables_->setProperty("quilloraMenuField", QVariant());
    variables_->exec(vars->mapToGlobal(QPoint(0, vars->height())));
  });
  standard_ = buttons->addButton("Standard", QDialogButtonBox::ActionRole);
  standard_->setObjectName("btnStandard");
  connect(standard_, &QPushButton::clicked, this, &TdlgURLEditor::LoadStandardMessage);
  buttons->addButton("Ok", QDialogButtonBox::AcceptRole)->setObjectName("btnOk");
  buttons->addButton("Cancel", QDialogButtonBox::RejectRole)->setObjectName("btnCancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  connect(kind_, &QComboBox::currentIndexChanged, this, &TdlgURLEditor::UpdateVisibility);
  connect(purpose_, &QComboBox::currentIndexChanged, this, &TdlgURLEditor::UpdateVisibility);
  UpdateVisibility();
}

void TdlgURLEditor::UpdateVisibility() {
  const int kind = kind_->currentIndex();
  for (QWidget* w : query_row_) w->setVisible(kind <= 1);
  for (QWidget* w : post_rows_) w->setVisible(kind == 2);
  for (QWidget* w : mail_rows_) w->setVisible(kind == 3);
  standard_->setVisible(kind == 3);
}

void TdlgURLEditor::InsertVariable(const QString& path) {
  const QString text = "|" + path + "|";
  if (QWidget* field = MenuField(variables_)) {
    InsertIntoField(field, text);
    return;
  }
  switch (kind_->currentIndex()) {
    case 2:
      post_data_->insertPlainText(text);
      break;
    case 3:
      body_->insertPlainText(text);
      break;
    default:
      query_->insert(text);
  }
}

void TdlgURLEditor::LoadStandardMessage() {
  if ((!subject_->text().isEmpty() || !body_->toPlainText().isEmpty()) &&
      !AskYesNo("Overwrite existing message text?"))
    return;
  body_->clear();
  const std::string path = Folders().data + "stdemail.dat";
  TOptionsList lines;
  try {
    lines.LoadFromTextFile(path);
  } catch (const std::exception&) {
    ShowError("Cannot load e-mail template (" + path + ")");
    return;
  }
  if (lines.Empty()) {
    subject_->clear();
    return;
  }
  subject_->setText(ToQString(lines.Line(0)));
  lines.DeleteLine(0);
  body_->setPlainText(ToMemoText(lines.Text()));
}

QString TdlgURLEditor::PurposeName() const {
  return purpose_->currentText();
}

void TdlgURLEditor::StoreInto(TURLInfo& record) const {
  record.SetAddress(FromQString(address_->text()));
  record.SetKind(kind_->currentIndex());
  record.SetQuery(FromQString(query_->text()));
  record.SetHeaders(FromMemoText(headers_->toPlainText()));
  record.SetPostData(FromMemoText(post_data_->toPlainText()));
  record.SetEmailSubject(FromQString(subject_->text()));
  record.SetEmailBody(FromMemoText(body_->toPlainText()));
}

bool EditAddress(QWidget* parent, TURLCollection& urls, int purpose, const TURLInfo* initial) {
  const char* section = purpose >= 1 && purpose <= 4 ? kPurposes[purpose - 1] : "Search";
  TURLInfo shown;
  if (initial)
    shown = *initial;
  else
    shown.SetText(urls.Record(section).Text());
  if (AlreadyOpen(window_slot)) return false;
  TdlgURLEditor dialog(purpose, shown, parent);
  TSingleWindow single(window_slot, &dialog);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.StoreInto(urls.Record(FromQString(dialog.PurposeName())));
  return true;
}

}  // namespace quillora::app
