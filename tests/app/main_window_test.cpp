// The desktop program's start, main window and shutdown on a copy of the shipped data with a
// fresh user folder.
#include "app/main_window.h"

#include <QAction>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>
#include <stdexcept>

#include "app/application.h"
#include "app/qt_user_interface.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "app/submitter/submitter_page.h"
#include "dialog_script.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/option_list.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "sites/sites_state.h"
#include "sites/sites_view.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::app;

namespace {

TOptionsList SavedSettings(const quillora::test::TestData& data) {
  TOptionsList s;
  s.LoadFromTextFile(data.UserDir() + "data/config.dat");
  return s;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void StartShowsMainWindowAndHidesSplash();
  void PlacementSavedAndRestored();
  void MenuRoutesOnlyWhatIsBuilt();
  void PagesCloseButtonAndTabMoves();
  void FurtherSubmitterPagesAreReusedAndNextPassesOverTheirSites();
  void HelpOpensTheActivePagesTopic();
  void ExceptionReachingTheLoopIsLogged();
  void AutomaticBackupCancelledWritesNothing();
  void MissingTableEndsTheStart();
};

void MainWindowTest::StartShowsMainWindowAndHidesSplash() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  {
    TDesktopSession session(ui);
    QVERIFY(session.Start(data.Options()));
    // The site list's load filled the splash's gauge to 90 %.
    QVERIFY(session.Splash()->isVisible());
    QCOMPARE(session.Splash()->Position(), 90);
    QVERIFY(!session.MainWindow()->isVisible());
    QSignalSpy first_show(session.MainWindow(), &TfrmMain::firstShowDone);
    session.Show();
    QTRY_COMPARE_WITH_TIMEOUT(first_show.count(), 1, 5000);
    QVERIFY(session.MainWindow()->isVisible());
    QVERIFY(!session.Splash()->isVisible());
    QVERIFY(session.MainWindow()->isEnabled());
    QCOMPARE(session.MainWindow()->windowTitle(), QString("Quillora 3.0 -> Sample Notes"));
    QCOMPARE(session.MainWindow()->PageControl()->currentIndex(), 0);
    // No placement stored yet: the first start opens maximised.
    QTRY_VERIFY_WITH_TIMEOUT(session.MainWindow()->isMaximized(), 5000);
  }
  // Leaving the session saved the settings, the window's state with them.
  const TOptionsList saved = SavedSettings(data);
  QVERIFY(saved.GetString("Window_frmMain").rfind("State:M ", 0) == 0);
  QCOMPARE(QString::fromStdString(saved.GetString("Active Product")),
           QString("APP-Sample_Product"));
}

void MainWindowTest::PlacementSavedAndRestored() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  QPoint frame;
  {
    TDesktopSession session(ui);
    QVERIFY(session.Start(data.Options()));
    session.Show();
    TfrmMain* main = session.MainWindow();
    QTRY_VERIFY_WITH_TIMEOUT(main->isMaximized(), 5000);
    main->showNormal();
    main->setGeometry(90, 70, 700, 480);
    QTRY_COMPARE_WITH_TIMEOUT(main->size(), QSize(700, 480), 5000);
    frame = main->frameGeometry().topLeft();
  }
  const std::string stored = SavedSettings(data).GetString("Window_frmMain");
  QVERIFY2(stored.find(" W:700 H:480") != std::string::npos, stored.c_str());
  QVERIFY(stored.rfind("State:M", 0) != 0);
  QVERIFY2(stored.find(" L:" + std::to_string(frame.x()) + " T:" + std::to_string(frame.y())) !=
               std::string::npos,
           stored.c_str());
  {
    TDesktopSession session(ui);
    QVERIFY(session.Start(data.Options()));
    session.Show();
    TfrmMain* main = session.MainWindow();
    QTRY_COMPARE_WITH_TIMEOUT(main->size(), QSize(700, 480), 5000);
    QVERIFY(!main->isMaximized());
    QCOMPARE(main->frameGeometry().topLeft(), frame);
  }
}

void MainWindowTest::MenuRoutesOnlyWhatIsBuilt() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  session.Show();
  TfrmMain* main = session.MainWindow();
  QStringList menus;
  for (QAction* a : main->menuBar()->actions()) menus << a->text();
  QCOMPARE(menus, QStringList({"Site List", "Edit", "View", "Options", "Tools", "Help"}));
  const struct {
    const char* name;
    const char* text;
    bool enabled;
  } items[] = {
      {"actRefresh", "Refresh", true},
      {"actExit", "Exit", true},
      {"actHelpTopics", "Help Topics", true},
      {"actHelpContext", "Help Context", true},
      {"actAbout", "About Quillora", true},
      {"actAddSite", "Add Site", true},
      {"actEditSite", "Edit site", true},  // the first row has the focus
      {"actProperties", "Properties", true},
      {"actUpdate", "Update", true},
      {"actFind", "Find", false},
      {"actSelectAll", "Select All", false},
      {"actThumbnails", "Thumbnails", true},
      {"actShowSidePanel", "Show Side Panel", false},
      {"actOptions", "Preferences", true},
      {"actExportRating", "Export Rating", true},
      {"actBrowserOptions", "Browser options", false},
      {"actTranslate", "Translate to English", true},
      {"actCheckDupes", "Check for Dupes", true},
      {"actBackup", "Backup User Info", true},
      {"actShowStatistics", "Show Statistics", false},
      {"actSubmissionService", "Submission Service", false},
  };
  for (const auto& item : items) {
    auto* action = main->findChild<QAction*>(item.name);
    QVERIFY2(action, item.name);
    QCOMPARE(action->text(), QString(item.text));
    QVERIFY2(action->isEnabled() == item.enabled, item.name);
  }
  // The Sites page's commands open their windows: "Edit site" from the menu opens the site
  // editor on the focused site; its Cancel leaves the site as it was.
  main->PageControl()->setCurrentIndex(TfrmMain::kSites);
  QString opened;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    opened = w->objectName();
    // Cancel, as Escape does: no question.
    if (auto* dialog = qobject_cast<QDialog*>(w))
      dialog->reject();
    else
      w->close();
  });
  main->findChild<QAction*>("actEditSite")->trigger();
  QCOMPARE(opened, QString("dlgSiteEditor"));
  QCOMPARE(main->findChild<QAction*>("actHelpContext")->shortcut(), QKeySequence(Qt::Key_F1));
  QCOMPARE(main->findChild<QAction*>("actFind")->shortcut(), QKeySequence("Ctrl+F"));

  // Refresh reloads the site database through the splash and leaves the window usable.
  const int sites = SiteList().Count();
  main->findChild<QAction*>("actRefresh")->trigger();
  QCOMPARE(SiteList().Count(), sites);
  QVERIFY(!session.Splash()->isVisible());
  QVERIFY(main->isEnabled());
}

void MainWindowTest::PagesCloseButtonAndTabMoves() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  session.Show();
  TfrmMain* main = session.MainWindow();
  QTabWidget* pages = main->PageControl();
  QCOMPARE(pages->count(), 3);
  QCOMPARE(pages->tabText(0), QString("Products"));
  QCOMPARE(pages->tabText(1), QString("Sites"));
  QCOMPARE(pages->tabText(2), QString("Submitter"));
  QToolButton* close = main->CloseButton();
  // Hidden on Products and Sites, shown but disabled on the first submitter page.
  const struct {
    int page;
    bool visible, enabled;
  } rules[] = {{0, false, false}, {1, false, false}, {2, true, false}};
  for (const auto& r : rules) {
    pages->setCurrentIndex(r.page);
    QCOMPARE(close->isVisibleTo(main), r.visible);
    QCOMPARE(close->isEnabled(), r.enabled);
  }
  // "Prev Tab" on Sites goes to the last page; "Next Tab" on the last page to the Submitter.
  pages->setCurrentIndex(1);
  main->PrevTab();
  QCOMPARE(pages->currentIndex(), pages->count() - 1);
  main->NextTab();
  QCOMPARE(pages->currentIndex(), 2);
  // Ctrl+Tab reaches the window before the page control.
  pages->setCurrentIndex(0);
  QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier);
  QCOMPARE(pages->currentIndex(), 1);
}

void MainWindowTest::FurtherSubmitterPagesAreReusedAndNextPassesOverTheirSites() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  session.Show();
  TfrmMain* main = session.MainWindow();
  QTabWidget* pages = main->PageControl();
  TfraSubmitter* a = main->OpenSubmitterPage();
  TfraSubmitter* b = main->OpenSubmitterPage();
  QCOMPARE(pages->count(), 5);
  QCOMPARE(pages->currentWidget(), b);
  QVERIFY(main->CloseButton()->isEnabled());
  // Closing the current one with the close button; the first page never closes.
  main->CloseButton()->click();
  QCOMPARE(pages->count(), 4);
  main->CloseSubmitterPage(main->Submitter());
  QCOMPARE(pages->count(), 4);
  // The closed page comes back as the last tab.
  QCOMPARE(main->OpenSubmitterPage(), b);
  QCOMPARE(pages->indexOf(b), 4);
  QCOMPARE(main->OpenSubmitterCount(), 3);

  // Next on one page passes over the site another page shows.
  int sort = 0;
  TryStrToInt(Settings().GetString("Sites List Sort"), sort);
  const std::vector<int> order = SortedSitePositions(SiteList(), TSitesSort::FromSetting(sort));
  QVERIFY(order.size() >= 3);
  TWebSite* first = SiteList().SiteAt(order[0]);
  TWebSite* second = SiteList().SiteAt(order[1]);
  a->OpenSite(second, "Home");
  QCOMPARE(main->FindSubmitterBySite(second->UIN()), a);
  b->OpenSite(first, "Home");
  b->NextSite();
  QCOMPARE(b->CurrentSite(), SiteList().SiteAt(order[2]));
  main->CloseSubmitterPage(a);
  QCOMPARE(main->FindSubmitterBySite(second->UIN()), nullptr);
  // With one page open again the program closes without asking.
  main->CloseSubmitterPage(b);
  QCOMPARE(main->OpenSubmitterCount(), 1);
}

void MainWindowTest::HelpOpensTheActivePagesTopic() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  QList<QUrl> opened;
  ui.open_url = [&](const QUrl& url) {
    opened << url;
    return true;
  };
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  session.Show();
  TfrmMain* main = session.MainWindow();
  const struct {
    int page;
    const char* topic;
  } topics[] = {{0, "productman.html"}, {1, "Site_Manager.html"}, {2, "submitter.html"}};
  for (const auto& t : topics) {
    main->PageControl()->setCurrentIndex(t.page);
    main->HelpContext();
    QVERIFY(!opened.isEmpty());
    QCOMPARE(opened.last().fileName(), QString(t.topic));
    QVERIFY(opened.last().isLocalFile());
    QVERIFY(FileExists(opened.last().toLocalFile().toStdString()));
  }
  main->HelpTopics();
  QCOMPARE(opened.last().fileName(), QString("index.html"));
}

void MainWindowTest::ExceptionReachingTheLoopIsLogged() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  QObject target;
  QMetaObject::invokeMethod(
      &target, [] { throw std::runtime_error("Lost in the loop"); }, Qt::QueuedConnection);
  QCoreApplication::processEvents();
  const std::string log = FileToString(data.DataDir() + "exceptions.dat");
  // The header stays; the entry is "dd-mm-yyyy hh:nn:ss: XXXXXXXX message".
  QVERIFY(log.rfind("Quillora 3.0", 0) == 0);
  const QRegularExpression entry(
      R"(\n\d\d-\d\d-\d{4} \d\d:\d\d:\d\d: [0-9A-F]{8} Lost in the loop\r?\n?$)");
  QVERIFY2(entry.match(QString::fromStdString(log)).hasMatch(), log.c_str());
}

void MainWindowTest::AutomaticBackupCancelledWritesNothing() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  {
    TDesktopSession session(ui);
    QVERIFY(session.Start(data.Options()));
    session.Show();
    Settings().SetBool("Automatically backup", true);
    bool asked = false;
    quillora::test::AnswerNextDialog([&](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      if (!dialog) return;
      asked = dialog->windowTitle() == "Enter user info archive" &&
              dialog->acceptMode() == QFileDialog::AcceptSave;
      dialog->reject();
    });
    session.MainWindow()->close();
    QVERIFY(asked);
    QVERIFY(!session.MainWindow()->isVisible());
  }
  const TOptionsList saved = SavedSettings(data);
  QVERIFY(saved.GetString("Automatically backup directory").empty());
  QVERIFY(ListFiles(data.DataDir(), "*.uibk").empty());
}

void MainWindowTest::MissingTableEndsTheStart() {
  quillora::test::TestData data;
  DeleteFileAt(data.DataDir() + "status.dat");
  TQtUserInterface ui;
  QString message;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box) return;
    message = box->text();
    box->accept();
  });
  TDesktopSession session(ui);
  QVERIFY(!session.Start(data.Options()));
  QVERIFY(session.MainWindow() == nullptr);
  QVERIFY(!session.Splash()->isVisible());
  QVERIFY2(message.startsWith("Cannot load ") && message.endsWith("status.dat\nExiting."),
           qPrintable(message));
}

int main(int argc, char** argv) {
  TQuilloraApplication app(argc, argv);
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
