// The Sites page on the real main window over a copy of the shipped demo sites: sorting by a
// header click, in-place edits reaching the records and surviving a restart, the filter and
// custom sets with their counts, opening and deleting a site, and the info panel rendering
// hostile site texts inert.
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QtTest>
#include <unistd.h>

#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/qt_user_interface.h"
#include "app/sites/filter_panel.h"
#include "app/sites/site_info_page.h"
#include "app/sites/sites_model.h"
#include "app/sites/sites_page.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "app/submitter/submitter_page.h"
#include "desktop_fixture.h"
#include "dialog_script.h"
#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/files.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "sites/sites_state.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::app;

namespace {

// The main window shown, on its Sites page.
using quillora::test::ShowSites;

void ClickHeader(QTableView* grid, int column) {
  QHeaderView* header = grid->horizontalHeader();
  const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

QStringList ColumnTexts(const TSitesModel* model, int column) {
  QStringList texts;
  for (int r = 0; r < model->rowCount(); ++r)
    texts << ToQString(model->SiteAt(r)->summary.lower[static_cast<size_t>(column)]);
  return texts;
}

// The info panel's document as the browser holds it.
QString InfoHtml(QWebEngineView* view) {
  QString html;
  bool done = false;
  view->page()->toHtml([&](const QString& text) {
    html = text;
    done = true;
  });
  if (!QTest::qWaitFor([&] { return done; }, 10000)) return {};
  return html;
}

}  // namespace

class SitesViewTest : public QObject {
  Q_OBJECT
 public:
  static void initMain() {
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  }

 private slots:
  void HeaderClickSortsAndStoresTheSetting();
  void InPlaceEditStoresToTheRightRecord();
  void FilterAndCustomSetApplyAndCountsFollow();
  void EnterOpensTheSiteInTheSubmitter();
  void DeleteAsksAndRemovesTheFile();
  void HostileSiteTextsAreShownEscaped();
  void PanelLinksAreRouted();
};

void SitesViewTest::HeaderClickSortsAndStoresTheSetting() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  TfraSites* sites = ShowSites(session);
  QVERIFY(sites);
  const TSitesModel* model = sites->Model();
  QVERIFY(model->rowCount() > 3);

  // "-1": names A to Z.
  QStringList sorted = ColumnTexts(model, 0);
  std::sort(sorted.begin(), sorted.end());
  QCOMPARE(ColumnTexts(model, 0), sorted);

  ClickHeader(sites->Grid(), 0);
  QCOMPARE(QString::fromStdString(Settings().GetString("Sites List Sort")), QString("1"));
  std::reverse(sorted.begin(), sorted.end());
  QCOMPARE(ColumnTexts(model, 0), sorted);

  // Another column keeps the direction.
  ClickHeader(sites->Grid(), 1);
  QCOMPARE(QString::fromStdString(Settings().GetString("Sites List Sort")), QString("2"));
  QStringList urls = ColumnTexts(model, 1);
  std::sort(urls.begin(), urls.end(), std::greater<QString>());
  QCOMPARE(ColumnTexts(model, 1), urls);
  // "Flags" does not sort.
  ClickHeader(sites->Grid(), 24);
  QCOMPARE(QString::fromStdString(Settings().GetString("Sites List Sort")), QString("2"));
}

void SitesViewTest::InPlaceEditStoresToTheRightRecord() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  const struct {
    int column;
    const char* typed;
  } edits[] = {{20, "typed-login"}, {21, "typed-secret"}, {13, "2.4.1"}, {14, "1.9"}};
  std::string uin;
  {
    TDesktopSession session(ui);
    QVERIFY(session.Start(data.Options()));
    TfraSites* sites = ShowSites(session);
    QVERIFY(sites);
    QTableView* grid = sites->Grid();
    // The second row, so that a store to the first row's site would show.
    const int row = 1;
    TWebSite* site = sites->Model()->SiteAt(row);
    uin = site->UIN();
    QVERIFY(ActiveProfile().ProductSiteLogins.GetString(uin).empty());
    for (const auto& e : edits) {
      grid->setFocus();
      grid->setCurrentIndex(sites->Model()->index(row, e.column));
      QLineEdit* editor = nullptr;
      for (auto* w : grid->viewport()->findChildren<QLineEdit*>())
        if (w->isVisible()) editor = w;
      QVERIFY2(editor, std::to_string(e.column).c_str());
      editor->selectAll();
      QTest::keyClicks(editor, e.typed);
      QTest::keyClick(editor, Qt::Key_Return);
      // The edit box hands its text over once the key has been handled.
      const auto shown = [&] {
        const int now = sites->Model()->RowOf(site);
        return sites->Model()
            ->data(sites->Model()->index(now, e.column), Qt::DisplayRole)
            .toString();
      };
      QTRY_COMPARE_WITH_TIMEOUT(shown(), QString(e.typed), 5000);
    }
    // No product login existed: the company holds the login. The version listed is the
    // product's current version, so the site is done.
    QCOMPARE(QString::fromStdString(ActiveProfile().CompanySiteLogins.GetString(uin)),
             QString("typed-login"));
    QVERIFY(ActiveProfile().ProductSiteLogins.GetString(uin).empty());
    QCOMPARE(int(site->summary.status), int(ssComplete));
    // Only that site changed.
    for (int r = 0; r < sites->Model()->rowCount(); ++r)
      if (sites->Model()->SiteAt(r) != site)
        QVERIFY(
            ActiveProfile().CompanySiteLogins.GetString(sites->Model()->SiteAt(r)->UIN()).empty());
  }
  // The records were saved: a new start shows the same values.
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  QVERIFY(ShowSites(session));
  TProfile& profile = ActiveProfile();
  QCOMPARE(QString::fromStdString(profile.SiteLogin(uin)), QString("typed-login"));
  QCOMPARE(QString::fromStdString(profile.SitePassword(uin)), QString("typed-secret"));
  QCOMPARE(QString::fromStdString(profile.SiteValue(TSiteValueKind::VersionListed, uin)),
           QString("2.4.1"));
  QCOMPARE(QString::fromStdString(profile.SiteValue(TSiteValueKind::VersionSubmitted, uin)),
           QString("1.9"));
}

void SitesViewTest::FilterAndCustomSetApplyAndCountsFollow() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  TfraSites* sites = ShowSites(session);
  QVERIFY(sites);
  const int total = SiteList().Count();
  int enabled = 0;
  for (int i = 0; i < total; ++i) enabled += SiteList().SiteAt(i)->IsDisabled() ? 0 : 1;
  const auto counts = [&](int shown) {
    return QString("%1 of %2 sites shown using current filter").arg(shown).arg(total);
  };
  QCOMPARE(sites->CountLabel()->text(), counts(enabled));

  // The filter is used and a search word typed; Enter applies it.
  TSiteFilterPanel* panel = sites->FilterPanel();
  panel->findChild<QCheckBox*>("cbUseFilter")->setChecked(true);
  std::string word = AnsiLowerCase(SiteList().SiteAt(0)->Name());
  word = word.substr(0, word.find(' '));
  int expected = 0;
  for (int i = 0; i < total; ++i) {
    const TWebSite* s = SiteList().SiteAt(i);
    if (!s->IsDisabled() && s->summary.search_text.find(word) != std::string::npos) ++expected;
  }
  QVERIFY(expected > 0 && expected < enabled);
  auto* search = panel->findChild<QLineEdit*>("edSearch");
  search->setText(ToQString(word));
  QTest::keyClick(search, Qt::Key_Return);
  QCOMPARE(sites->Model()->rowCount(), expected);
  QCOMPARE(sites->CountLabel()->text(), counts(expected));
  QCOMPARE(QString::fromStdString(SiteFilter().SearchText), ToQString(word));

  // Off again: every enabled site. Then a custom set: an unticked site is hidden with
  // "Hide unchecked".
  panel->findChild<QCheckBox*>("cbUseFilter")->setChecked(false);
  panel->findChild<QPushButton*>("btnFilterApply")->click();
  QCOMPARE(sites->Model()->rowCount(), enabled);
  QString asked;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* dialog = qobject_cast<QInputDialog*>(w);
    if (!dialog) return;
    asked = dialog->windowTitle();
    dialog->setTextValue("Not now");
    dialog->accept();
  });
  panel->findChild<QPushButton*>("btnSetNew")->click();
  QCOMPARE(asked, QString("New set name"));
  QCOMPARE(panel->findChild<QComboBox*>("cbCustomSet")->currentText(), QString("Not now"));
  TSitesModel* model = sites->Model();
  const QModelIndex second = model->index(1, 0);
  QCOMPARE(model->data(second, Qt::CheckStateRole).toInt(), int(Qt::Checked));
  const std::string unticked = model->SiteAt(1)->UIN();
  QVERIFY(model->setData(second, Qt::Unchecked, Qt::CheckStateRole));
  QVERIFY(CustomSets().FindSet("Not now")->Contains(unticked));
  panel->findChild<QCheckBox*>("cbHideUnchecked")->setChecked(true);
  QCOMPARE(model->rowCount(), enabled - 1);
  QCOMPARE(model->RowOf(SiteList().FindByUIN(unticked)), -1);
  QCOMPARE(sites->CountLabel()->text(), counts(enabled - 1));
}

void SitesViewTest::EnterOpensTheSiteInTheSubmitter() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  TfraSites* sites = ShowSites(session);
  QVERIFY(sites);
  QTableView* grid = sites->Grid();
  const int row = sites->Model()->rowCount() - 1;
  TWebSite* site = sites->Model()->SiteAt(row);
  grid->setFocus();
  grid->setCurrentIndex(sites->Model()->index(row, 0));
  QCOMPARE(sites->CurrentSite(), site);
  QCOMPARE(QString::fromStdString(Settings().GetString("Current site")),
           QString::fromStdString(site->UIN()));
  QTest::keyClick(grid, Qt::Key_Return);
  QCOMPARE(session.MainWindow()->PageControl()->currentIndex(), int(TfrmMain::kSubmitter));
  QCOMPARE(session.MainWindow()->Submitter()->CurrentSite(), site);
  // The submitter's Next follows the grid's order.
  QCOMPARE(sites->NextSiteUIN(sites->Model()->SiteAt(0), true), sites->Model()->SiteAt(1)->UIN());
}

void SitesViewTest::DeleteAsksAndRemovesTheFile() {
  quillora::test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  TfraSites* sites = ShowSites(session);
  QVERIFY(sites);
  const int total = SiteList().Count();
  const int rows = sites->Model()->rowCount();
  sites->Grid()->setCurrentIndex(sites->Model()->index(0, 0));
  TWebSite* site = sites->CurrentSite();
  QVERIFY(site);
  const std::string file = site->FileName;
  const std::string uin = site->UIN();
  QVERIFY(FileExists(file));
  // Keys typed into a filter field belong to the field: Del edits the text, Ins adds no site.
  auto* search = sites->FilterPanel()->findChild<QLineEdit*>("edSearch");
  QVERIFY(search);
  search->setEnabled(true);
  // Shortcuts need an active window.
  sites->window()->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(sites->window()));
  search->setText("abc");
  search->setFocus();
  search->setCursorPosition(0);
  QString asked;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    asked = w->objectName() + " appeared";
    if (auto* dialog = qobject_cast<QDialog*>(w))
      dialog->reject();
    else
      w->close();
  });
  // Through the window, as the platform delivers keys: that is where shortcuts are matched.
  QTRY_VERIFY_WITH_TIMEOUT(search->hasFocus(), 3000);
  QTest::keyClick(search->window()->windowHandle(), Qt::Key_Delete);
  QTest::keyClick(search->window()->windowHandle(), Qt::Key_Insert);
  QTest::qWait(100);
  QCOMPARE(search->text(), QString("bc"));
  QVERIFY2(asked.isEmpty(), qPrintable(asked));
  quillora::test::ForgetUnansweredDialogs();
  QVERIFY(FileExists(file));
  // No keeps the site; Yes deletes its file and its row.
  for (const bool yes : {false, true}) {
    QString question;
    quillora::test::AnswerNextDialog([&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box) return;
      question = box->text();
      box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    sites->DeleteFocused();
    QVERIFY2(question.endsWith("Are you sure you wish to delete this site?"), qPrintable(question));
    QCOMPARE(FileExists(file), !yes);
    QCOMPARE(SiteList().Count(), yes ? total - 1 : total);
    QCOMPARE(sites->Model()->rowCount(), yes ? rows - 1 : rows);
  }
  QVERIFY(SiteList().FindByUIN(uin) == nullptr);
}

void SitesViewTest::HostileSiteTextsAreShownEscaped() {
  quillora::test::TestData data;
  // A site from the shared repository whose texts carry markup and script.
  {
    TWebSite site;
    site.Info.CommonInfo().SetString("Name", "<script>document.title='owned'</script><b>Bold</b>");
    site.Info.CommonInfo().SetString("Contributor Name", "<img src=x onerror=alert(1)>");
    site.Info.CommonInfo().SetString("Comments", "<iframe src='http://127.0.0.1:1/'></iframe>");
    site.Info.URLs.Home().SetAddress("javascript:alert(1)\"><script>x()</script>");
    QVERIFY(site.SaveSiteFile(data.DataDir() + "Sites/hostile.wsd", false));
  }
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  TfraSites* sites = ShowSites(session);
  QVERIFY(sites);
  TWebSite* hostile = nullptr;
  for (int i = 0; i < SiteList().Count(); ++i)
    if (SiteList().SiteAt(i)->Name().rfind("<script>", 0) == 0) hostile = SiteList().SiteAt(i);
  QVERIFY(hostile);
  QVERIFY(sites->FocusSite(hostile));
  QString html;
  QTRY_VERIFY_WITH_TIMEOUT((html = InfoHtml(sites->InfoView())).contains("Bold"), 10000);
  QVERIFY(html.contains("&lt;script&gt;document.title="));
  QVERIFY(html.contains("&lt;b&gt;Bold&lt;/b&gt;"));
  QVERIFY(html.contains("&lt;img src=x onerror=alert(1)&gt;"));
  QVERIFY(html.contains("&lt;iframe src="));
  // Escaped once: a user reads the text as the site wrote it.
  QVERIFY(!html.contains("&amp;lt;"));
  // The page holds no element that came from the site's texts (an attribute may hold the
  // characters, as text).
  QVariant elements;
  bool counted = false;
  sites->InfoView()->page()->runJavaScript(
      "document.querySelectorAll('script, img, iframe, embed, object').length + "
      "[...document.querySelectorAll('b')].filter(e => e.textContent == 'Bold').length",
      QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
        elements = v;
        counted = true;
      });
  QTRY_VERIFY_WITH_TIMEOUT(counted, 10000);
  QCOMPARE(elements.toInt(), 0);
  QVERIFY(sites->InfoView()->title() != "owned");
  QVERIFY(
      !sites->InfoView()->page()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
  // The grid shows the name as plain text.
  const int row = sites->Model()->RowOf(hostile);
  QCOMPARE(sites->Model()->data(sites->Model()->index(row, 0), Qt::DisplayRole).toString(),
           QString("<script>document.title='owned'</script><b>Bold</b>"));
}

void SitesViewTest::PanelLinksAreRouted() {
  const struct {
    const char* url;
    const char* base;
    TPanelLink::Kind kind;
    const char* target;
    const char* base_after;
  } cases[] = {
      {"", "", TPanelLink::kAllow, "", ""},
      {"about:blank", "", TPanelLink::kAllow, "", ""},
      {"about:blankitem.html", "", TPanelLink::kCancel, "", ""},
      // A base naming a file is cut back to its folder first.
      {"about:blankitem.html", "http://example/dir/find.php?q=x", TPanelLink::kOpenInSubmitter,
       "http://example/dir/item.html", "http://example/dir"},
      {"about:blankitem.html", "http://example/search?q=x", TPanelLink::kOpenInSubmitter,
       "http://example/search?q=x/item.html", "http://example/search?q=x"},
      {"JavaScript:alert(1)", "", TPanelLink::kCancel, "", ""},
      {"http://site.example/page", "", TPanelLink::kOpenInSubmitter, "http://site.example/page",
       ""},
      {"mailto:someone@example.com", "", TPanelLink::kOpenWithShell, "mailto:someone@example.com",
       ""},
  };
  for (const auto& c : cases) {
    std::string base = c.base;
    const TPanelLink link = RoutePanelLink(c.url, base);
    QVERIFY2(link.kind == c.kind, c.url);
    if (c.kind == TPanelLink::kOpenInSubmitter || c.kind == TPanelLink::kOpenWithShell)
      QCOMPARE(QString::fromStdString(link.url), QString(c.target));
    QCOMPARE(QString::fromStdString(base), QString(c.base_after));
  }
}

QTEST_MAIN(SitesViewTest)
#include "sites_view_test.moc"
