#include "app/browser/web_browser.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QVBoxLayout>
#include <QWebEngineHttpRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <utility>

#include "app/browser/page_scripts.h"

namespace quillora::app {

namespace {

// Reports and navigations wait this long for their partner; Chromium does not promise which
// of the two comes first.
constexpr qint64 kPairingMs = 10000;

QString NewToken() {
  QString token = "qlr-";
  for (int i = 0; i < 4; ++i)
    token += QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, '0');
  return token + ":";
}

QString WithoutQuery(const QUrl& url) {
  return url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment).toString();
}

}  // namespace

TBrowserPage::TBrowserPage(QObject* parent) : QWebEnginePage(parent), token_(NewToken()) {
  QWebEngineScript hook;
  hook.setName("quillora-submit-hook");
  hook.setSourceCode(SubmitHookScript(token_));
  hook.setInjectionPoint(QWebEngineScript::DocumentCreation);
  hook.setWorldId(QWebEngineScript::ApplicationWorld);
  hook.setRunsOnSubFrames(true);
  scripts().insert(hook);
}

void TBrowserPage::Expire() {
  std::erase_if(reports_, [](const TPendingReport& r) { return r.age.elapsed() > kPairingMs; });
  std::erase_if(navigations_,
                [](const TPendingNavigation& n) { return n.age.elapsed() > kPairingMs; });
}

bool TBrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool main_frame) {
  emit navigationRequested(url, type, main_frame);
  if (type != NavigationTypeFormSubmitted) return true;
  const bool go = !std::exchange(cancel_next_form_, false);
  Expire();
  const QString base = WithoutQuery(url);
  for (auto it = reports_.begin(); it != reports_.end(); ++it) {
    if (WithoutQuery(QUrl(it->report.action)) != base) continue;
    const TSubmissionReport report = it->report;
    const QString text = it->text;
    // The submit event comes twice for one submission: both copies are used up here.
    std::erase_if(reports_, [&](const TPendingReport& r) { return r.text == text; });
    emit formSubmitted(report, url);
    return go;
  }
  navigations_.push_back({url, {}});
  navigations_.back().age.start();
  return go;
}

void TBrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message,
                                            int, const QString&) {
  if (!message.startsWith("qlr-")) return;
  std::optional<TSubmissionReport> report = ParseSubmissionReport(message, token_);
  if (!report) {
    ++refused_reports_;
    return;
  }
  Expire();
  for (const TPendingReport& r : reports_)
    if (r.text == message) return;
  const QString base = WithoutQuery(QUrl(report->action));
  for (auto it = navigations_.begin(); it != navigations_.end(); ++it) {
    if (WithoutQuery(it->url) != base) continue;
    const QUrl target = it->url;
    navigations_.erase(it);
    // Keep the text so that the second copy of the event is recognised and dropped.
    reports_.push_back({*report, message, {}});
    reports_.back().age.start();
    reports_.back().report.action.clear();
    emit formSubmitted(*report, target);
    return;
  }
  reports_.push_back({std::move(*report), message, {}});
  reports_.back().age.start();
}

QWebEnginePage* TBrowserPage::createWindow(WebWindowType) {
  // With Shift or Ctrl held the user asked for a new window himself.
  const Qt::KeyboardModifiers mods = QApplication::keyboardModifiers();
  const bool user_choice = mods & (Qt::ShiftModifier | Qt::ControlModifier);
  if (!user_choice && new_window_mode_ >= 2) return nullptr;
  if (!user_choice && new_window_mode_ == 1) return this;
  // A window of its own, but owned by our view: every page must be gone before the browser's
  // profile is, also when the user never closed the window.
  auto* window = new QWebEngineView(qobject_cast<QWidget*>(parent()));
  window->setWindowFlag(Qt::Window);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->resize(800, 600);
  window->show();
  return window->page();
}

TWebBrowser::TWebBrowser(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  view_ = new QWebEngineView(this);
  view_->setObjectName("Display");
  page_ = new TBrowserPage(view_);
  view_->setPage(page_);
  layout->addWidget(view_);
  connect(page_, &QWebEnginePage::loadStarted, this, [this] {
    loading_ = true;
    emit loadStarted();
  });
  connect(page_, &QWebEnginePage::loadProgress, this, &TWebBrowser::loadProgress);
  connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
    loading_ = false;
    emit loadFinished(ok);
  });
  connect(page_, &QWebEnginePage::urlChanged, this, &TWebBrowser::urlChanged);
  connect(page_, &QWebEnginePage::linkHovered, this, &TWebBrowser::statusTextChanged);
}

TWebBrowser::~TWebBrowser() {
  // The page goes before its view and profile.
  delete view_;
}

QUrl TWebBrowser::LocationURL() const {
  return page_->url();
}

void TWebBrowser::Navigate(const TBrowserRequest& request) {
  QWebEngineHttpRequest r(QUrl(QString::fromStdString(request.url)));
  if (request.method == "POST") {
    r.setMethod(QWebEngineHttpRequest::Post);
    r.setPostData(QByteArray::fromStdString(request.body));
    r.setHeader("Content-Type", request.content_type.empty()
                                    ? QByteArray("application/x-www-form-urlencoded")
                                    : QByteArray::fromStdString(request.content_type));
  }
  for (const std::string& line : request.headers) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    QByteArray name = QByteArray::fromStdString(line.substr(0, colon)).trimmed();
    QByteArray value = QByteArray::fromStdString(line.substr(colon + 1)).trimmed();
    if (!name.isEmpty()) r.setHeader(name, value);
  }
  page_->triggerAction(QWebEnginePage::Stop);
  page_->load(r);
}

void TWebBrowser::Navigate(const QUrl& url) {
  page_->triggerAction(QWebEnginePage::Stop);
  page_->load(url);
}

void TWebBrowser::Stop() {
  page_->triggerAction(QWebEnginePage::Stop);
}

void TWebBrowser::GoBack() {
  page_->triggerAction(QWebEnginePage::Back);
}

void TWebBrowser::Refresh() {
  page_->triggerAction(QWebEnginePage::Reload);
}

void TWebBrowser::SetScriptsEnabled(bool enabled) {
  page_->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, enabled);
}

void TWebBrowser::SetImagesEnabled(bool enabled) {
  page_->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, enabled);
}

void TWebBrowser::WriteDocument(const QString& html, const QUrl& base) {
  page_->setHtml(html, base);
}

void TWebBrowser::Snapshot(std::function<void(const QByteArray&)> done) {
  page_->runJavaScript(
      SnapshotScript(), QWebEngineScript::ApplicationWorld,
      [done = std::move(done)](const QVariant& result) {
        done(result.typeId() == QMetaType::QString ? result.toString().toUtf8() : QByteArray());
      });
}

void TWebBrowser::Apply(const QString& changes_json, std::function<void(bool)> done) {
  page_->runJavaScript(ApplyScript(changes_json), QWebEngineScript::ApplicationWorld,
                       [done = std::move(done)](const QVariant& result) {
                         done(result.toString().contains("\"applied\""));
                       });
}

}  // namespace quillora::app
