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
#include "dialog_script.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/stream.h"
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

TfraSites* ShowSites(TDesktopSession& session) {
  QSignalSpy first_show(session.MainWindow(), &TfrmMain::firstShowDone);
  session.Show();
  if (!first_show.count() && !first_show.wait(10000)) return nullptr;
  session.MainWindow()->PageControl()->setCurrentIndex(TfrmMain::kSites);
  return session.MainWindow()->Sites();
}

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

QTEST_MAIN(SitesCommandsTest)
#include "sites_commands_test.moc"
