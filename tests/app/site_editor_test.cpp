// The site editor, the address and form editors and the selected-sites dialog over a copy of the
// shipped demo sites: every kind of field reaches the site file, Cancel leaves the site and its
// file alone, and a change of many sites reaches exactly the chosen ones.
#include "app/site_editor/site_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>
#include <httplib.h>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "app/qt_text.h"
#include "app/qt_user_interface.h"
#include "app/site_editor/address_editor.h"
#include "app/site_editor/form_editor.h"
#include "app/site_editor/screenshot_dialog.h"
#include "app/site_editor/selected_sites_dialog.h"
#include "app/variables_menu.h"
#include "dialog_script.h"
#include "foundation/app_state.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::app;

namespace {

template <typename T>
T* Find(QWidget* dialog, const char* name) {
  T* w = dialog->findChild<T*>(name);
  if (!w) qWarning("no widget %s", name);
  return w;
}

std::unique_ptr<TWebSite> Reread(const std::string& file) {
  auto site = std::make_unique<TWebSite>();
  if (site->LoadSiteFile(file) != slLoaded) return nullptr;
  return site;
}

// The first demo site with a stored form.
TWebSite* SiteWithForms() {
  for (int i = 0; i < SiteList().Count(); ++i)
    if (SiteList().SiteAt(i)->Forms().Count() > 0) return SiteList().SiteAt(i);
  return nullptr;
}

}  // namespace

class SiteEditorTest : public QObject {
  Q_OBJECT
 public:
  static void initMain() {
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  }

 private slots:
  void init() {
    data_ = std::make_unique<quillora::test::TestData>();
    TStartupOptions options = data_->Options();
    options.load_records = true;
    core_ = data_->Start(options);
    QVERIFY(core_);
  }
  void cleanup() {
    core_.reset();
    data_.reset();
  }

  void SaveRoundTripsEveryFieldKindThroughTheFile();
  void CancelLeavesTheSiteAndItsFileAlone();
  void AddressEditorStoresIntoTheChosenPurpose();
  void FormEditorRuleEditorsFollowTheFieldType();
  void SelectedSitesDialogAppliesToExactlyTheChosenSites();
  void VariablesMenuPathsAreTheKeys();
  void StandardMessageFillsSubjectAndBody();
  void ScreenshotBecomesTheCoverAndNamesTheSite();
  void AfterAnUploadOnlySaveClosesTheEditor();
  void ControlPanelPostsTheLoginThroughTheLocalPage();

 private:
  TQtUserInterface ui_;
  std::unique_ptr<quillora::test::TestData> data_;
  std::unique_ptr<TCoreContext> core_;
};

void SiteEditorTest::SaveRoundTripsEveryFieldKindThroughTheFile() {
  TWebSite* site = SiteWithForms();
  QVERIFY(site);
  const std::string old_file = site->FileName;
  const int forms_before = site->Forms().Count();
  bool answered = false;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    if (w->objectName() != "dlgSiteEditor") {
      w->close();
      return;
    }
    Find<QLineEdit>(w, "edName")->setText("Renamed Site");
    Find<QComboBox>(w, "cbMethod")->setCurrentText("PAD");
    Find<QSpinBox>(w, "seRating")->setValue(42);
    Find<QCheckBox>(w, "cbDisabled")->setChecked(true);
    Find<QLineEdit>(w, "edSubstSpace")->setText("+");
    Find<QSpinBox>(w, "seMinMatch")->setValue(-1);
    Find<QCheckBox>(w, "cbAutoSearch")->setChecked(false);
    Find<QComboBox>(w, "cbPopups")->setCurrentIndex(1);
    Find<QComboBox>(w, "cbCategory2")->setCurrentText("Brand New Category");
    Find<QCheckBox>(w, "cbPaymentRequired")->setChecked(true);
    Find<QPlainTextEdit>(w, "memComments")->setPlainText("first line\nsecond line");
    Find<QPlainTextEdit>(w, "memMessageSubmit")->setPlainText("Mind the captcha");
    Find<QLineEdit>(w, "edContributorName")->setText("Jo Contributor");

    // The submit address: typed into the box, then made a POST in the address editor.
    Find<QLineEdit>(w, "edSubmitURL")->setText("http://typed.example/submit");
    quillora::test::AnswerNextDialog([](QWidget* url) {
      if (url->objectName() != "dlgURLEditor") {
        url->close();
        return;
      }
      QCOMPARE(Find<QLineEdit>(url, "edAddress")->text(), QString("http://typed.example/submit"));
      Find<QComboBox>(url, "cbKind")->setCurrentText("Post");
      Find<QPlainTextEdit>(url, "memPostData")->setPlainText("name=|Program_Info/Program_Name|");
      qobject_cast<QDialog*>(url)->accept();
    });
    Find<QPushButton>(w, "btnSubmitURL")->click();

    // The first stored form: its purpose and first rule changed in the form editor.
    quillora::test::AnswerNextDialog([](QWidget* form) {
      if (form->objectName() != "frmFormEditor") {
        form->close();
        return;
      }
      Find<QComboBox>(form, "cbPurpose")->setCurrentText("Login");
      auto* editor = qobject_cast<TfrmFormEditor*>(form);
      for (int i = 0; i < editor->Working().FieldCount(); ++i)
        if (TfrmFormEditor::TypeName(editor->Working().FieldAt(i).FieldType()) == "Text") {
          editor->ChooseRow(i);
          Find<QLineEdit>(form, "edFillWith")->setText("|Company_Info/Company_Name|");
          break;
        }
      Find<QPushButton>(form, "btnSave")->click();
    });
    Find<QPushButton>(w, "btnEditForm")->click();
    answered = true;
    Find<QPushButton>(w, "btnSave")->click();
  });
  QVERIFY(EditSite(nullptr, *site));
  QVERIFY(answered);

  // The file was renamed after the new name; the old one is gone.
  QVERIFY(site->FileName != old_file);
  QVERIFY(!FileExists(old_file));
  auto saved = Reread(site->FileName);
  QVERIFY(saved);
  const TSiteInfo& info = saved->Info;
  const struct {
    const char* section;
    const char* key;
    const char* expected;
  } values[] = {
      {"Common info", "Name", "Renamed Site"},
      {"Common info", "Submit Type", "PAD"},
      {"Common info", "Rating", "42"},
      {"Common info", "Disabled", "TRUE"},
      {"Common info", "Category 2", "Brand New Category"},
      {"Common info", "Payment Required", "TRUE"},
      {"Common info", "Contributor Name", "Jo Contributor"},
      {"SearchOptions", "SubstSpaceWith", "+"},
      {"SearchOptions", "MinMatch", "-1"},
      {"SearchOptions", "AutoSearch", "FALSE"},
      {"AdvancedOptions", "New window processing", "1"},
      {"Popup messages", "Submit", "Mind the captcha"},
  };
  for (const auto& v : values)
    QCOMPARE(QString::fromStdString(info.Value(v.section, v.key)), QString(v.expected));
  // (Reading a site file ends its comments with a line break, as the messages are taken out.)
  QCOMPARE(QString::fromStdString(info.Value("Common info", "Comments")).trimmed(),
           QString("first line\r\nsecond line"));
  TURLInfo submit;
  submit.SetText(saved->Info.URLs.Find("Submit")->Text());
  QCOMPARE(QString::fromStdString(submit.Address()), QString("http://typed.example/submit"));
  QCOMPARE(int(submit.Kind()), int(TURLKind::POST));
  QCOMPARE(QString::fromStdString(submit.PostData()), QString("name=|Program_Info/Program_Name|"));
  QCOMPARE(saved->Forms().Count(), forms_before);
  const TWebForm* form = saved->Forms().FormAt(0);
  QCOMPARE(int(form->Purpose), int(fpLogin));
  QVERIFY(form->LastUpdated > 0);
  bool rule_found = false;
  for (int i = 0; i < form->FieldCount(); ++i)
    rule_found = rule_found || form->FieldAt(i).FillWith() == "|Company_Info/Company_Name|";
  QVERIFY(rule_found);
}

void SiteEditorTest::CancelLeavesTheSiteAndItsFileAlone() {
  TWebSite* site = SiteWithForms();
  QVERIFY(site);
  const std::string file = site->FileName;
  const std::string bytes = FileToString(file);
  const std::string name = site->Name();
  const int forms = site->Forms().Count();
  // The form deleted (after Yes) and the name changed; then Escape.
  quillora::test::AnswerNextDialog([](QWidget* w) {
    if (w->objectName() != "dlgSiteEditor") {
      w->close();
      return;
    }
    Find<QLineEdit>(w, "edName")->setText("Not Kept");
    quillora::test::AnswerNextDialog([](QWidget* box) {
      if (auto* m = qobject_cast<QMessageBox*>(box))
        m->button(QMessageBox::Yes)->click();
      else
        box->close();
    });
    Find<QPushButton>(w, "btnDeleteForm")->click();
    QCOMPARE(Find<QTreeWidget>(w, "lvForms")->topLevelItemCount(),
             qobject_cast<TdlgSiteEditor*>(w)->Working().Forms().Count());
    QTest::keyClick(w, Qt::Key_Escape);
  });
  QVERIFY(!EditSite(nullptr, *site));
  QCOMPARE(QString::fromStdString(site->Name()), QString::fromStdString(name));
  QCOMPARE(site->Forms().Count(), forms);
  QCOMPARE(site->FileName, file);
  QVERIFY(FileToString(file) == bytes);
}

// Purpose 0 with a captured request: switched to "Submit", the request lands there and the
// search address is left as it was.
void SiteEditorTest::AddressEditorStoresIntoTheChosenPurpose() {
  TURLCollection urls;
  urls.Search().SetAddress("http://site.example/search");
  TURLInfo captured;
  captured.SetAddress("http://site.example/find");
  captured.SetKind(TURLKind::GET);
  captured.SetQuery("q=|Quillora/Search_String|");
  quillora::test::AnswerNextDialog([](QWidget* w) {
    if (w->objectName() != "dlgURLEditor") {
      w->close();
      return;
    }
    auto* purpose = Find<QComboBox>(w, "cbPurpose");
    QVERIFY(purpose->isEnabled());
    QCOMPARE(purpose->currentText(), QString("Search"));
    // A GET shows its query and hides the POST and mail fields.
    QVERIFY(!Find<QLineEdit>(w, "edQuery")->isHidden());
    QVERIFY(Find<QPlainTextEdit>(w, "memPostData")->isHidden());
    QVERIFY(Find<QPushButton>(w, "btnStandard")->isHidden());
    purpose->setCurrentText("Submit");
    qobject_cast<QDialog*>(w)->accept();
  });
  QVERIFY(EditAddress(nullptr, urls, 0, &captured));
  QCOMPARE(QString::fromStdString(urls.Submit().Address()), QString("http://site.example/find"));
  QCOMPARE(int(urls.Submit().Kind()), int(TURLKind::GET));
  QCOMPARE(QString::fromStdString(urls.Submit().Query()), QString("q=|Quillora/Search_String|"));
  QCOMPARE(QString::fromStdString(urls.Search().Address()), QString("http://site.example/search"));
  QCOMPARE(QString::fromStdString(captured.Address()), QString("http://site.example/find"));
}

void SiteEditorTest::FormEditorRuleEditorsFollowTheFieldType() {
  TWebForm form;
  const struct {
    int type;
    const char* rule;
    int editor;  // 0 text, 1 box, 2 choice, 3 none
    const char* type_name;
  } fields[] = {
      {ftText, "|Program_Info/Program_Name|", 0, "Text"},
      {ftCheck, "yes", 1, "Check"},
      {ftList, "Utilities", 2, "List"},
      {ftButton, "", 3, "Button"},
      {ftPassword, "|Company_Password|", 0, "Text"},
      {ftHidden, "", 0, "Hidden"},
  };
  for (const auto& f : fields) {
    TFormField& field = form.AddField();
    field.SetFieldName("f" + std::to_string(f.type));
    field.SetFieldType(f.type);
    field.SetFillWith(f.rule);
    if (f.type == ftList) field.SetString("Field Options", "Games,Utilities");
  }
  TfrmFormEditor editor(form);
  auto* stack = editor.findChild<QStackedWidget*>();
  auto* list = Find<QTreeWidget>(&editor, "lvFields");
  for (int i = 0; i < int(std::size(fields)); ++i) {
    editor.ChooseRow(i);
    QCOMPARE(stack->currentIndex(), fields[i].editor);
    QCOMPARE(list->topLevelItem(i)->text(5), QString(fields[i].type_name));
  }
  // "yes" is neither TRUE nor FALSE: grey; ticking it stores TRUE.
  editor.ChooseRow(1);
  auto* box = Find<QCheckBox>(&editor, "cbFillCheck");
  QCOMPARE(box->checkState(), Qt::PartiallyChecked);
  box->click();
  QCOMPARE(QString::fromStdString(editor.Working().FieldAt(1).FillWith()), QString("TRUE"));
  // The list offers the field's options.
  editor.ChooseRow(2);
  auto* choice = Find<QComboBox>(&editor, "cbFillChoice");
  QCOMPARE(choice->count(), 2);
  choice->setCurrentIndex(0);
  // Ignoring a field disables its rule editor.
  editor.ChooseRow(0);
  Find<QCheckBox>(&editor, "cbIgnore")->click();
  QVERIFY(!stack->isEnabled());
  // Nothing reaches the form before "Save".
  QCOMPARE(QString::fromStdString(form.FieldAt(1).FillWith()), QString("yes"));
  editor.StoreInto(form);
  QCOMPARE(QString::fromStdString(form.FieldAt(1).FillWith()), QString("TRUE"));
  QCOMPARE(QString::fromStdString(form.FieldAt(2).FillWith()), QString("Games"));
  QVERIFY(form.FieldAt(0).IsIgnored());
  QVERIFY(form.LastUpdated > 0);
}

void SiteEditorTest::SelectedSitesDialogAppliesToExactlyTheChosenSites() {
  QVERIFY(SiteList().Count() >= 4);
  std::vector<TWebSite*> chosen = {SiteList().SiteAt(3), SiteList().SiteAt(1)};
  TWebSite* other = SiteList().SiteAt(0);
  const std::string other_bytes = FileToString(other->FileName);
  TCustomSet* set = CustomSets().NewSet("Picked");
  for (TWebSite* s : chosen) set->Add(s->UIN());
  set->Add(other->UIN());
  ActiveProfile().StatusOverride.SetString(other->UIN(), "Skipped");
  quillora::test::AnswerNextDialog([](QWidget* w) {
    if (w->objectName() != "frmAllSitesProperties") {
      w->close();
      return;
    }
    QVERIFY(!Find<QCheckBox>(w, "cbCustomSet")->isHidden());
    Find<QComboBox>(w, "cbCategory2")->setEditText("Chosen Category");
    Find<QCheckBox>(w, "cbDisabled")->setCheckState(Qt::Checked);
    Find<QCheckBox>(w, "cbCustomSet")->setCheckState(Qt::Checked);
    Find<QLineEdit>(w, "edVersionListed")->setText("9.9");
    Find<QPushButton>(w, "btnApply")->click();
  });
  QVERIFY(EditSelectedSites(nullptr, chosen, {"Games"}, set, "Picked"));
  for (TWebSite* s : chosen) {
    auto saved = Reread(s->FileName);
    QVERIFY(saved);
    QCOMPARE(QString::fromStdString(saved->Info.Value("Common info", "Category 2")),
             QString("Chosen Category"));
    QVERIFY(saved->IsDisabled());
    QVERIFY(!set->Contains(s->UIN()));
    QCOMPARE(QString::fromStdString(ActiveProfile().VersionListed.GetString(s->UIN())),
             QString("9.9"));
  }
  QVERIFY(FileToString(other->FileName) == other_bytes);
  QVERIFY(set->Contains(other->UIN()));
  QVERIFY(ActiveProfile().VersionListed.GetString(other->UIN()).empty());
  QCOMPARE(QString::fromStdString(ActiveProfile().StatusOverride.GetString(other->UIN())),
           QString("Skipped"));
}

void SiteEditorTest::VariablesMenuPathsAreTheKeys() {
  QMenu menu;
  QStringList chosen;
  BuildVariablesMenu(&menu, true, [&](const QString& path) { chosen << path; });
  // Walk to "Program Info" / "Program Name" and trigger it.
  QMenu* info = nullptr;
  for (QAction* a : menu.actions())
    if (a->menu() && a->text() == "Program Info") info = a->menu();
  QVERIFY(info);
  QAction* name = nullptr;
  for (QAction* a : info->actions())
    if (a->text() == "Program Name") name = a;
  QVERIFY(name);
  QCOMPARE(VariablePath(name), QString("Program_Info/Program_Name"));
  name->trigger();
  QCOMPARE(chosen, QStringList{"Program_Info/Program_Name"});
  // Favourites come first and drop their own caption from the path.
  QCOMPARE(menu.actions().first()->text(), QString("Favorites"));
  QAction* favorite = menu.actions().first()->menu()->actions().first();
  QVERIFY(!VariablePath(favorite).startsWith("Favorites"));
}

// "Standard" on a mail address: the first line of "stdemail.dat" is the subject, the rest the
// body; over existing text only after a Yes.
void SiteEditorTest::StandardMessageFillsSubjectAndBody() {
  StringToFile(Folders().data + "stdemail.dat",
               "Subject |Program_Info/Program_Name|\r\nLine 1\r\n");
  TURLInfo mail;
  mail.SetKind(TURLKind::MAIL);
  TdlgURLEditor editor(3, mail);
  QVERIFY(!Find<QPushButton>(&editor, "btnStandard")->isHidden());
  QVERIFY(Find<QLineEdit>(&editor, "edQuery")->isHidden());
  editor.LoadStandardMessage();
  TURLInfo stored;
  editor.StoreInto(stored);
  QCOMPARE(QString::fromStdString(stored.EmailSubject()),
           QString("Subject |Program_Info/Program_Name|"));
  QCOMPARE(QString::fromStdString(stored.EmailBody()), QString("Line 1\r\n"));
  QCOMPARE(int(stored.Kind()), int(TURLKind::MAIL));

  Find<QLineEdit>(&editor, "edEmailSubj")->setText("kept");
  quillora::test::AnswerNextDialog([](QWidget* box) {
    if (auto* m = qobject_cast<QMessageBox*>(box))
      m->button(QMessageBox::No)->click();
    else
      box->close();
  });
  editor.LoadStandardMessage();
  QCOMPARE(Find<QLineEdit>(&editor, "edEmailSubj")->text(), QString("kept"));
}

// The dialog shows the home page; "OK" makes a 160 x 120 cover of it, and a site without a name
// takes the page's title.
void SiteEditorTest::ScreenshotBecomesTheCoverAndNamesTheSite() {
  const std::string page = data_->Dir() / "home.html";
  StringToFile(page,
               "<html><head><title>Red Page</title></head>"
               "<body style='margin:0;background:#ff0000'></body></html>");
  TWebSite site;
  site.Info.URLs.Home().SetAddress("file://" + page);
  quillora::test::AnswerNextDialog([](QWidget* w) {
    auto* dialog = qobject_cast<TdlgScreenshot*>(w);
    if (!dialog) {
      w->close();
      return;
    }
    // Once painted, the page is red all over.
    QTRY_VERIFY_WITH_TIMEOUT(dialog->Capture().pixelColor(320, 240) == QColor(255, 0, 0), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(dialog->PageTitle(), QString("Red Page"), 5000);
    dialog->accept();
  });
  QVERIFY(TakeScreenshot(nullptr, site));
  const TImage24 cover = site.GetCoverPicture();
  QCOMPARE(cover.width, 160);
  QCOMPARE(cover.height, 120);
  const uint8_t* centre = cover.Pixel(80, 60);
  QVERIFY2(centre[0] > 230 && centre[1] < 30 && centre[2] < 30, "the cover is the red page");
  QCOMPARE(QString::fromStdString(site.Name()), QString("Red Page"));
}

// A successful upload: the contributor settings keep the login, Cancel and Escape no longer close
// the editor, and "Save" keeps the "Last contributed" that the uploaded copy carries.
void SiteEditorTest::AfterAnUploadOnlySaveClosesTheEditor() {
  httplib::Server server;
  server.set_read_timeout(5, 0);
  std::mutex mutex;
  std::string posted;
  // Read through a content reader: the library refuses form bodies beyond 8 kB otherwise.
  server.Post("/sites/putsite.php", [&](const httplib::Request&, httplib::Response& res,
                                        const httplib::ContentReader& read) {
    std::string body;
    read([&body](const char* data, size_t size) {
      body.append(data, size);
      return true;
    });
    std::lock_guard lock(mutex);
    posted = body;
    res.set_content("", "text/plain");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread thread([&] { server.listen_after_bind(); });
  QTRY_VERIFY_WITH_TIMEOUT(server.is_running(), 5000);
  Settings().SetString("Sites Repository", "http://127.0.0.1:" + std::to_string(port) + "/sites/");
  Settings().SetBool("NEW_UPLOAD", true);

  TWebSite* site = SiteList().SiteAt(0);
  bool cancel_refused = false;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    if (w->objectName() != "dlgSiteEditor") {
      w->close();
      return;
    }
    Find<QLineEdit>(w, "edLogin")->setText("jdoe");
    // The password prompt, then the success message.
    quillora::test::AnswerNextDialog([](QWidget* prompt) {
      auto* input = qobject_cast<QInputDialog*>(prompt);
      if (!input) {
        prompt->close();
        return;
      }
      input->setTextValue("secret");
      // The transfer's own window may come first and goes by itself.
      auto answer = std::make_shared<std::function<void(QWidget*)>>();
      *answer = [answer](QWidget* box) {
        if (auto* m = qobject_cast<QMessageBox*>(box)) {
          if (m->text().contains("successfully"))
            m->button(QMessageBox::Ok)->click();
          else
            m->close();
        } else {
          quillora::test::AnswerNextDialog(*answer);
        }
      };
      quillora::test::AnswerNextDialog(*answer);
      input->accept();
    });
    Find<QPushButton>(w, "btnUpload")->click();
    QVERIFY(!Find<QPushButton>(w, "btnCancel")->isEnabled());
    QTest::keyClick(w, Qt::Key_Escape);
    cancel_refused = w->isVisible();
    Find<QPushButton>(w, "btnSave")->click();
  });
  const bool saved = EditSite(nullptr, *site);
  server.stop();
  thread.join();
  QVERIFY(saved);
  QVERIFY(cancel_refused);
  QCOMPARE(QString::fromStdString(Settings().GetString("Contributor Login")), QString("jdoe"));
  const std::string when = site->Info.Value("Common info", "Last contributed");
  QVERIFY(!when.empty());
  QVERIFY(posted.find("Last+contributed=" + UrlEncodeValue(when)) != std::string::npos ||
          posted.find("Last contributed=" + UrlEncodeValue(when)) != std::string::npos);
  auto reread = Reread(site->FileName);
  QVERIFY(reread);
  QCOMPARE(QString::fromStdString(reread->Info.Value("Common info", "Last contributed")),
           QString::fromStdString(when));
}

// "Control Panel": the local login page gets the login box's text and the typed password (quotes
// and all, as data) and posts them to the panel.
void SiteEditorTest::ControlPanelPostsTheLoginThroughTheLocalPage() {
  httplib::Server server;
  server.set_read_timeout(5, 0);
  std::mutex mutex;
  std::string login, password;
  server.Post("/db/contrib_view.php", [&](const httplib::Request& req, httplib::Response& res) {
    std::lock_guard lock(mutex);
    login = req.get_param_value("Login");
    password = req.get_param_value("Password");
    res.set_content("<html><body>Panel</body></html>", "text/html");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread thread([&] { server.listen_after_bind(); });
  QTRY_VERIFY_WITH_TIMEOUT(server.is_running(), 5000);
  StringToFile(Folders().data + "TML/login.html",
               "<html><body><form name='frmLogin' method='post' action='http://127.0.0.1:" +
                   std::to_string(port) +
                   "/db/contrib_view.php'><input name='Login'><input type='password' "
                   "name='Password'></form></body></html>");
  Settings().SetBool("NEW_UPLOAD", true);

  bool got = false;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    if (w->objectName() != "dlgSiteEditor") {
      w->close();
      return;
    }
    Find<QLineEdit>(w, "edLogin")->setText("jo\"doe");
    quillora::test::AnswerNextDialog([](QWidget* prompt) {
      auto* input = qobject_cast<QInputDialog*>(prompt);
      if (!input) {
        prompt->close();
        return;
      }
      input->setTextValue("pa'ss\"</script>");
      input->accept();
    });
    // The user is on the "Contributor" page, where the panel opens.
    Find<QTabWidget>(w, "pcPages")->setCurrentIndex(7);
    Find<QPushButton>(w, "btnControlPanel")->click();
    got = QTest::qWaitFor(
        [&] {
          std::lock_guard lock(mutex);
          return !login.empty();
        },
        15000);
    qobject_cast<QDialog*>(w)->reject();
  });
  QVERIFY(!EditSite(nullptr, *SiteList().SiteAt(0)));
  server.stop();
  thread.join();
  QVERIFY(got);
  QCOMPARE(QString::fromStdString(login), QString("jo\"doe"));
  QCOMPARE(QString::fromStdString(password), QString("pa'ss\"</script>"));
}

QTEST_MAIN(SiteEditorTest)
#include "site_editor_test.moc"
