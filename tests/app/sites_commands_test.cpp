// The Sites page's commands on the real main window over a copy of the shipped demo sites: the
// login import ticking exactly the imported sites in its custom set, Check for Dupes deleting
// the site the user answered for, and the product menu making the chosen product active.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QtTest>
#include <unistd.h>

#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/qt_user_interface.h"
#include "app/sites/filter_panel.h"
#include "app/sites/sites_model.h"
#include "app/sites/sites_page.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "desktop_fixture.h"
#include "dialog_script.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/registry.h"
#include "foundation/stream.h"
#include "foundation/sysinfo.h"
#include "pad/login_import.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "sites/site.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::app;

namespace {

using quillora::test::ShowSites;

// Answers the next message box with `button`, recording its text; anything else is closed.
void AnswerBox(QStringList& texts, QMessageBox::StandardButton button,
               std::function<void()> then = {}) {
  quillora::test::AnswerNextDialog([&texts, button, then](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box) {
      w->close();
      return;
    }
    texts << box->text();
    if (then) then();
    box->button(button)->click();
  });
}

QAction* MenuItem(TfrmMain* main, const char* name) {
  return main->findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

}  // namespace

class SitesCommandsTest : public QObject {
  Q_OBJECT
 public:
  static void initMain() {
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  }

 private slots:
  void LoginImportTicksExactlyTheImportedSites();
  void CheckForDupesDeletesTheAnsweredSite();
  void ProductMenuActivatesTheChosenProduct();
  void OpenRulesWithShiftAndTheWindowLimit();
  void SearchResultsPanelKeysAndAdvancedFilter();
};

void SitesCommandsTest::LoginImportTicksExactlyTheImportedSites() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  Settings().SetBool("Import_Logins", true);
  TfraSites* sites = ShowSites(session);
  QVERIFY(sites);
  QVERIFY(SiteList().Count() > 3);
  const std::string first = SiteList().SiteAt(0)->UIN(), third = SiteList().SiteAt(2)->UIN();
  const QString file = QString::fromStdString(data.UserDir() + "logins.txt");
  StringToFile(FromQString(file),
               MakeLoginInfoText({first + "\tco-login\tco-pw\tpr-login\tpr-pw", third + "\tx"}));
  QAction* login = sites->Action("actImportLoginInfo");
  QVERIFY(login->isVisible() && login->isEnabled());

  QStringList questions;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    if (!dialog) {
      w->close();
      return;
    }
    // The question follows once the file is chosen.
    AnswerBox(questions, QMessageBox::Yes);
    if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
      name->setText(file);
    else
      dialog->selectFile(file);
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
  });
  login->trigger();
  QCOMPARE(questions, QStringList{"Do you want to import login info into the current profile?"});
  QCOMPARE(QString::fromStdString(ActiveProfile().SiteLogin(first)), QString("pr-login"));
  QCOMPARE(
      QString::fromStdString(ActiveProfile().SiteValue(TSiteValueKind::CompanySitePassword, first)),
      QString("co-pw"));

  // The set is offered; with "Hide unchecked" the grid shows exactly the two imported sites.
  auto* set_choice = sites->FilterPanel()->findChild<QComboBox*>("cbCustomSet");
  const int set = set_choice->findText(kImportedLoginSet);
  QVERIFY(set > 0);
  set_choice->setCurrentIndex(set);
  sites->FilterPanel()->findChild<QCheckBox*>("cbHideUnchecked")->setChecked(true);
  QStringList shown;
  for (int r = 0; r < sites->Model()->rowCount(); ++r)
    shown << QString::fromStdString(sites->Model()->SiteAt(r)->UIN());
  shown.sort();
  QStringList expected{QString::fromStdString(first), QString::fromStdString(third)};
  expected.sort();
  QCOMPARE(shown, expected);
  // Their tick boxes are ticked.
  QCOMPARE(sites->Model()->data(sites->Model()->index(0, 0), Qt::CheckStateRole).toInt(),
           int(Qt::Checked));
}

void SitesCommandsTest::CheckForDupesDeletesTheAnsweredSite() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  TfraSites* sites = ShowSites(session);
  QVERIFY(sites);
  // A second file holding the UIN of the second site, added as a later site.
  TWebSite* original = SiteList().SiteAt(1);
  const int total = SiteList().Count();
  const std::string copy_file = ExtractFilePath(original->FileName) + "zz_copy.wsd";
  {
    auto copy = std::make_unique<TWebSite>();
    copy->Info.CommonInfo().SetString("UIN", original->UIN());
    copy->Info.CommonInfo().SetString("Name", "Copy Of Site");
    QVERIFY(copy->SaveSiteFile(copy_file, false));
    copy->FileName = copy_file;
    SiteList().AddSite(std::move(copy));
  }
  sites->FullRefresh();
  QCOMPARE(sites->Model()->rowCount(), total + 1);

  // Through the Tools menu: the copy is offered against the original; Yes deletes it.
  QAction* item = MenuItem(session.MainWindow(), "actCheckDupes");
  QVERIFY(item->isEnabled());
  QStringList questions;
  AnswerBox(questions, QMessageBox::Yes);
  item->trigger();
  QCOMPARE(questions.size(), 1);
  QVERIFY2(questions[0].startsWith("Delete site Copy Of Site (zz_copy.wsd),"),
           qPrintable(questions[0]));
  QVERIFY(questions[0].contains("which is DUPLICATE for site " +
                                QString::fromStdString(original->Name())));
  QVERIFY(!FileExists(copy_file));
  QVERIFY(FileExists(original->FileName));
  QCOMPARE(SiteList().Count(), total);
  QCOMPARE(sites->Model()->rowCount(), total);
}

void SitesCommandsTest::ProductMenuActivatesTheChosenProduct() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  TfraSites* sites = ShowSites(session);
  QVERIFY(sites);
  TProfile& profile = ActiveProfile();
  const std::string company = profile.ActiveCompanyUin;
  const std::string active = profile.ActiveProductUin;
  QVERIFY(!company.empty() && !active.empty());
  TProduct* other = ProductList().NewProduct();
  other->NewUin();
  other->SetString("Quillora/Company_UIN", company);
  other->SetString("Program_Info/Program_Name", "Second Tool");
  other->SetString("Program_Info/Program_Version", "3.0");
  TWebSite* site = sites->CurrentSite();
  QVERIFY(site);
  other->VersionListed.SetString(site->UIN(), "3.0");
  QVERIFY(other->SaveRecordFile());
  sites->selected_company_uin = [company] { return company; };

  QMenu menu;
  sites->FillProductMenu(&menu);
  QAction* chosen = nullptr;
  for (QAction* a : menu.actions())
    if (a->toolTip() == "Second Tool") chosen = a;
  QVERIFY(chosen);
  // Its state at the focused site: listed in its own version.
  QCOMPARE(chosen->text(), QString("Second Tool 3.0"));
  QVERIFY(!chosen->icon().isNull());
  QVERIFY(menu.defaultAction() && menu.defaultAction() != chosen);
  chosen->trigger();
  QCOMPARE(QString::fromStdString(ActiveProfile().ActiveProductUin),
           QString::fromStdString(other->Uin()));
  QCOMPARE(QString::fromStdString(Settings().GetString("Active Product")),
           QString::fromStdString(other->Uin()));
  QVERIFY(session.MainWindow()->windowTitle().endsWith("Second Tool"));
  // The grid's states follow the new product: the site is listed in its version.
  QCOMPARE(int(site->summary.status), int(ssComplete));
}

void SitesCommandsTest::OpenRulesWithShiftAndTheWindowLimit() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  TfraSites* sites = ShowSites(session);
  QVERIFY(sites);
  QTableView* grid = sites->Grid();
  grid->setFocus();
  grid->setCurrentIndex(sites->Model()->index(0, 0));
  TWebSite* site = sites->CurrentSite();
  QVERIFY(site);
  site->Info.URLs.Update().SetAddress("http://update.localhost/");
  site->Info.URLs.Submit().SetAddress("http://submit.localhost/");
  QStringList opened;
  sites->open_site = [&](TWebSite*, const std::string& page, bool new_page) {
    opened << QString::fromStdString(page) + (new_page ? " new" : " here");
  };
  int open_pages = 1;
  sites->open_page_count = [&] { return open_pages; };
  const auto run = [&](const std::function<void()>& command) {
    opened.clear();
    command();
    return opened;
  };

  // Shift+Enter: the Shift is used up, so the work page opens in the current page: Submit, and
  // Update once a version is listed. "Open in a new Window" with Shift does the same in a new one.
  for (const bool listed : {false, true}) {
    ActiveProfile().VersionListed.SetString(site->UIN(), listed ? "1.0" : "");
    const QString page = listed ? "Update" : "Submit";
    QCOMPARE(run([&] { QTest::keyClick(grid, Qt::Key_Return, Qt::ShiftModifier); }),
             QStringList{page + " here"});
    sites->SetShiftState(Qt::ShiftModifier);
    QCOMPARE(run([&] { sites->Action("actOpenNewWindow")->trigger(); }),
             QStringList{page + " new"});
  }
  // Without Shift: Search in place; a new window opens Home until the site was submitted.
  sites->SetShiftState({});
  QCOMPARE(run([&] { QTest::keyClick(grid, Qt::Key_Return); }), QStringList{"Search here"});
  QCOMPARE(run([&] { sites->Action("actOpenNewWindow")->trigger(); }), QStringList{"Home new"});

  // The limit: 10 without a machine setting, else the user's "MaxWindowsCount".
  const std::string user = ComputeSystemDescription().user_name;
  for (const auto& [stored, pages, limit] : {std::tuple{"", 10, 10}, {"3", 3, 3}, {"3", 2, -1}}) {
    if (!user.empty())
      WriteRegistryValue("HKLM\\Software\\Tarvesk\\Quillora\\3.0\\" + user + "\\MaxWindowsCount",
                         stored);
    else if (*stored)
      continue;
    open_pages = pages;
    QStringList errors;
    if (limit > 0) AnswerBox(errors, QMessageBox::Ok);
    const QStringList got = run([&] { sites->Action("actOpenNewWindow")->trigger(); });
    if (limit > 0) {
      QCOMPARE(errors,
               QStringList{QString("Sorry but you cannot open more than %1 windows").arg(limit)});
      QVERIFY(got.isEmpty());
    } else {
      QCOMPARE(got, QStringList{"Home new"});
    }
  }
}

void SitesCommandsTest::SearchResultsPanelKeysAndAdvancedFilter() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  Settings().SetBool("New_Autosearch", true);
  Settings().SetString("Sites_Info_Panel_Page", "1");
  TfraSites* sites = ShowSites(session);
  QVERIFY(sites);
  QTableView* grid = sites->Grid();
  const int rows = sites->Model()->rowCount();
  QVERIFY(rows > 2);

  // A page the remote search stored for the last site, with a script and the search string.
  TWebSite* last = sites->Model()->SiteAt(rows - 1);
  TProfile& profile = ActiveProfile();
  profile.SetString("Quillora/Search_String", "Needle");
  const std::string folder = Folders().dump + profile.GetString("Quillora/Product_UIN") + "/";
  QVERIFY(ForceDirectories(folder));
  StringToFile(folder + last->UIN() + ".htm",
               "listing.localhost/find.php?q=needle\r\n<p id=hit>a needle here</p>"
               "<SCRIPT>document.title='owned'</SCRIPT>");

  // End and Home go to the last and the first row.
  grid->setFocus();
  grid->setCurrentIndex(sites->Model()->index(0, 0));
  QTest::keyClick(grid, Qt::Key_End);
  QCOMPARE(sites->CurrentSite(), last);
  QWebEngineView* results = sites->SearchResultsView();
  QVERIFY(results->isVisible());
  QVERIFY(!results->page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
  QString html;
  QTRY_VERIFY_WITH_TIMEOUT(
      [&] {
        bool done = false;
        results->page()->toHtml([&](const QString& text) {
          html = text;
          done = true;
        });
        return QTest::qWaitFor([&] { return done; }, 5000) && html.contains("<b>Needle</b>");
      }(),
      10000);
  QVERIFY(!html.contains("owned"));
  QCOMPARE(results->url().host(), QString("listing.localhost"));
  QTest::keyClick(grid, Qt::Key_Home);
  QCOMPARE(sites->CurrentSite(), sites->Model()->SiteAt(0));

  // "<<" shows the custom sets in place of the panel area; ">>" restores it.
  auto* advanced = sites->findChild<QToolButton*>("btAdvancedFilter");
  auto* set_box = sites->FilterPanel()->findChild<QWidget*>("gbCustomSets");
  QVERIFY(!set_box->isVisible());
  advanced->click();
  QCOMPARE(advanced->text(), QString(">>"));
  QVERIFY(set_box->isVisible());
  QVERIFY(!results->isVisible());
  advanced->click();
  QCOMPARE(advanced->text(), QString("<<"));
  QVERIFY(!set_box->isVisible());
  QVERIFY(results->isVisible());
}

QTEST_MAIN(SitesCommandsTest)
#include "sites_commands_test.moc"
