// The bug report dialog ("Bug report"): a problem with one site of the database, sent to the
// site repository for the site's contributor, over the core's bug report.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "net/bug_report.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quillora::app {

class TdlgBugReport : public QDialog {
  Q_OBJECT
 public:
  TdlgBugReport(TWebSite* site, const std::string& url, QWidget* parent = nullptr);
  ~TdlgBugReport() override;

  TBugReport& Report() { return *report_; }
  QComboBox* Kind() const { return kind_; }
  QPlainTextEdit* Description() const { return description_; }
  QLineEdit* SenderName() const { return sender_name_; }
  QLineEdit* SenderEmail() const { return sender_email_; }
  QCheckBox* Remember() const { return remember_; }
  QPushButton* SendButton() const { return send_; }

  // "Send": the fields into the report, which is posted; the dialog closes when it was taken.
  void Send();

 private:
  void KindPicked(int index);
  void ToReport();
  void AddVariablesMenu(QWidget* edit);

  std::unique_ptr<TBugReport> report_;
  QLineEdit* url_;
  QLineEdit* site_name_;
  QLineEdit* contributor_;
  QLabel* last_bug_;
  QComboBox* kind_;
  QPlainTextEdit* description_;
  QLineEdit* sender_name_;
  QLineEdit* sender_email_;
  QCheckBox* remember_;
  QPushButton* send_;
  bool loading_ = true;
};

// "Bug!" for a site (the site's submit address, else its home address, as the URL).
void RunBugReport(QWidget* parent, TWebSite* site);
// The same from a page showing an address.
void RunBugReportAt(QWidget* parent, TWebSite* site, const std::string& url);

}  // namespace quillora::app
