#include "app/site_editor/selected_sites_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTextCursor>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "app/site_editor/editor_dialog.h"
#include "app/sites/sites_model.h"
#include "app/status/status_menu.h"
#include "foundation/app_state.h"
#include "foundation/dates.h"
#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "submit/status_records.h"

namespace quillora::app {

namespace {

QWidget* window_slot = nullptr;

QString ProfileText(const char* key) {
  return RecordListsReady() ? ToQString(ActiveProfile().GetString(key)) : QString();
}

// Names from the records are shown as they are, never read as markup.
QLabel* PlainLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// A field that will be written shows on the window colour, an unchanged one on the button face.
void Mark(QWidget* field, bool written) {
  QPalette palette = field->palette();
  palette.setColor(QPalette::Base,
                   QApplication::palette().color(written ? QPalette::Base : QPalette::Button));
  field->setPalette(palette);
}

}  // namespace

TfrmAllSitesProperties::TfrmAllSitesProperties(const std::vector<std::string>& categories,
                                               TCustomSet* set, const QString& set_name,
                                               QWidget* parent)
    : QDialog(parent) {
  setObjectName("frmAllSitesProperties");
  setWindowTitle("Selected Sites Properties");
  auto* layout = new QVBoxLayout(this);

  auto* grid = new QGridLayout;
  int row = 0;
  auto add_version = [&](const QString& caption, const char* name, QLineEdit*& edit) {
    edit = new QLineEdit(this);
    edit->setObjectName(name);
    auto* current = new QPushButton("Set current version", this);
    current->setObjectName(QString(name) + "Current");
    grid->addWidget(new QLabel(caption, this), row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(current, row++, 2);
    connect(current, &QPushButton::clicked, this, [this, edit] {
      edit->setText(ProfileText("Program_Info/Program_Version"));
      if (edit == version_submitted_ && !edit->text().isEmpty())
        date_submitted_->setText(ToQString(DateTimeToStr(Now())));
      MarkFields();
    });
  };
  add_version("Version Listed:", "edVersionListed", version_listed_);
  add_version("Version Submitted:", "edVersionSubmitted", version_submitted_);
  date_submitted_ = new QLineEdit(this);
  date_submitted_->setObjectName("edDateSubmitted");
  date_submitted_->setEnabled(AdminMode());
  grid->addWidget(new QLabel("Date Submitted:", this), row, 0);
  grid->addWidget(date_submitted_, row++, 1);
  connect(version_submitted_, &QLineEdit::editingFinished, this, [this] {
    if (!version_submitted_->text().trimmed().isEmpty())
      date_submitted_->setText(ToQString(DateTimeToStr(Now())));
    MarkFields();
  });
  search_flag_ = new QComboBox(this);
  search_flag_->setObjectName("cbSearchFlag");
  search_flag_->addItems({"", "FOUND", "NOT FOUND", "NOT SUPPORTED", "ERROR"});
  grid->addWidget(new QLabel("Search Flag:", this), row, 0);
  grid->addWidget(search_flag_, row++, 1);
  override_ = new QPushButton("Auto", this);
  override_->setObjectName("btnOverride");
  auto* menu = new QMenu(override_);
  FillStatusMenu(menu, [this](const std::string& state, const std::string& comment) {
    ChooseOverride(state, comment);
  });
  override_->setMenu(menu);
  grid->addWidget(new QLabel("Override Status:", this), row, 0);
  grid->addWidget(override_, row++, 1);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);

  layout->addWidget(
      PlainLabel("Notes regarding \"" + ProfileText("Company_Info/Company_Name") + "\":", this));
  company_notes_ = new QPlainTextEdit(this);
  company_notes_->setObjectName("memCompanyNotes");
  layout->addWidget(company_notes_);
  layout->addWidget(
      PlainLabel("Notes regarding \"" + ProfileText("Program_Info/Program_Name") + "\":", this));
  product_notes_ = new QPlainTextEdit(this);
  product_notes_->setObjectName("memProductNotes");
  layout->addWidget(product_notes_);

  auto* site_fields = new QFormLayout;
  for (int i = 0; i < 4; ++i) {
    categories_[i] = new QComboBox(this);
    categories_[i]->setObjectName(QString("cbCategory%1").arg(i + 1));
    categories_[i]->setEditable(true);
    categories_[i]->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& c : categories) categories_[i]->addItem(ToQString(c));
    categories_[i]->setCurrentIndex(-1);
    categories_[i]->setEditText("");
    site_fields->addRow(QString("Category %1").arg(i + 1), categories_[i]);
    connect(categories_[i], &QComboBox::editTextChanged, this, &TfrmAllSitesProperties::MarkFields);
  }
  rating_ = new QLineEdit("0", this);
  rating_->setObjectName("edRating");
  rating_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), rating_));
  site_fields->addRow("Rating", rating_);
  layout->addLayout(site_fields);
  disabled_ = new QCheckBox("Disabled", this);
  disabled_->setObjectName("cbDisabled");
  disabled_->setTristate(true);
  disabled_->setCheckState(Qt::PartiallyChecked);
  layout->addWidget(disabled_);
  member_ = new QCheckBox("These sites belong to the \"" + set_name + "\" custom set.", this);
  member_->setObjectName("cbCustomSet");
  member_->setTristate(true);
  member_->setCheckState(Qt::PartiallyChecked);
  member_->setVisible(set != nullptr);
  layout->addWidget(member_);

  auto* buttons = new QDialogButtonBox(this);
  apply_ = buttons->addButton("Apply", QDialogButtonBox::AcceptRole);
  apply_->setObjectName("btnApply");
  buttons->addButton("Cancel", QDialogButtonBox::RejectRole)->setObjectName("btnCancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  for (QLineEdit* e : {version_listed_, version_submitted_, date_submitted_, rating_})
    connect(e, &QLineEdit::textChanged, this, &TfrmAllSitesProperties::MarkFields);
  for (QPlainTextEdit* e : {company_notes_, product_notes_})
    connect(e, &QPlainTextEdit::textChanged, this, &TfrmAllSitesProperties::MarkFields);
  connect(search_flag_, &QComboBox::currentIndexChanged, this, &TfrmAllSitesProperties::MarkFields);
  MarkFields();
  resize(520, sizeHint().height());
}

void TfrmAllSitesProperties::MarkFields() {
  for (QLineEdit* e : {version_listed_, version_submitted_, date_submitted_})
    Mark(e, !e->text().trimmed().isEmpty());
  Mark(rating_, !rating_->text().isEmpty() && rating_->text() != "0");
  for (QPlainTextEdit* e : {company_notes_, product_notes_})
    Mark(e, !e->toPlainText().trimmed().isEmpty());
  Mark(search_flag_, !search_flag_->currentText().isEmpty());
  for (QComboBox* c : categories_) Mark(c, !c->currentText().trimmed().isEmpty());
}

void TfrmAllSitesProperties::ChooseOverride(const std::string& state, const std::string& comment) {
  override_->setText(ToQString(state));
  if (comment.empty()) {
    apply_->setFocus();
    return;
  }
  // The last comment of a state ("Something else ...") asks the user to write the reason: the
  // line comes without a comment and the cursor waits at its end.
  bool own_words = false;
  if (ApplicationDataReady())
    if (const TOptionsList* list = Tables().status.FindSection(state)) {
      std::string last;
      for (const std::string& line : list->Lines())
        if (!line.empty()) last = line;
      own_words = last == comment;
    }
  QString notes = product_notes_->toPlainText();
  if (!notes.isEmpty() && !notes.endsWith('\n')) notes += '\n';
  const QString line = ToMemoText(OverrideNote(own_words ? std::string() : comment, Now()));
  product_notes_->setPlainText(notes + line);
  QTextCursor cursor = product_notes_->textCursor();
  cursor.movePosition(QTextCursor::End);
  if (own_words && line.endsWith('\n')) cursor.movePosition(QTextCursor::Left);
  product_notes_->setTextCursor(cursor);
  product_notes_->setFocus();
}

TSelectedSitesChange TfrmAllSitesProperties::Change() const {
  TSelectedSitesChange change;
  change.version_listed = FromQString(version_listed_->text());
  change.version_submitted = FromQString(version_submitted_->text());
  change.date_submitted = FromQString(date_submitted_->text());
  change.search_flag = FromQString(search_flag_->currentText());
  change.company_notes = FromMemoText(company_notes_->toPlainText());
  change.product_notes = FromMemoText(product_notes_->toPlainText());
  change.status_override = FromQString(override_->text());
  for (int i = 0; i < 4; ++i) change.categories[i] = FromQString(categories_[i]->currentText());
  change.rating = FromQString(rating_->text());
  if (disabled_->checkState() != Qt::PartiallyChecked)
    change.disabled = disabled_->checkState() == Qt::Checked;
  if (!member_->isHidden() && member_->checkState() != Qt::PartiallyChecked)
    change.ticked = member_->checkState() == Qt::Checked;
  return change;
}

std::vector<TWebSite*> SelectedSites(const QItemSelectionModel* selection,
                                     const TSitesModel* model) {
  std::vector<TWebSite*> sites;
  if (!selection || !model) return sites;
  for (const QModelIndex& index : selection->selectedRows())
    if (TWebSite* site = model->SiteAt(index.row())) sites.push_back(site);
  return sites;
}

bool EditSelectedSites(QWidget* parent, const std::vector<TWebSite*>& sites,
                       const std::vector<std::string>& categories, TCustomSet* set,
                       const QString& set_name) {
  if (AlreadyOpen(window_slot)) return false;
  TfrmAllSitesProperties dialog(categories, set, set_name, parent);
  TSingleWindow single(window_slot, &dialog);
  if (dialog.exec() != QDialog::Accepted) return false;
  TProfile* profile = RecordListsReady() ? &ActiveProfile() : nullptr;
  TProfile scratch;
  // A site that could not be saved has had its message from the save.
  ApplySelectedSitesChange(dialog.Change(), sites, profile ? *profile : scratch, set);
  if (profile) profile->StoreBack();
  return true;
}

}  // namespace quillora::app
