// The preferences dialog, the PAD check dialog, the ratings exchange and the editors' per-site
// pages on the real windows of a desktop session over a copy of the shipped data.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>
#include <functional>
#include <iterator>

#include "app/main_window.h"
#include "app/preferences/admin_mode.h"
#include "app/preferences/preferences_dialog.h"
#include "app/products/check_pad_dialog.h"
#include "app/products/company_editor.h"
#include "app/products/product_editor.h"
#include "app/products/product_manager.h"
#include "app/products/site_values_page.h"
#include "app/products/upload_pad_dialog.h"
#include "app/qt_user_interface.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "desktop_fixture.h"
#include "dialog_script.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "pad/records.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::app;

namespace {

struct Desktop : quillora::test::TDesktop {
  TfraProductMan* Products() const { return Main()->Products(); }
};

void ClickButton(QWidget* w, QMessageBox::StandardButton which) {
  if (auto* box = qobject_cast<QMessageBox*>(w))
    box->button(which)->click();
  else
    w->close();
}

// Types path into a file dialog and accepts it; any other window is closed.
std::function<void(QWidget*)> ChooseFile(const QString& path) {
  return [path](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    if (!dialog) {
      w->close();
      return;
    }
    if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit"))
      name->setText(path);
    else
      dialog->selectFile(path);
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
  };
}

bool PageChecked(QListWidget* list, const QString& caption) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text() == caption) return list->item(i)->checkState() == Qt::Checked;
  return false;
}

void SetPageChecked(QListWidget* list, const QString& caption, bool on) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text() == caption)
      list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

int TabIndex(QTabWidget* pages, const QString& caption) {
  for (int i = 0; i < pages->count(); ++i)
    if (pages->tabText(i) == caption) return i;
  return -1;
}

}  // namespace

class PreferencesTest : public QObject {
  Q_OBJECT
 private slots:
  void SaveKeepsAndOtherClosesDiscard_data();
  void SaveKeepsAndOtherClosesDiscard();
  void OpensOnTheMenuEntrysPage();
  void PassPhraseUnlocksTheEditorsAdminFields();
  void CheckPadOnTheSampleProductShowsItsVerdict();
  void RatingsExportThenImportRoundTrips();
  void AccountsPageAppendsAndEditsLogins();
  void UploadRetriesUntilTheTransferSucceeds();
};

void PreferencesTest::SaveKeepsAndOtherClosesDiscard_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<bool>("kept");
  QTest::newRow("Save") << "save" << true;
  QTest::newRow("Cancel") << "cancel" << false;
  QTest::newRow("Escape") << "escape" << false;
  QTest::newRow("close box, Yes") << "close-yes" << true;
  QTest::newRow("close box, No") << "close-no" << false;
}

void PreferencesTest::SaveKeepsAndOtherClosesDiscard() {
  QFETCH(QString, how);
  QFETCH(bool, kept);
  Desktop d;
  QVERIFY(d.Start());
  Settings().SetBool("Automatically backup", true);
  Settings().SetString("Automatically backup directory", "/tmp/archive.uibk");
  Settings().SetString("Font Style", "3");
  TfrmMain* main = d.Main();
  TdlgOptions* options = main->Preferences();
  QSignalSpy changed(main, &TfrmMain::preferencesChanged);
  bool answered = false;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    answered = w == options;
    if (!answered) {
      w->close();
      return;
    }
    options->findChild<QCheckBox*>("cbSkipImages")->setChecked(true);
    options->findChild<QCheckBox*>("cbAutoBackup")->setChecked(false);
    options->findChild<QLineEdit*>("edtRepository")->setText("http://elsewhere.localhost/");
    options->findChild<QRadioButton*>("rbCreateEml")->setChecked(true);
    options->SetColors(1, Qt::red, QColor(0x11, 0x22, 0x33));
    SetPageChecked(options->ProductPages(), "Simtel", false);
    if (how == "save") {
      options->findChild<QPushButton*>("btnSave")->click();
    } else if (how == "cancel") {
      options->findChild<QPushButton*>("btnCancel")->click();
    } else if (how == "escape") {
      QTest::keyClick(options, Qt::Key_Escape);
    } else {
      quillora::test::AnswerNextDialog([&](QWidget* q) {
        ClickButton(q, how == "close-yes" ? QMessageBox::Yes : QMessageBox::No);
      });
      options->close();
    }
  });
  main->findChild<QAction*>("actOptionsSiteList")->trigger();
  QVERIFY(answered);
  QCOMPARE(changed.count(), kept ? 1 : 0);
  QCOMPARE(Settings().GetBool("Skip Images"), kept);
  QCOMPARE(Settings().GetBool("Automatically backup"), !kept);
  // Switched off, the archive's name goes with it.
  QCOMPARE(Settings().GetString("Automatically backup directory"),
           std::string(kept ? "" : "/tmp/archive.uibk"));
  QCOMPARE(Settings().GetString("Sites Repository") == "http://elsewhere.localhost/", kept);
  QCOMPARE(Settings().GetBool("Use MAPI"), !kept);
  QCOMPARE(Settings().GetString("Color Found") == "FF0000", kept);
  QCOMPARE(Settings().GetString("BgColor Found") == "112233", kept);
  QCOMPARE(Settings().GetBool("Product_Editor Tab Simtel"), !kept);
  QTabWidget* editor_pages = d.Products()->ProductEditor()->Pages();
  QCOMPARE(editor_pages->isTabVisible(TabIndex(editor_pages, "Simtel")), !kept);
  // Unchanged values are written back as they were loaded.
  QCOMPARE(Settings().GetString("Font Style"), std::string("3"));
}

void PreferencesTest::OpensOnTheMenuEntrysPage() {
  Desktop d;
  QVERIFY(d.Start());
  TfrmMain* main = d.Main();
  const char* entries[] = {"actOptionsSiteList", "actOptionsEMail", "actOptionsColors",
                           "actOptionsSubmitter", "actOptionsPADEditors"};
  for (int page = 0; page < 5; ++page) {
    int shown = -1;
    bool first_locked = false;
    quillora::test::AnswerNextDialog([&](QWidget* w) {
      auto* options = qobject_cast<TdlgOptions*>(w);
      if (options) {
        shown = options->Pages()->currentIndex();
        // The first page of each editor cannot be switched off.
        first_locked = !(options->CompanyPages()->item(0)->flags() & Qt::ItemIsUserCheckable) &&
                       PageChecked(options->ProductPages(), "Program Info I");
      }
      w->close();
    });
    quillora::test::AnswerNextDialog([](QWidget* q) { ClickButton(q, QMessageBox::No); });
    main->findChild<QAction*>(entries[page])->trigger();
    QCOMPARE(shown, page);
    QVERIFY(first_locked);
  }
}

void PreferencesTest::PassPhraseUnlocksTheEditorsAdminFields() {
  Desktop d;
  QVERIFY(d.Start());
  SetAdminMode(false);
  TdlgOptions* options = d.Main()->Preferences();
  QStringList messages;
  // expect_message: the "Admin mode" box is due (a watcher left waiting would catch the next
  // dialog instead).
  auto type_phrase = [&](const QString& phrase, bool expect_message) {
    quillora::test::AnswerNextDialog([&, phrase](QWidget* w) {
      if (w != options) {
        w->close();
        return;
      }
      auto* repository = options->findChild<QLineEdit*>("edtRepository");
      repository->setFocus();
      if (expect_message)
        quillora::test::AnswerNextDialog([&](QWidget* box) {
          if (auto* m = qobject_cast<QMessageBox*>(box)) messages << m->text();
          box->close();
        });
      QTest::keyClicks(repository, phrase);
      options->findChild<QPushButton*>("btnCancel")->click();
    });
    options->Show(TdlgOptions::kSiteList);
  };
  type_phrase("Lift the rXd flap", false);
  QVERIFY(!AdminMode());
  QVERIFY(messages.isEmpty());
  type_phrase("Lift the red flap", true);
  QVERIFY(AdminMode());
  QCOMPARE(messages, QStringList{"Admin mode"});

  TfraProductMan* pm = d.Products();
  bool unlocked = false;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* editor = qobject_cast<TfrmProductEditor*>(w);
    unlocked = editor && !editor->findChild<QLineEdit*>("edtUIN")->isReadOnly() &&
               editor->ImportButton()->isVisible() && editor->ExportButton()->isVisible();
    if (editor)
      editor->findChild<QPushButton*>("btnCancel")->click();
    else
      w->close();
  });
  pm->Run("actProductEdit");
  QVERIFY(unlocked);
  SetAdminMode(false);
}

void PreferencesTest::CheckPadOnTheSampleProductShowsItsVerdict() {
  Desktop d;
  QVERIFY(d.Start());
  TdlgCheckPAD* check = d.Products()->CheckDialog();
  // The main download is not fetched: the answer No counts it as fine.
  quillora::test::AnswerNextDialog([](QWidget* w) { ClickButton(w, QMessageBox::No); });
  check->Start();
  const auto& lines = check->Lines();
  QVERIFY(!lines.empty());
  auto has = [&](TPadLogColor color, const std::string& text) {
    for (const TPadLogLine& line : lines)
      if (line.color == color && line.text == text) return true;
    return false;
  };
  QVERIFY(has(TPadLogColor::Normal, "Checking Program_Info/Program_Name... OK"));
  QVERIFY(has(TPadLogColor::Normal, "Checking Web_Info/Download_URLs/Primary_Download_URL... OK"));
  // The log shows every line, errors in red.
  const QString log = check->Log()->toPlainText();
  QCOMPARE(log.split('\n').size(), static_cast<int>(lines.size()));
  QVERIFY(log.contains("Checking Program_Info/Program_Name... OK"));
  QVERIFY(check->Log()->toHtml().contains("#ff0000") ==
          std::any_of(lines.begin(), lines.end(),
                      [](const TPadLogLine& l) { return l.color == TPadLogColor::Error; }));
}

void PreferencesTest::RatingsExportThenImportRoundTrips() {
  Desktop d;
  QVERIFY(d.Start());
  QVERIFY(SiteList().Count() > 1);
  TWebSite* site = SiteList().SiteAt(0);
  const std::string rating = site->Info.Value("Common info", "Rating");
  const QString file = QString::fromStdString(d.data.UserDir()) + "Ratings.dat";
  quillora::test::AnswerNextDialog(ChooseFile(file));
  d.Main()->findChild<QAction*>("actExportRating")->trigger();
  QVERIFY(FileExists(file.toStdString()));
  QCOMPARE(Settings().GetString("Rating_Export_Path"), d.data.UserDir());

  site->Info.CommonInfo().SetString("Rating", "1");
  quillora::test::AnswerNextDialog(ChooseFile(file));
  d.Main()->findChild<QAction*>("actImportRating")->trigger();
  QCOMPARE(site->Info.Value("Common info", "Rating"), rating);
  // The site file has it too.
  TWebSite reread;
  reread.LoadSiteFile(site->FileName);
  QCOMPARE(reread.Info.Value("Common info", "Rating"), rating);
}

void PreferencesTest::AccountsPageAppendsAndEditsLogins() {
  Desktop d;
  QVERIFY(d.Start());
  QVERIFY(SiteListReady() && SiteList().Count() > 1);
  const std::string uin = SiteList().SiteAt(1)->UIN();
  TfraProductMan* pm = d.Products();
  TCompany* company = pm->SelectedCompany();
  QVERIFY(company);
  const std::string company_uin = company->Uin();
  // The sample company warns before its editor opens: OK, then the editor.
  std::function<void(QWidget*)> answer = [&](QWidget* w) {
    auto* editor = qobject_cast<TfrmCompanyEditor*>(w);
    if (!editor) {
      quillora::test::AnswerNextDialog(answer);
      ClickButton(w, QMessageBox::Ok);
      return;
    }
    editor->Pages()->setCurrentIndex(TabIndex(editor->Pages(), "Accounts"));
    TSiteValuesPage* page = editor->SitePage("Accounts");
    QVERIFY(editor->AppendButton()->isVisible());
    editor->AppendButton()->click();
    page->SiteChoice()->setCurrentIndex(
        page->SiteChoice()->findText(QString::fromStdString(uin) + ":", Qt::MatchStartsWith));
    page->ValueEdit()->setText("me");
    page->PasswordEdit()->setText("secret");
    page->CommitPanel();
    QCOMPARE(page->List()->topLevelItemCount() > 0, true);
    // Leaving the page writes the lists; Save keeps them.
    editor->Pages()->setCurrentIndex(0);
    QVERIFY(!editor->AppendButton()->isVisible());
    editor->findChild<QPushButton*>("btnSave")->click();
  };
  quillora::test::AnswerNextDialog(answer);
  pm->Run("actCompanyEdit");
  auto files = std::make_unique<TCompanyList>();
  files->Folder = Folders().companies;
  files->LoadAll();
  const TCompany* saved = files->FindByUin(company_uin);
  QVERIFY(saved);
  QCOMPARE(saved->SiteLogins.GetString(uin), std::string("me"));
  QCOMPARE(saved->SitePasswords.GetString(uin), std::string("secret"));
}

void PreferencesTest::UploadRetriesUntilTheTransferSucceeds() {
  Desktop d;
  QVERIFY(d.Start());
  TfraProductMan* pm = d.Products();
  TProduct* product = pm->SelectedProduct();
  QVERIFY(product);
  product->SetString("Web_Info/Application_URLs/Application_XML_File_URL",
                     "ftp://pad.example.localhost/files/tool.xml");
  product->SetString("Quillora/FTP_UserName", "author");
  product->SetString("Quillora/FTP_DocRoot", "");
  TdlgUploadXML* dialog = pm->UploadDialog();
  std::vector<std::string> calls;
  std::string sent;
  dialog->SetUploadFunction([&](const std::string& url, const std::string& file,
                                const std::string& user, const std::string& password, bool) {
    calls.push_back(url + " " + user + " " + password);
    if (password != "right") return std::string("Access denied");
    std::ifstream in(file, std::ios::binary);
    sent.assign(std::istreambuf_iterator<char>(in), {});
    return std::string();
  });
  QStringList messages;
  auto note = [&](QWidget* w) {
    if (auto* m = qobject_cast<QMessageBox*>(w)) messages << m->text();
    w->close();
  };
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    if (w != dialog) {
      w->close();
      return;
    }
    QCOMPARE(dialog->Host()->text(), QString("pad.example.localhost"));
    QCOMPARE(dialog->FullAddress()->text(),
             QString("ftp://pad.example.localhost/public_html/files/tool.xml"));
    // The address follows its parts.
    dialog->DocRoot()->setText("/www");
    QCOMPARE(dialog->FullAddress()->text(),
             QString("ftp://pad.example.localhost/www/files/tool.xml"));
    dialog->Password()->setText("wrong");
    quillora::test::AnswerNextDialog(note);
    dialog->findChild<QPushButton*>("btnUpload")->click();
    // A failure leaves the form open for another try.
    QVERIFY(dialog->isVisible());
    dialog->Password()->setText("right");
    quillora::test::AnswerNextDialog(note);
    dialog->findChild<QPushButton*>("btnUpload")->click();
  });
  pm->Run("actUpload");
  QCOMPARE(calls.size(), size_t(2));
  QCOMPARE(calls.back(),
           std::string("ftp://pad.example.localhost/www/files/tool.xml author right"));
  QCOMPARE(messages, (QStringList{"Access denied", "Upload complete."}));
  QVERIFY(sent.find("<XML_DIZ_INFO>") != std::string::npos);
  QCOMPARE(product->GetString("Quillora/FTP_DocRoot"), std::string("/www"));
  // The temporary PAD file is gone.
  QVERIFY(!FileExists(Folders().temp + "pad_file.xml"));
}

QTEST_MAIN(PreferencesTest)
#include "preferences_test.moc"
