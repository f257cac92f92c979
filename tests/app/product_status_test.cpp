// The product status dialog on the demo data: what Save stores, and what cancelling keeps.
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/qt_text.h"
#include "app/qt_user_interface.h"
#include "app/startup.h"
#include "app/status/product_status_dialog.h"
#include "dialog_script.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "submit/status_records.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::app;

class ProductStatusTest : public QObject {
  Q_OBJECT
 public:
  // The main window holds the Submitter's web view.
  static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

 private slots:
  void SaveStoresEveryFieldAndTheChosenState();
  void CancellingAsksAndNoKeepsTheRecord();
};

namespace {

// The program started on a copy of the shipped data, as the desktop starts it.
struct Core {
  test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session{ui};
  // The main window's first showing loads the records and activates the product.
  bool started = session.Start(data.Options()) && (session.Show(), true);
};

QLineEdit* Edit(QWidget* dialog, int index) {
  return dialog->findChildren<QLineEdit*>().at(index);
}

}  // namespace

void ProductStatusTest::SaveStoresEveryFieldAndTheChosenState() {
  Core core;
  QVERIFY(core.started);
  TWebSite* site = SiteList().FindByUIN("SITE-DEMO-01");
  QVERIFY(site);
  TdlgProductStatus dialog(*site, ActiveProfile(), false, nullptr);
  // Version listed, version submitted, date (read-only without admin mode), logins.
  auto edits = dialog.findChildren<QLineEdit*>();
  QVERIFY(edits.size() >= 7);
  QVERIFY(!Edit(&dialog, 2)->isEnabled());
  Edit(&dialog, 0)->setText("2.4.1");
  Edit(&dialog, 1)->setText("2.4.1");
  auto* button = dialog.findChild<QPushButton*>("btnOverride");
  QVERIFY(button && button->menu());
  // "Skipped" with its first predefined comment.
  QMenu* skipped = nullptr;
  for (QAction* a : button->menu()->actions())
    if (a->text() == "Skipped") skipped = a->menu();
  QVERIFY(skipped);
  skipped->actions().at(2)->trigger();
  QCOMPARE(button->text(), QString("Skipped"));
  dialog.accept();

  const TProductStatusFields stored = ReadProductStatus(ActiveProfile(), "SITE-DEMO-01");
  QCOMPARE(stored.version_listed, std::string("2.4.1"));
  QCOMPARE(stored.version_submitted, std::string("2.4.1"));
  QVERIFY(!stored.date_submitted.empty());  // a new version submitted is dated now
  QCOMPARE(stored.status_override, std::string("Skipped"));
  QVERIFY(stored.product_notes.find("Waiting for the site to send the login info") !=
          std::string::npos);
  QVERIFY(SiteStatusFor(ActiveProfile(), "SITE-DEMO-01") == ssSkipped);
}

void ProductStatusTest::CancellingAsksAndNoKeepsTheRecord() {
  Core core;
  QVERIFY(core.started);
  TWebSite* site = SiteList().FindByUIN("SITE-DEMO-02");
  QVERIFY(site);
  const TProductStatusFields before = ReadProductStatus(ActiveProfile(), "SITE-DEMO-02");
  TdlgProductStatus dialog(*site, ActiveProfile(), true, nullptr);
  QVERIFY(Edit(&dialog, 2)->isEnabled());  // admin mode: the date is editable
  Edit(&dialog, 0)->setText("9.9");
  QString asked;
  test::AnswerNextDialog([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    asked = box ? box->text() : QString();
    if (box) box->button(QMessageBox::No)->click();
  });
  dialog.reject();
  QCOMPARE(asked, QString("Save changes?"));
  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  QCOMPARE(ReadProductStatus(ActiveProfile(), "SITE-DEMO-02").version_listed,
           before.version_listed);
}

QTEST_MAIN(ProductStatusTest)
#include "product_status_test.moc"
