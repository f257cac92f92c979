// The Submitter page: the embedded browser that opens each site's pages, the site queue and the
// site's messages and notes, the status panel, automatic and requested form filling, and the
// recording of a submission when the user sends a site's submit form.
#pragma once

#include <QWidget>
#include <functional>
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
class TDomForm;
class TWebSite;
class TWebForm;
}  // namespace quillora

namespace quillora::app {

class TBrowserDocument;
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
  // Opens the site on the page Next would: Submit or Update with "Open site for submit", else
  // Search (Home when it has no search address).
  void OpenSiteForWork(TWebSite* site);
  void SetForward(bool forward) { forward_ = forward; }
  // Fills the page: only the site's known forms, or every form.
  void FillAll(bool only_known = false);
  void FillThis();
  // "Save Tml": stores the focused form, with the rules learnt from the sample profile.
  void SaveTemplate();
  // Runs work on a snapshot of the page with the form holding the cursor, while the page still
  // shows the same site; "Please, put the cursor into a form first" when no form has it.
  void WithFocusedForm(
      std::function<void(TWebSite* site, TBrowserDocument& document, TDomForm* form)> work);
  // "Edit Tml": the form editor on the stored form of the form holding the cursor.
  void EditTemplate();
  // "Capture": the focused form's request becomes the site's search entry point.
  void CaptureSearch();
  void RebuildQueue();
  // "Show Side Panel" (F3).
  void ToggleSidePanel();
  // Runs one of the page's commands by its action name ("actSetVersionListed", ...) when it is
  // enabled.
  void Run(const char* action);
  int Processed() const { return processed_; }
  // Tells whether another Submitter page shows a site: Next passes over those.
  void SetShownElsewhere(std::function<bool(const TWebSite&)> shown) {
    shown_elsewhere_ = std::move(shown);
  }

 signals:
  // After a fill was written back into the page: how many forms it ran on, and the page.
  void filled(int forms, const QString& url);
  // A submission of the current site's submit form was recognised and recorded.
  void submissionRecorded(const QString& uin);
  // The site editor saved the current site.
  void siteChanged(const QString& uin);

 private:
  QAction* AddAction(QToolBar* bar, const char* name, const QString& text, bool enabled);
  void BuildActions(QToolBar* bar);
  void BuildMoreMenu(QToolBar* bar);
  void RefreshStatusPanel();
  // "Processed n of m sites" and the submission gauge.
  void RefreshCounters();
  void RefreshActions();
  void SaveNotes();
  void ShowMessages(const std::string& page);
  void PageFinished(bool ok);
  void FormSubmitted(const TSubmissionReport& report, const QUrl& target);
  void CapturedSearch(const TSubmissionReport& report, const QUrl& target);
  // A recognised submit form was sent: the submission is recorded.
  void RecordSubmittedForm(TWebSite& site, const TWebForm& form, const TSubmissionReport& report);
  // A login typed into a recognised form that differs from the stored one: offers to keep it.
  void KeepTypedLogin(TWebSite& site, const TWebForm& form, const TSubmissionReport& report);

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
  QLabel* processed_label_ = nullptr;
  QProgressBar* gauge_ = nullptr;
  std::string site_uin_;  // the current site; looked up again on every use
  bool forward_ = true;
  bool page_filled_ = false;
  int back_counter_ = 0;
  int processed_ = 0;
  bool updating_panel_ = false;
  bool capturing_ = false;
  std::function<bool(const TWebSite&)>
      shown_elsewhere_;  // the next form submission is a captured search request
};

}  // namespace quillora::app
