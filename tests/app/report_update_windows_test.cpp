// The report options dialog writing the report file with the chosen columns and format, and the
// update dialogs and the bug report against the reference site repository server.

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/main_window.h"
#include "app/qt_user_interface.h"
#include "app/report/report_dialog.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "app/update/bug_report_dialog.h"
#include "app/update/site_update_dialogs.h"
#include "desktop_fixture.h"
#include "dialog_script.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "pad/product_data.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "support/server_process.h"
#include "support/temp_dir.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::app;

namespace {

struct Desktop : quillora::test::TDesktop {
  QAction* Action(const char* name) const { return Main()->findChild<QAction*>(name); }
};

// Answers the file dialog with a path and the name filter at index filter.
void AnswerSaveDialog(const QString& path, int filter) {
  quillora::test::AnswerNextDialog([path, filter](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    if (!dialog) {
      w->close();
      return;
    }
    dialog->selectNameFilter(dialog->nameFilters().at(filter));
    if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
      name->setText(path);
    else
      dialog->selectFile(path);
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
  });
}

QStringList FileLines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromLatin1(f.readAll()).split("\r\n");
}

// A site repository server over a database holding one site that the demo data lacks.
struct Repository {
  quillora::test::TempDir dir;
  std::unique_ptr<quillora::test::TServerProcess> server;
  int port = 0;
  Repository() {
    ForceDirectories(dir / "server-sites");
    TWebSite site;
    site.Info.CommonInfo().SetString("UIN", "S-GUI");
    site.Info.CommonInfo().SetString("Name", "gui site");
    site.Info.CommonInfo().SetString("Last contributed", "10-01-2024 10:00:00");
    if (!site.SaveSiteFile(dir / "server-sites/S-GUI.wsd", false)) return;
    TSiteList list(dir / "server-sites/", dir / "server-tmp/");
    if (!list.LoadAll() || !list.ExportSites(dir / "db/")) return;
    server = std::make_unique<quillora::test::TServerProcess>(
        QUILLORA_SITE_REPOSITORY_PATH, std::vector<std::string>{"--folder", dir / "db/"});
    port = server->Port();
  }
  std::string Address() const { return "http://127.0.0.1:" + std::to_string(port) + "/"; }
};

}  // namespace

class ReportUpdateWindowsTest : public QObject {
  Q_OBJECT
 public:
  static void initMain() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
  }

 private slots:
  void ReportWritesTheChosenColumnsInTheChosenFormat();
  void UpdateTakesTheNewerDatabase();
  void BugReportReachesTheRepository();
};

void ReportUpdateWindowsTest::ReportWritesTheChosenColumnsInTheChosenFormat() {
  Desktop d;
  QVERIFY(d.Start());
  QString opened;
  d.ui.open_url = [&](const QUrl& url) {
    opened = url.toLocalFile();
    return true;
  };
  const QString text_file = QString::fromStdString(d.data.Dir() / "report.txt");
  // Only "Site UIN" and "Site Name" shown, UIN first; the text format.
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* dialog = qobject_cast<TdlgReportOptions*>(w);
    if (!dialog) {
      w->close();
      return;
    }
    QListWidget* list = dialog->List();
    int uin_row = -1;
    for (int row = 0; row < list->count(); ++row) {
      const QString caption = list->item(row)->text();
      list->item(row)->setCheckState(
          caption == "Site UIN" || caption == "Site Name" ? Qt::Checked : Qt::Unchecked);
      if (caption == "Site UIN") uin_row = row;
    }
    list->setCurrentRow(uin_row);
    for (int i = 0; i < uin_row; ++i) dialog->MoveCurrent(-1);
    AnswerSaveDialog(text_file, 1);
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
  });
  d.Action("actExportReport")->trigger();
  QCOMPARE(opened, text_file);
  const QStringList lines = FileLines(text_file);
  QVERIFY(lines.size() > 10);
  QCOMPARE(lines[0], QString("Site UIN\tSite Name\t"));
  QVERIFY2(lines.filter(QRegularExpression("^SITE-DEMO-01\t.+\t$")).size() == 1,
           qPrintable(lines.join("\n")));
  const QString order = QString::fromStdString(Settings().GetString("Report Columns Order"));
  // Stored in the list's order, hidden columns negative.
  QVERIFY2(order.startsWith("3,"), qPrintable(order));
  QCOMPARE(order.split(',').filter(QRegularExpression("^\\d")), QStringList({"3", "1"}));
  QCOMPARE(order.split(',').size(), 24);

  // The next export starts from the stored order; the first filter writes the HTML page.
  const QString html_file = QString::fromStdString(d.data.Dir() / "report.html");
  QString first_row;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* dialog = qobject_cast<TdlgReportOptions*>(w);
    if (!dialog) {
      w->close();
      return;
    }
    first_row = dialog->List()->item(0)->text();
    AnswerSaveDialog(html_file, 0);
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
  });
  d.Action("actExportReport")->trigger();
  QCOMPARE(first_row, QString("Site UIN"));
  QCOMPARE(opened, html_file);
  const QString html = FileLines(html_file).join("\n");
  QVERIFY2(html.contains("<th>Site UIN</th>\n  <th>Site Name</th>"), qPrintable(html));
  QVERIFY(!html.contains("<th>Language</th>"));

  // Cancel ends the export without a file.
  opened.clear();
  quillora::test::AnswerNextDialog([](QWidget* w) { w->close(); });
  d.Action("actExportReport")->trigger();
  QVERIFY(opened.isEmpty());
}

void ReportUpdateWindowsTest::UpdateTakesTheNewerDatabase() {
  Repository repository;
  QVERIFY(repository.port > 0);
  Desktop d;
  QVERIFY(d.Start());
  Settings().SetString("Sites Repository", repository.Address());
  Settings().SetBool("SITES_FROM_SQL_DB", true);
  Settings().SetString("Server Base Exported", "01-01-1900");

  // The automatic check: nothing before a site is opened, the update once the server is newer.
  int runs = 0;
  TAutoUpdateCheck check([&] { ++runs; });
  check.delay_ms = 10;
  QVERIFY(!check.Scheduled());
  check.SiteOpened();
  QTRY_VERIFY_WITH_TIMEOUT(check.Done(), 10000);
  QCOMPARE(runs, 1);
  check.SiteOpened();  // once per run
  QTest::qWait(50);
  QCOMPARE(runs, 1);
  Settings().SetBool("DisableAutoUpdate", true);
  TAutoUpdateCheck disabled([&] { ++runs; });
  disabled.SiteOpened();
  QVERIFY(disabled.Done());
  QVERIFY(!disabled.Scheduled());

  // The manual update: the dialogs answered as a user would.
  QStringList messages, downloads;
  int obsolete = -1;
  QTimer answer;
  connect(&answer, &QTimer::timeout, [&] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) return;
    if (auto* man = qobject_cast<TdlgUpdateMan*>(w)) {
      for (int i = 0; i < man->Downloads()->count(); ++i)
        downloads << man->Downloads()->item(i)->text();
      obsolete = man->Obsolete()->count();
      man->findChild<QPushButton*>("btnOk")->click();
    } else if (auto* upgrade = qobject_cast<TdlgUpgradeQuery*>(w)) {
      upgrade->findChild<QPushButton*>("btnContinue")->click();
    } else {
      if (auto* box = qobject_cast<QMessageBox*>(w)) messages << box->text();
      w->close();
    }
  });
  answer.start(20);
  const int before = SiteList().Count();
  d.Action("actUpdate")->trigger();
  answer.stop();
  QCOMPARE(downloads.size(), 1);
  QVERIFY2(downloads[0].startsWith("S-GUI :  S-GUI"), qPrintable(downloads[0]));
  // The demo sites are not on this server: they are obsolete and go.
  QVERIFY(obsolete > 0);
  QCOMPARE(SiteList().Count(), before - obsolete + 1);
  TWebSite* taken = SiteList().FindByUIN("S-GUI");
  QVERIFY(taken);
  QCOMPARE(taken->Name(), std::string("gui site"));
  QVERIFY(!messages.filter("Update Successful.").isEmpty());
  QVERIFY(Settings().GetString("Server Base Exported") != "01-01-1900");
}

void ReportUpdateWindowsTest::BugReportReachesTheRepository() {
  Repository repository;
  QVERIFY(repository.port > 0);
  Desktop d;
  QVERIFY(d.Start());
  Settings().SetString("Sites Repository", repository.Address());
  TWebSite* site = SiteList().FindByUIN("SITE-DEMO-01");
  QVERIFY(site);

  bool chose = false;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* dialog = qobject_cast<TdlgBugReport*>(w);
    if (!dialog) {
      w->close();
      return;
    }
    // "Page not found" offers its choices; "Submit" becomes a line of the description.
    quillora::test::AnswerNextDialog([](QWidget* c) {
      auto* choice = qobject_cast<QInputDialog*>(c);
      if (!choice) {
        c->close();
        return;
      }
      choice->setTextValue("Submit");
      choice->accept();
    });
    dialog->Kind()->setCurrentIndex(2);
    emit dialog->Kind()->activated(2);
    dialog->SenderName()->setText("Tester");
    dialog->SenderEmail()->setText("tester@example.localhost");
    chose = dialog->Description()->toPlainText().endsWith("Submit");
    dialog->SendButton()->click();
  });
  RunBugReport(d.session.MainWindow(), site);
  QVERIFY(chose);
  const std::string log = FileToString(repository.dir / "db/bugreports.log");
  QVERIFY2(log.find("Category: Page not found\n") != std::string::npos, log.c_str());
  QVERIFY(log.find("SiteUIN: SITE-DEMO-01\n") != std::string::npos);
  QVERIFY(log.find("SenderName: Tester\n") != std::string::npos);
  QVERIFY(!site->Info.Value("Common info", "Last Bug Reported").empty());
}

QTEST_MAIN(ReportUpdateWindowsTest)
#include "report_update_windows_test.moc"
