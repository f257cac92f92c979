// The Submitter page: the embedded browser that opens each site's pages, the site queue and the
// site's messages and notes, the status panel, automatic and requested form filling, and the
// recording of a submission when the user sends a site's submit form.
#pragma once

#include <QWidget>
#include <string>

#include "app/browser/submission_report.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QTabWidget;
class QToolBar;

namespace quillora {
class TWebSite;
}

namespace quillora::app {

class TWebBrowser;

class TfraSubmitter : public QWidget {
  Q_OBJECT
 public:
  explicit TfraSubmitter(QWidget* parent = nullptr);
  ~TfraSubmitter() override;

  // After the records are loaded: the queue, the browser options and the start page.
  void Initialize();
  TWebBrowser* Browser() const { return browser_; }
  TWebSite* CurrentSite() const;
  // "Home", "Search", "Submit" or "Update".
  void OpenSite(TWebSite* site, const std::string& page);
  void OpenPage(const std::string& page);
  // A link followed in the Sites page's panels: the site becomes current and the browser goes
  // straight to that address.
  void OpenSiteAtAddress(TWebSite* site, const QString& url);
  void NextSite();
  void SetForward(bool forward) { forward_ = forward; }
  // Fills the page: only the site's known forms, or every form.
  void FillAll(bool only_known = false);
  void FillThis();
  void RebuildQueue();
  // "Show Side Panel" (F3).
  void ToggleSidePanel();
  // Runs one of the page's commands by its action name ("actSetVersionListed", ...) when it is
  // enabled.
  void Run(const char* action);
  int Processed() const { return processed_; }

 signals:
  // After a fill was written back into the page: how many forms it ran on, and the page.
  void filled(int forms, const QString& url);
  // A submission of the current site's submit form was recognised and recorded.
  void submissionRecorded(const QString& uin);

 private:
  QAction* AddAction(QToolBar* bar, const char* name, const QString& text, bool enabled);
  void BuildActions(QToolBar* bar);
  void RefreshStatusPanel();
  void RefreshActions();
  void SaveNotes();
  void ShowMessages(const std::string& page);
  void PageFinished(bool ok);
  void FormSubmitted(const TSubmissionReport& report, const QUrl& target);

  TWebBrowser* browser_ = nullptr;
  QLineEdit* address_ = nullptr;
  QLabel* listed_ = nullptr;
  QLabel* submitted_ = nullptr;
  QComboBox* override_ = nullptr;
  QTabWidget* side_ = nullptr;
  QListWidget* queue_ = nullptr;
  QPlainTextEdit* messages_ = nullptr;
  QPlainTextEdit* notes_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  std::string site_uin_;  // the current site; looked up again on every use
  bool forward_ = true;
  bool page_filled_ = false;
  int back_counter_ = 0;
  int processed_ = 0;
  bool updating_panel_ = false;
};

}  // namespace quillora::app
