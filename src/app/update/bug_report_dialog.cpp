#include "app/update/bug_report_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "app/update/transfer_dialog.h"
#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/site.h"

namespace quillora::app {

namespace {

QPointer<TdlgBugReport> shown_report;

QLineEdit* Edit(QWidget* parent, const char* name, const std::string& text) {
  auto* edit = new QLineEdit(ToQString(text), parent);
  edit->setObjectName(name);
  return edit;
}

}  // namespace

TdlgBugReport::TdlgBugReport(TWebSite* site, const std::string& url, QWidget* parent)
    : QDialog(parent) {
  setObjectName("dlgBugReport");
  setWindowTitle("Bug report");
  const TOptionsList* values = ActiveProfileValues();
  report_ = std::make_unique<TBugReport>(site, url, values ? *values : TOptionsList(), false);
  TBugReport& r = *report_;

  url_ = Edit(this, "edURL", r.url);
  site_name_ = Edit(this, "edSiteName", r.site_name);
  site_name_->setReadOnly(!r.SiteFieldsEditable());
  contributor_ = Edit(this, "edContributor", r.contributor);
  contributor_->setReadOnly(!r.SiteFieldsEditable());
  last_bug_ = new QLabel(ToQString(r.LastBugReported()), this);
  last_bug_->setObjectName("lblLastBug");
  last_bug_->setVisible(!r.LastBugReported().empty());
  kind_ = new QComboBox(this);
  kind_->setObjectName("cbKind");
  for (const TBugKind& k : BugKinds()) kind_->addItem(ToQString(k.text));
  kind_->setCurrentIndex(r.kind);
  description_ = new QPlainTextEdit(this);
  description_->setObjectName("memDescription");
  sender_name_ = Edit(this, "edSenderName", r.sender_name);
  sender_email_ = Edit(this, "edSenderEmail", r.sender_email);
  remember_ = new QCheckBox("Remember sender info in the registry", this);
  remember_->setObjectName("cbRemember");
  remember_->setChecked(r.Remember());
  auto* note = new QPlainTextEdit(this);
  note->setObjectName("memNote");
  note->setReadOnly(true);
  note->setPlainText(
      "This report goes to the contributor of the site: a volunteer who looks after its form "
      "templates. Please describe the problem so that it can be reproduced.");
  note->setMaximumHeight(60);

  auto* form = new QFormLayout;
  form->addRow("URL", url_);
  form->addRow("Site name", site_name_);
  form->addRow("Contributor:", contributor_);
  form->addRow(last_bug_);
  form->addRow(new QLabel("Please, select a kind of the bug:", this));
  form->addRow(kind_);
  form->addRow(new QLabel("Please, describe the problem below ( optional ):", this));
  form->addRow(description_);
  form->addRow("Sender:", sender_name_);
  form->addRow("e-mail:", sender_email_);
  form->addRow(remember_);
  auto* buttons = new QDialogButtonBox(this);
  send_ = buttons->addButton("Send", QDialogButtonBox::AcceptRole);
  send_->setObjectName("btnSend");
  auto* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("btnCancel");
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form, 1);
  layout->addWidget(note);
  layout->addWidget(buttons);
  resize(520, 560);

  for (QWidget* w : {static_cast<QWidget*>(url_), static_cast<QWidget*>(site_name_),
                     static_cast<QWidget*>(contributor_), static_cast<QWidget*>(description_),
                     static_cast<QWidget*>(sender_name_), static_cast<QWidget*>(sender_email_)})
    AddVariablesMenu(w);
  connect(kind_, &QComboBox::activated, this, [this](int index) { KindPicked(index); });
  connect(remember_, &QCheckBox::toggled, this, [this](bool on) {
    ToReport();
    report_->SetRemember(on);
    sender_name_->setText(ToQString(report_->sender_name));
    sender_email_->setText(ToQString(report_->sender_email));
  });
  connect(send_, &QPushButton::clicked, this, [this] { Send(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  if (r.FocusOnSiteName())
    site_name_->setFocus();
  else
    kind_->setFocus();
  loading_ = false;
}

TdlgBugReport::~TdlgBugReport() = default;

void TdlgBugReport::KindPicked(int index) {
  if (loading_) return;
  ToReport();
  const std::vector<std::string> choices = report_->SelectKind(index);
  if (choices.empty()) return;
  QStringList items;
  for (const auto& c : choices) items << ToQString(c);
  QInputDialog dialog(this);
  dialog.setObjectName("dlgChoice");
  dialog.setWindowTitle(kBugChoiceTitle);
  dialog.setLabelText(ToQString(BugKinds()[static_cast<size_t>(index)].text));
  dialog.setComboBoxItems(items);
  dialog.setComboBoxEditable(false);
  if (dialog.exec() != QDialog::Accepted) return;
  report_->AppendChoice(FromQString(dialog.textValue()));
  description_->setPlainText(ToMemoText(report_->description));
}

void TdlgBugReport::ToReport() {
  TBugReport& r = *report_;
  r.url = FromQString(url_->text());
  r.site_name = FromQString(site_name_->text());
  r.contributor = FromQString(contributor_->text());
  r.kind = kind_->currentIndex();
  r.description = FromMemoText(description_->toPlainText());
  r.sender_name = FromQString(sender_name_->text());
  r.sender_email = FromQString(sender_email_->text());
}

void TdlgBugReport::Send() {
  ToReport();
  report_->SetRemember(remember_->isChecked());
  // SetRemember(false) puts the contact back: the typed sender stays what was sent.
  report_->sender_name = FromQString(sender_name_->text());
  report_->sender_email = FromQString(sender_email_->text());
  TfrmDownload window(this);
  if (report_->Send(&window.Model())) accept();
}

void TdlgBugReport::AddVariablesMenu(QWidget* edit) {
  edit->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(edit, &QWidget::customContextMenuRequested, this, [this, edit](const QPoint& at) {
    QMenu menu(this);
    menu.setObjectName("pmVariables");
    const TOptionsList* values = ActiveProfileValues();
    auto* line = qobject_cast<QLineEdit*>(edit);
    auto* memo = qobject_cast<QPlainTextEdit*>(edit);
    if (values) {
      QMenu* vars = menu.addMenu("Variables");
      for (int i = 0; i < values->Count(); ++i) {
        const QString value = ToQString(values->GetValueAt(i));
        vars->addAction(ToQString(values->NameAt(i)), this, [line, memo, value] {
          if (line && !line->isReadOnly()) line->insert(value);
          if (memo) memo->insertPlainText(value);
        });
      }
      menu.addSeparator();
    }
    if (line) {
      menu.addAction("Cut", line, &QLineEdit::cut);
      menu.addAction("Copy", line, &QLineEdit::copy);
      menu.addAction("Paste", line, &QLineEdit::paste);
      menu.addAction("Delete", line, &QLineEdit::del);
    } else if (memo) {
      menu.addAction("Cut", memo, &QPlainTextEdit::cut);
      menu.addAction("Copy", memo, &QPlainTextEdit::copy);
      menu.addAction("Paste", memo, &QPlainTextEdit::paste);
      menu.addAction("Delete", memo, [memo] { memo->textCursor().removeSelectedText(); });
    }
    menu.exec(edit->mapToGlobal(at));
  });
}

void RunBugReportAt(QWidget* parent, TWebSite* site, const std::string& url) {
  if (shown_report) {
    shown_report->raise();
    shown_report->activateWindow();
    return;
  }
  TdlgBugReport dialog(site, url, parent);
  shown_report = &dialog;
  dialog.exec();
}

void RunBugReport(QWidget* parent, TWebSite* site) {
  std::string url;
  if (site) {
    url = site->Info.URLs.Record("Submit").Address();
    if (url.empty()) url = site->Info.URLs.Record("Home").Address();
  }
  RunBugReportAt(parent, site, url);
}

}  // namespace quillora::app
