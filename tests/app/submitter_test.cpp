// The Submitter page and its browser against the demo sites server: a known and an unknown form
// filled and sent, the submission recorded for the product, and a page that forges submission
// reports and looks for a way into the program.
#include <QAbstractButton>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEngineView>
#include <QtTest>
#include <regex>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/browser/web_browser.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/qt_user_interface.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "app/submitter/submitter_page.h"
#include "dialog_script.h"
#include "foundation/app_state.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "sites/sites_state.h"
#include "submit/status_records.h"
#include "support/server_process.h"
#include "support/test_context.h"

extern char** environ;

using namespace quillora;
using namespace quillora::app;

namespace {

// The demo sites server on an ephemeral port, stopped when the object goes.
struct TDemoServer : quillora::test::TServerProcess {
  TDemoServer() : TServerProcess(QUILLORA_DEMO_SITES_PATH), port(Port()) {}
  int port;
};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The shipped demo sites point at port 8765; the test's server listens elsewhere.
void PointSitesAt(int port) {
  const std::string to = ".localhost:" + std::to_string(port);
  for (int i = 0; i < SiteList().Count(); ++i) {
    TWebSite* site = SiteList().SiteAt(i);
    for (const char* page : {"Home", "Search", "Submit", "Update"}) {
      TURLInfo& record = site->Info.URLs.Record(page);
      record.SetAddress(Replaced(record.Address(), ".localhost:8765", to));
    }
    for (int k = 0; k < site->Forms().Count(); ++k) {
      TWebForm* form = site->Forms().FormAt(k);
      form->URL = Replaced(form->URL, ".localhost:8765", to);
      form->Action = Replaced(form->Action, ".localhost:8765", to);
    }
  }
}

// The desktop program started and shown on a copy of the shipped data, its sites pointed at a
// demo sites server of its own.
struct TDemoDesktop {
  TDemoServer server;
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session{ui};
  bool started = server.port > 0 && session.Start(data.Options());
  TDemoDesktop() {
    if (!started) return;
    session.Show();
    PointSitesAt(server.port);
  }
  bool Ready() const { return started; }
};

// The visible text of the page and of its frames.
QString PageText(TWebBrowser* browser) {
  QString text;
  bool done = false;
  browser->Page()->runJavaScript(
      "(function () { let t = document.body.innerText;"
      " for (const f of document.querySelectorAll('iframe'))"
      "   try { t += '\\n' + f.contentDocument.body.innerText; } catch (e) {}"
      " return t; })()",
      [&](const QVariant& v) {
        text = v.toString();
        done = true;
      });
  if (!QTest::qWaitFor([&] { return done; }, 10000)) return {};
  return text;
}

}  // namespace

class SubmitterTest : public QObject {
  Q_OBJECT
 public:
  static void initMain() {
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  }

 private slots:
  void KnownAndUnknownFormsAreFilledAndSubmitted();
  void ForgedReportsAndProgramCallsAreRefused();
  void MailSiteRecordsOnlyWhenTheLetterIsHandedOver();
  void SaveTmlStoresTheFocusedFormWithLearntRules();
  void CaptureMakesTheSearchEntryPointAndStaysOnThePage();
};

void SubmitterTest::KnownAndUnknownFormsAreFilledAndSubmitted() {
  TDemoDesktop desktop;
  QVERIFY(desktop.Ready());
  TfraSubmitter* page = desktop.session.MainWindow()->Submitter();
  TWebBrowser* browser = page->Browser();
  const std::string version = ActiveProfile().GetString("Program_Info/Program_Version");

  // Fresh Downloads has a stored submit form; Tool Finder's form, in a frame, is known to no
  // stored record and is filled by guessing.
  struct Case {
    const char* name;
    bool known;
    const char* accepted_text;
  };
  for (const Case& c :
       {Case{"Fresh Downloads", true, "Thank you!"}, Case{"Tool Finder", false, "Thanks."}}) {
    TWebSite* site = nullptr;
    for (int i = 0; i < SiteList().Count(); ++i)
      if (SiteList().SiteAt(i)->Name() == c.name) site = SiteList().SiteAt(i);
    QVERIFY2(site, c.name);
    QSignalSpy filled(page, &TfraSubmitter::filled);
    page->OpenSite(site, "Submit");
    // Auto-fill runs on every completed page, and fills only the forms the site knows.
    const QString submit_page = ToQString(site->Info.URLs.Submit().Address());
    auto filled_on_page = [&] {
      return filled.wait(20000) && filled.last().at(1).toString() == submit_page;
    };
    while (!filled_on_page()) QVERIFY(filled.count() < 10);
    QCOMPARE(filled.last().at(0).toInt(), c.known ? 1 : 0);
    if (!c.known) {
      page->FillAll(false);
      QVERIFY(filled_on_page());
      QVERIFY(filled.last().at(0).toInt() >= 1);
    }
    QSignalSpy recorded(page, &TfraSubmitter::submissionRecorded);
    // The user sends the form (the last form of the page or of its frame).
    browser->Page()->runJavaScript(
        "(function () { let d = document; const fr = d.querySelector('iframe');"
        " if (!d.forms.length && fr) d = fr.contentDocument;"
        " [...d.forms].pop().requestSubmit(); return 1; })()");
    QString reply;
    QTRY_VERIFY2_WITH_TIMEOUT((reply = PageText(browser)).contains(c.accepted_text),
                              qPrintable(reply), 20000);
    const TProductStatusFields status = ReadProductStatus(ActiveProfile(), site->UIN());
    if (c.known) {
      QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), 1, 5000);
      QCOMPARE(status.version_submitted, version);
      QVERIFY(!status.date_submitted.empty());
    } else {
      // A form the site has no template for is filled, but nothing knows it was a submission.
      QCOMPARE(recorded.count(), 0);
      QVERIFY(status.version_submitted.empty());
    }
  }
}

void SubmitterTest::ForgedReportsAndProgramCallsAreRefused() {
  TDemoServer server;
  QVERIFY(server.port > 0);
  TWebBrowser browser;
  browser.resize(400, 300);
  QSignalSpy submitted(browser.Page(), &TBrowserPage::formSubmitted);
  QSignalSpy loaded(&browser, &TWebBrowser::loadFinished);
  const QString base = QString("http://forge.localhost:%1/").arg(server.port);
  // The page guesses at our report prefix, forges reports with a made-up token and one copied
  // from the console shape, and looks for any object of the program before it submits a form
  // of its own to the same address the forgeries named.
  browser.WriteDocument(QString(R"(<html><body>
<form id=f method=get action="%1target"><input name=q value=real></form>
<script>
const fake = JSON.stringify({a: '%1target', m: 'get', e: '', u: location.href,
                             p: [['q', 'forged']], l: {}});
console.log('qlr-00000000000000000000000000000000:' + fake);
console.log('qlr-' + fake);
console.log('qlr-deadbeef:' + 'x'.repeat(100));
const reach = [typeof qt, typeof window.qt, typeof QWebChannel, typeof window.quillora].join(',');
document.title = reach;
</script></body></html>)")
                            .arg(base),
                        QUrl(base));
  QVERIFY(loaded.wait(20000));
  QCOMPARE(browser.Page()->title(), QString("undefined,undefined,undefined,undefined"));
  QTRY_VERIFY_WITH_TIMEOUT(browser.Page()->RefusedReports() >= 3, 5000);
  loaded.clear();
  browser.Page()->runJavaScript("document.getElementById('f').requestSubmit()");
  QVERIFY(loaded.wait(20000));
  // Only the real submission arrived, with what the form really posted.
  QCOMPARE(submitted.count(), 1);
  const auto report = submitted.first().at(0).value<TSubmissionReport>();
  QCOMPARE(int(report.pairs.size()), 1);
  QCOMPARE(report.pairs[0].second, QString("real"));
}

// The e-mail-only demo site: the letter goes to the mail client (a stand-in that fails, then
// one that takes it); only a letter handed over records the submission.
void SubmitterTest::MailSiteRecordsOnlyWhenTheLetterIsHandedOver() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  session.Show();
  Settings().SetBool("Use MAPI", true);
  TfraSubmitter* page = session.MainWindow()->Submitter();
  TWebSite* site = SiteList().FindByUIN("SITE-DEMO-10");
  QVERIFY(site);
  // Message boxes are closed as soon as they show, as a user would dismiss them.
  QStringList shown;
  QTimer closer;
  connect(&closer, &QTimer::timeout, [&] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      if (auto* box = qobject_cast<QMessageBox*>(w)) shown << box->text();
      w->close();
    }
  });
  closer.start(20);
  QSignalSpy recorded(page, &TfraSubmitter::submissionRecorded);
  const std::string version = ActiveProfile().GetString("Program_Info/Program_Version");

  qputenv("QUILLORA_MAIL_CLIENT", "false");
  page->OpenSite(site, "Submit");
  QCOMPARE(recorded.count(), 0);
  QVERIFY(ReadProductStatus(ActiveProfile(), site->UIN()).version_submitted.empty());
  QVERIFY2(shown.size() >= 2, qPrintable(shown.join("|")));  // the site's message, the failure
  QVERIFY(shown.first().contains("submit@mailsubmit.localhost"));

  qputenv("QUILLORA_MAIL_CLIENT", "true");
  page->OpenSite(site, "Submit");
  QCOMPARE(recorded.count(), 1);
  QCOMPARE(ReadProductStatus(ActiveProfile(), site->UIN()).version_submitted, version);
  qunsetenv("QUILLORA_MAIL_CLIENT");
}

// "Save Tml" on a form no template knows: filled from the sample profile, focused, saved in the
// form editor and stored with the site, its rules learnt back from the values in it.
void SubmitterTest::SaveTmlStoresTheFocusedFormWithLearntRules() {
  TDemoDesktop desktop;
  QVERIFY(desktop.Ready());
  TfraSubmitter* page = desktop.session.MainWindow()->Submitter();
  TWebSite* site = SiteList().FindByUIN("SITE-DEMO-04");  // Download Zone: no stored form
  QVERIFY(site);
  QCOMPARE(site->Forms().Count(), 0);
  QSignalSpy filled(page, &TfraSubmitter::filled);
  page->OpenSite(site, "Submit");
  const QString submit_page = ToQString(site->Info.URLs.Submit().Address());
  auto filled_on_page = [&] {
    return filled.wait(20000) && filled.last().at(1).toString() == submit_page;
  };
  while (!filled_on_page()) QVERIFY(filled.count() < 10);
  page->FillAll(false);
  QVERIFY(filled_on_page());
  bool focused = false;
  page->Browser()->Page()->runJavaScript(
      "document.querySelector('form input[type=text], form textarea').focus(); 1",
      [&](const QVariant&) { focused = true; });
  QTRY_VERIFY_WITH_TIMEOUT(focused, 10000);

  // Yes to any question (hidden fields), then Save in the form editor.
  std::function<void(QWidget*)> answer = [&](QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      quillora::test::AnswerNextDialog(answer);
      box->button(QMessageBox::Yes)->click();
    } else if (auto* dialog = qobject_cast<QDialog*>(w)) {
      dialog->accept();
    }
  };
  quillora::test::AnswerNextDialog(answer);
  page->SaveTemplate();
  QTRY_COMPARE_WITH_TIMEOUT(site->Forms().Count(), 1, 15000);
  const TWebForm* stored = site->Forms().FormAt(0);
  QCOMPARE(int(stored->Purpose), int(fpSubmit));
  QVERIFY(!stored->Fingerprint.empty());
  bool learnt = false;
  for (int i = 0; i < stored->FieldCount(); ++i)
    learnt = learnt || stored->FieldAt(i).FillWith().find("Program_Name") != std::string::npos;
  QVERIFY(learnt);
  // The site file has it too.
  TWebSite reread;
  QCOMPARE(int(reread.LoadSiteFile(site->FileName)), int(slLoaded));
  QCOMPARE(reread.Forms().Count(), 1);
}

// "Capture" on a site's search box with "myprog" typed in: the request is not sent, and after
// the user accepts the record it is the site's search entry point.
void SubmitterTest::CaptureMakesTheSearchEntryPointAndStaysOnThePage() {
  TDemoDesktop desktop;
  QVERIFY(desktop.Ready());
  TfraSubmitter* page = desktop.session.MainWindow()->Submitter();
  TWebSite* site = SiteList().FindByUIN("SITE-DEMO-03");  // Shareware Hub: a search box at home
  QVERIFY(site);
  page->OpenSite(site, "Home");
  // Type into the search box once the site's page is there (the start page may come first).
  int typed = -1;
  for (int tries = 0; typed != 1 && tries < 200; ++tries) {
    typed = -1;
    page->Browser()->Page()->runJavaScript(
        "(function () { const q = document.querySelector('input[name=\"ctl00$q\"]');"
        " if (!q) return 0; q.value = 'myprog'; q.focus(); return 1; })()",
        [&](const QVariant& v) { typed = v.toInt(); });
    QTRY_VERIFY_WITH_TIMEOUT(typed >= 0, 10000);
    if (typed != 1) QTest::qWait(100);
  }
  QCOMPARE(typed, 1);
  const QUrl home = page->Browser()->LocationURL();

  quillora::test::AnswerNextDialog([](QWidget* w) {
    if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->accept();
  });
  site->Info.URLs.Search().SetText("Address=http://old.example/\r\n");
  page->CaptureSearch();
  QTRY_VERIFY_WITH_TIMEOUT(site->Info.URLs.Search().Kind() == TURLKind::GET, 15000);
  const TURLInfo& search = site->Info.URLs.Search();
  QCOMPARE(search.Kind(), TURLKind::GET);
  QCOMPARE(search.Address(),
           "http://sharewarehub.localhost:" + std::to_string(desktop.server.port) + "/Search.aspx");
  QCOMPARE(search.Query(), std::string("ctl00$q=|Quillora/Search_String|"));
  // The search was not run: the browser is still at home.
  QTest::qWait(300);
  QCOMPARE(page->Browser()->LocationURL(), home);
}

QTEST_MAIN(SubmitterTest)
#include "submitter_test.moc"
