// The embedded browser: a QtWebEngine view with navigation by method, body and headers, the
// per-site script and image switches, the new-window rule of a site, document writing, and the
// program's own scripts (snapshot, apply, submit hook) kept in the application's script world.
// Nothing of the program is exposed to the page's scripts.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/browser/submission_report.h"
#include "net/browser_session.h"

class QWebEngineView;

namespace quillora::app {

class TBrowserPage : public QWebEnginePage {
  Q_OBJECT
 public:
  explicit TBrowserPage(QObject* parent = nullptr);
  // 0: the browser's own new window; 1: the new page opens in this one; 2 and more: refused.
  void SetNewWindowMode(int mode) { new_window_mode_ = mode; }
  const QString& Token() const { return token_; }
  // How many console messages carried a report prefix without this page's token, or were
  // malformed: forgeries the page tried.
  int RefusedReports() const { return refused_reports_; }
  // The next form submission is still reported, but its navigation does not happen (capturing
  // a site's search request).
  void CancelNextFormNavigation(bool cancel = true) { cancel_next_form_ = cancel; }

 signals:
  // Raised for every navigation before it starts; main_frame tells the top level apart.
  void navigationRequested(const QUrl& url, QWebEnginePage::NavigationType type, bool main_frame);
  // A form submission paired with its navigation: raised before the page leaves.
  void formSubmitted(const quillora::app::TSubmissionReport& report, const QUrl& target);

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool main_frame) override;
  QWebEnginePage* createWindow(WebWindowType type) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int line, const QString& source) override;

 private:
  bool cancel_next_form_ = false;
  struct TPendingReport {
    TSubmissionReport report;
    QString text;
    QElapsedTimer age;
  };
  struct TPendingNavigation {
    QUrl url;
    QElapsedTimer age;
  };
  void Expire();
  QString token_;
  int new_window_mode_ = 0;
  int refused_reports_ = 0;
  std::vector<TPendingReport> reports_;
  std::vector<TPendingNavigation> navigations_;
  QPointer<QWebEnginePage> popup_;
};

class TWebBrowser : public QWidget {
  Q_OBJECT
 public:
  explicit TWebBrowser(QWidget* parent = nullptr);
  ~TWebBrowser() override;

  QWebEngineView* View() const { return view_; }
  TBrowserPage* Page() const { return page_; }
  QUrl LocationURL() const;

  // Requests the page with exactly that method, body and headers.
  void Navigate(const TBrowserRequest& request);
  void Navigate(const QUrl& url);
  void Stop();
  void GoBack();
  void Refresh();
  // Effective from the next load.
  void SetScriptsEnabled(bool enabled);
  void SetImagesEnabled(bool enabled);
  void SetNewWindowMode(int mode) { page_->SetNewWindowMode(mode); }
  // The text becomes the shown document, relative addresses resolved against base.
  void WriteDocument(const QString& html, const QUrl& base);
  bool Loading() const { return loading_; }

  // The page's forms as snapshot JSON (empty on failure), and the write-back of changes.
  void Snapshot(std::function<void(const QByteArray&)> done);
  void Apply(const QString& changes_json, std::function<void(bool)> done);

 signals:
  void loadStarted();
  void loadProgress(int percent);
  void loadFinished(bool ok);
  void urlChanged(const QUrl& url);
  void statusTextChanged(const QString& text);

 private:
  QWebEngineView* view_ = nullptr;
  TBrowserPage* page_ = nullptr;
  bool loading_ = false;
};

}  // namespace quillora::app
