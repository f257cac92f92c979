// The listing-search windows on the real desktop session against the demo sites server: the
// batch window runs to its end and shows every verdict, the single-site test reports its
// verdict, and the second batch window's local mode stores the pages and judges them.

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "app/main_window.h"
#include "app/qt_user_interface.h"
#include "app/search/auto_search_window.h"
#include "app/search/remote_search_window.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "desktop_fixture.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "search/auto_search.h"
#include "search/search_results.h"
#include "search/search_single.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "support/demo_state.h"
#include "support/server_process.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::app;

namespace {

// The desktop program on a copy of the shipped data, with a demo sites server of its own in
// which every demo site lists the sample product.
struct Desktop : quillora::test::TDesktop {
  std::unique_ptr<quillora::test::TServerProcess> server;
  int port = 0;

  bool Start() {
    const std::string state = data.Dir() / "demo-state.json";
    quillora::test::WriteSubmittedState(state);
    server = std::make_unique<quillora::test::TServerProcess>(
        QUILLORA_DEMO_SITES_PATH, std::vector<std::string>{"--state", state, "--slow-search", "0"});
    port = server->Port();
    return port > 0 && TDesktop::Start();
  }
};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The shipped search addresses name port 8765; the test's server listens elsewhere.
void PointSearchesAt(int port) {
  for (int i = 0; i < SiteList().Count(); ++i) {
    TURLInfo& record = SiteList().SiteAt(i)->Info.URLs.Record("Search");
    record.SetAddress(
        Replaced(record.Address(), ".localhost:8765", ".localhost:" + std::to_string(port)));
  }
}

}  // namespace

class SearchWindowsTest : public QObject {
  Q_OBJECT
 public:
  static void initMain() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
  }

 private slots:
  void BatchWindowRunsToTheEndAndShowsTheVerdicts();
  void SingleSiteTestShowsItsVerdictAndKeepsThePage();
  void SecondBatchWindowFetchesLocallyThenParses();
  void SecondBatchWindowDrivesTheSearchService();
};

void SearchWindowsTest::BatchWindowRunsToTheEndAndShowsTheVerdicts() {
  Desktop d;
  QVERIFY(d.Start());
  Settings().SetInt("AUTOSEARCH_NUMBER_OF_THREADS", 4);
  Settings().SetInt("AUTOSEARCH_TIMEOUT", 0);  // not above 0: the window offers 120
  Settings().SetInt("AUTOSEARCH_ATTEMPTS", 1);
  SetSearchFlag(ActiveProfile(), "SITE-DEMO-01", "NOT FOUND");

  TfrmAutoSearch window(d.session.MainWindow());
  window.Controller().port = static_cast<uint16_t>(d.port);
  window.show();
  QCOMPARE(window.findChild<QSpinBox*>("seThreads")->value(), 4);
  QCOMPARE(window.findChild<QSpinBox*>("seTimeout")->value(), 120);
  window.findChild<QSpinBox*>("seTimeout")->setValue(20);

  QTest::mouseClick(window.StartButton(), Qt::LeftButton);
  QVERIFY(!window.StartButton()->isEnabled());
  QVERIFY(window.StopButton()->isEnabled());
  // While the batch runs the window stays.
  window.close();
  QVERIFY(window.isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(window.CloseButton()->isEnabled(), 60000);

  const int eligible = window.Controller().EligibleCount();
  QVERIFY(eligible >= 10);
  QCOMPARE(window.Bar()->maximum(), eligible);
  QCOMPARE(window.Bar()->value(), eligible);
  QCOMPARE(window.ProgressLabel()->text(), QString("Process Complete"));
  QVERIFY(!window.StopButton()->isEnabled());
  const QString log = window.Log()->toPlainText();
  const QString failing = QString::fromStdString(SiteList().FindByUIN("SITE-DEMO-08")->Name());
  QVERIFY2(log.contains(failing + "    Verdict: ERROR\nERROR: Internal Server Error\n"),
           qPrintable(log));
  QCOMPARE(SearchFlagOf(ActiveProfile(), "SITE-DEMO-01"), std::string("FOUND"));
  QCOMPARE(SearchFlagOf(ActiveProfile(), "SITE-DEMO-08"), std::string("ERROR"));
  QCOMPARE(log.count("Verdict: "), eligible);

  window.close();
  QVERIFY(!window.isVisible());
  QCOMPARE(Settings().GetString("AUTOSEARCH_TIMEOUT"), std::string("20"));
  QVERIFY(window.Started());
}

void SearchWindowsTest::SingleSiteTestShowsItsVerdictAndKeepsThePage() {
  Desktop d;
  QVERIFY(d.Start());
  TWebSite* site = SiteList().FindByUIN("SITE-DEMO-02");
  QVERIFY(site);
  std::remove(quillora::TSearchSingle::ResultsFile().c_str());
  TfrmSearchSingle window(*site, d.session.MainWindow());
  window.Controller().port = static_cast<uint16_t>(d.port);
  window.show();
  QCOMPARE(window.Button()->text(), QString("Start"));
  QVERIFY(!window.ResultsButton()->isEnabled());
  QTest::mouseClick(window.Button(), Qt::LeftButton);
  QCOMPARE(window.Button()->text(), QString("Stop"));
  QTRY_COMPARE_WITH_TIMEOUT(window.Button()->text(), QString("Close"), 30000);
  QVERIFY(window.ResultsButton()->isEnabled());
  QVERIFY2(window.Log()->toPlainText().contains("FOUND"), qPrintable(window.Log()->toPlainText()));
  QCOMPARE(window.findChild<QLabel*>("lblSite")->text(),
           "Site Name: " + QString(site->Name().c_str()));
  QVERIFY(FileToString(quillora::TSearchSingle::ResultsFile()).find("Sample Notes") !=
          std::string::npos);
  QTest::mouseClick(window.Button(), Qt::LeftButton);
  QVERIFY(!window.isVisible());
}

void SearchWindowsTest::SecondBatchWindowFetchesLocallyThenParses() {
  Desktop d;
  QVERIFY(d.Start());
  Settings().SetBool("External_Search", false);
  Settings().SetBool("New_Autosearch", true);
  Settings().SetInt("AUTOSEARCH_TIMEOUT", 20);
  Settings().SetInt("AUTOSEARCH_ATTEMPTS", 1);
  PointSearchesAt(d.port);
  // A site that is shown but cannot be searched is judged "NOT SUPPORTED".
  SiteList().FindByUIN("SITE-DEMO-03")->Info.SearchOptions().SetString("AutoSearch", "FALSE");

  TfrmAutoSearch2 window(d.session.MainWindow());
  QVERIFY(!window.ServerMode());
  // An earlier run's page goes; a download's state file stays.
  ForceDirectories(window.Controller().ProductFolder());
  const std::string old_page = window.Controller().ProductFolder() + "OLD.htm";
  const std::string state = window.Controller().ProductFolder() + "x.tar.bz2.sd!";
  StringToFile(old_page, "old");
  StringToFile(state, "state");
  window.show();
  QVERIFY(!window.StopButton()->isEnabled());
  QTest::mouseClick(window.StartButton(), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(window.Log()->toPlainText().contains("-= PROCESS COMPLETE =-"), 60000);
  QVERIFY(window.CloseButton()->isEnabled());
  QVERIFY(window.ResultsChanged());
  QVERIFY(!FileExists(old_page));
  QVERIFY(FileExists(state));
  QVERIFY(FileExists(window.Controller().ProductFolder() + "SITE-DEMO-01.htm"));

  const QString log = window.Log()->toPlainText();
  const QString first = QString::fromStdString(SiteList().FindByUIN("SITE-DEMO-01")->Name());
  QVERIFY2(log.contains("The site \"" + first + "\" downloaded."), qPrintable(log));
  QCOMPARE(SearchFlagOf(ActiveProfile(), "SITE-DEMO-01"), std::string("FOUND"));
  QCOMPARE(SearchFlagOf(ActiveProfile(), "SITE-DEMO-08"), std::string("ERROR"));
  QCOMPARE(SearchFlagOf(ActiveProfile(), "SITE-DEMO-03"), std::string("NOT SUPPORTED"));
  window.close();
  QVERIFY(!window.isVisible());
}

void SearchWindowsTest::SecondBatchWindowDrivesTheSearchService() {
  Desktop d;
  QVERIFY(d.Start());
  quillora::test::TServerProcess service(
      QUILLORA_SEARCH_SERVICE_PATH, {"--folder", d.data.Dir() / "service", "--password", "4321",
                                     "--fetch-port", std::to_string(d.port)});
  QVERIFY(service.Port() > 0);
  Settings().SetInt("Autosearch_Password", 4321);
  Settings().SetBool("External_Search", true);
  Settings().SetString("Autosearch2_URL",
                       "http://127.0.0.1:" + std::to_string(service.Port()) + "/");
  SetSearchFlag(ActiveProfile(), "SITE-DEMO-01", "NOT FOUND");

  TfrmAutoSearch2 window(d.session.MainWindow());
  QVERIFY(window.ServerMode());
  window.show();
  QVERIFY(!window.findChild<QSpinBox*>("seThreads")->isVisible());
  QTRY_VERIFY(window.StatusView()->toPlainText().startsWith("Current Product: Idle"));

  // Idle: the job is sent and processing starts; the status then follows the service.
  QTest::mouseClick(window.StartButton(), Qt::LeftButton);
  QVERIFY2(!window.Log()->toPlainText().contains("ERROR"), qPrintable(window.Log()->toPlainText()));
  QTRY_VERIFY_WITH_TIMEOUT((window.RefreshStatus(), window.StatusView()->toPlainText().startsWith(
                                                        "Current Product: Ready to download")),
                           60000);
  // Ready to download: the archive is fetched, unpacked and parsed.
  QTest::mouseClick(window.StartButton(), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(window.Log()->toPlainText().contains("-= PROCESS COMPLETE =-"), 60000);
  const QString log = window.Log()->toPlainText();
  QVERIFY2(log.contains("11 pages found"), qPrintable(log));
  QVERIFY(window.ResultsChanged());
  QVERIFY(window.StartButton()->isEnabled());
  QCOMPARE(SearchFlagOf(ActiveProfile(), "SITE-DEMO-01"), std::string("FOUND"));
  QCOMPARE(SearchFlagOf(ActiveProfile(), "SITE-DEMO-08"), std::string("ERROR"));
  window.close();
  QVERIFY(!window.isVisible());
}

QTEST_MAIN(SearchWindowsTest)
#include "search_windows_test.moc"
