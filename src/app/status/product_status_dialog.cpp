#include "app/status/product_status_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "app/status/status_menu.h"
#include "foundation/app_state.h"
#include "foundation/dates.h"
#include "foundation/ui_port.h"
#include "pad/profile.h"
#include "sites/site.h"

namespace quillora::app {

namespace {

// Stored texts break lines with CR LF; the boxes use LF.
QString ToBox(const std::string& text) {
  return ToQString(text).replace("\r\n", "\n");
}
std::string FromBox(const QString& text) {
  QString t = text;
  return FromQString(t.replace("\n", "\r\n"));
}

}  // namespace

TdlgProductStatus::TdlgProductStatus(TWebSite& site, TProfile& profile, bool admin_mode,
                                     QWidget* parent)
    : QDialog(parent), site_(site), profile_(profile) {
  setObjectName("dlgProductStatus");
  setWindowTitle("Product Status");
  loaded_ = ReadProductStatus(profile, site.UIN());
  override_ = loaded_.status_override;

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Site: " + ToQString(site.Name()), this));
  layout->addWidget(
      new QLabel("Product: " + ToQString(profile.GetString("Program_Info/Program_Name")), this));

  auto* form = new QFormLayout;
  version_listed_ = new QLineEdit(ToQString(loaded_.version_listed), this);
  form->addRow("Version Listed:", version_listed_);
  search_flag_ = new QComboBox(this);
  search_flag_->addItems({"", "FOUND", "NOT FOUND", "NOT SUPPORTED", "ERROR"});
  search_flag_->setCurrentText(ToQString(loaded_.search_flag));
  search_flag_->setEnabled(false);
  form->addRow("Search Flag:", search_flag_);
  version_submitted_ = new QLineEdit(ToQString(loaded_.version_submitted), this);
  form->addRow("Version Submitted:", version_submitted_);
  date_submitted_ = new QLineEdit(ToQString(loaded_.date_submitted), this);
  date_submitted_->setEnabled(admin_mode);
  form->addRow("Date Submitted:", date_submitted_);
  override_button_ = new QPushButton(override_.empty() ? "Auto" : ToQString(override_), this);
  override_button_->setObjectName("btnOverride");
  auto* menu = new QMenu(override_button_);
  FillStatusMenu(menu, [this](const std::string& state, const std::string& comment) {
    override_ = state == "Auto" ? std::string() : state;
    override_button_->setText(ToQString(state));
    state_chosen_ = true;
    if (!comment.empty()) {
      QString notes = product_notes_->toPlainText();
      if (!notes.isEmpty() && !notes.endsWith('\n')) notes += '\n';
      product_notes_->setPlainText(notes + ToBox(OverrideNote(comment, Now())));
    }
  });
  override_button_->setMenu(menu);
  form->addRow("Override Status:", override_button_);
  layout->addLayout(form);

  const QString company = ToQString(profile.GetString("Company_Info/Company_Name"));
  const QString product = ToQString(profile.GetString("Program_Info/Program_Name"));
  layout->addWidget(new QLabel("Notes regarding \"" + company + "\":", this));
  company_notes_ = new QPlainTextEdit(ToBox(loaded_.company_notes), this);
  layout->addWidget(company_notes_);
  layout->addWidget(new QLabel("Notes regarding \"" + product + "\":", this));
  product_notes_ = new QPlainTextEdit(ToBox(loaded_.product_notes), this);
  layout->addWidget(product_notes_);

  auto* logins = new QGridLayout;
  logins->addWidget(new QLabel("Company login:", this), 0, 0);
  company_login_ = new QLineEdit(ToQString(loaded_.company_login), this);
  logins->addWidget(company_login_, 0, 1);
  logins->addWidget(new QLabel("Password:", this), 0, 2);
  company_password_ = new QLineEdit(ToQString(loaded_.company_password), this);
  logins->addWidget(company_password_, 0, 3);
  logins->addWidget(new QLabel("Product login:", this), 1, 0);
  product_login_ = new QLineEdit(ToQString(loaded_.product_login), this);
  logins->addWidget(product_login_, 1, 1);
  logins->addWidget(new QLabel("Password:", this), 1, 2);
  product_password_ = new QLineEdit(ToQString(loaded_.product_password), this);
  logins->addWidget(product_password_, 1, 3);
  layout->addLayout(logins);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton("Save", QDialogButtonBox::AcceptRole);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(520, 560);
}

TProductStatusFields TdlgProductStatus::Fields() const {
  TProductStatusFields f = loaded_;
  f.version_listed = FromQString(version_listed_->text());
  f.version_submitted = FromQString(version_submitted_->text());
  f.date_submitted = FromQString(date_submitted_->text());
  f.status_override = override_;
  f.company_notes = FromBox(company_notes_->toPlainText());
  f.product_notes = FromBox(product_notes_->toPlainText());
  f.company_login = FromQString(company_login_->text());
  f.company_password = FromQString(company_password_->text());
  f.product_login = FromQString(product_login_->text());
  f.product_password = FromQString(product_password_->text());
  return f;
}

bool TdlgProductStatus::Modified() const {
  const TProductStatusFields f = Fields();
  return f.version_listed != loaded_.version_listed ||
         f.version_submitted != loaded_.version_submitted ||
         f.date_submitted != loaded_.date_submitted ||
         f.status_override != loaded_.status_override || f.company_notes != loaded_.company_notes ||
         f.product_notes != loaded_.product_notes || f.company_login != loaded_.company_login ||
         f.company_password != loaded_.company_password ||
         f.product_login != loaded_.product_login || f.product_password != loaded_.product_password;
}

bool TdlgProductStatus::Save() {
  WriteProductStatus(profile_, site_.UIN(), Fields(), Now());
  const bool saved = CommitStatusChange(profile_);
  site_.UpdateVersionHandled(profile_.GetString("Program_Info/Program_Version"));
  site_.RefreshSummary();
  if (!saved) ShowError("The product could not be saved");
  return saved;
}

void TdlgProductStatus::accept() {
  Save();
  QDialog::accept();
}

void TdlgProductStatus::reject() {
  if (Modified()) {
    const auto answer =
        QMessageBox::question(this, windowTitle(), "Save changes?",
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return;
    if (answer == QMessageBox::Yes) {
      Save();
      QDialog::accept();
      return;
    }
  }
  QDialog::reject();
}

bool ShowProductStatus(TWebSite& site, TProfile& profile, bool admin_mode, QWidget* parent,
                       bool* resort) {
  TdlgProductStatus dialog(site, profile, admin_mode, parent);
  const bool saved = dialog.exec() == QDialog::Accepted;
  if (resort) {
    const std::string sort = Settings().GetString("Sites List Sort");
    *resort = saved && dialog.StateChosen() && (sort == "7" || sort == "-7");
  }
  return saved;
}

}  // namespace quillora::app
