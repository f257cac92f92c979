// The Sites page on the demo database: rows in the view's order, sorting kept in the settings,
// row colours from the search results, and opening a site in the Submitter.
#include "app/sites/sites_page.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QtTest>

#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/qt_user_interface.h"
#include "app/sites/sites_model.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "app/submitter/submitter_page.h"
#include "foundation/app_state.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::app;

class SitesPageTest : public QObject {
  Q_OBJECT
 public:
  static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

 private slots:
  void SortsStoresColoursAndOpens();
};

void SitesPageTest::SortsStoresColoursAndOpens() {
  test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  session.Show();
  TfrmMain* main = session.MainWindow();
  TfraSites* page = main->Sites();
  TSitesModel* model = page->Model();
  QCOMPARE(model->rowCount(), SiteList().Count());
  QCOMPARE(model->columnCount(), 26);
  QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Site Name"));
  QCOMPARE(page->findChild<QLabel*>("lblCounts")->text(),
           QString("12 of 12 sites shown using current filter"));

  // A click on "Site Name" sorts by it; a second click reverses the order.
  QHeaderView* header = page->View()->horizontalHeader();
  const auto names = [&] {
    QStringList list;
    for (int r = 0; r < model->rowCount(); ++r)
      list << model->data(model->index(r, 0), Qt::DisplayRole).toString();
    return list;
  };
  emit header->sectionClicked(0);
  const std::string first_sort = Settings().GetString("Sites List Sort");
  const QStringList first = names();
  emit header->sectionClicked(0);
  QVERIFY(Settings().GetString("Sites List Sort") != first_sort);
  const QStringList second = names();
  QStringList reversed = second;
  std::reverse(reversed.begin(), reversed.end());
  QCOMPARE(reversed, first);
  // One of the two is by name, lower-case bytes ascending.
  QStringList expected = first;
  std::sort(expected.begin(), expected.end(),
            [](const QString& a, const QString& b) { return a.toLower() < b.toLower(); });
  QVERIFY(first == expected || second == expected);

  // A site found by the listing search is painted in the "found" colours.
  TWebSite* site = SiteList().FindByUIN("SITE-DEMO-01");
  QVERIFY(site);
  ActiveProfile().SearchFlag.SetString("SITE-DEMO-01", "FOUND");
  page->RefreshSite("SITE-DEMO-01");
  const int row = model->RowOf(site);
  QVERIFY(row >= 0);
  QCOMPARE(model->data(model->index(row, 0), Qt::BackgroundRole).value<QColor>(),
           QColor(0xCD, 0xDF, 0xCC));

  // Opening the row takes the site to the Submitter page.
  emit page->View()->activated(model->index(row, 0));
  QCOMPARE(main->PageControl()->currentIndex(), int(TfrmMain::kSubmitter));
  QCOMPARE(main->Submitter()->CurrentSite(), site);
}

QTEST_MAIN(SitesPageTest)
#include "sites_page_test.moc"
