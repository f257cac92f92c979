// The Products page on the real windows: records made, changed, cloned and deleted through the
// product manager end up in the files; the editors keep edits only when saved; the validator's
// marks follow what the user types.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>
#include <fstream>
#include <functional>
#include <optional>

#include "app/main_window.h"
#include "app/preferences/admin_mode.h"
#include "app/products/html_editor_page.h"
#include "app/products/product_editor.h"
#include "app/products/product_manager.h"
#include "app/qt_user_interface.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "desktop_fixture.h"
#include "dialog_script.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "pad/product_data.h"
#include "pad/records.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::app;

namespace {

// The desktop program started on a copy of the shipped data, its main window shown.
struct Desktop : quillora::test::TDesktop {
  TfraProductMan* Products() const { return Main()->Products(); }
};

// What the files say now, read apart from the lists the program holds.
template <class List>
std::unique_ptr<List> ReadFolder(const std::string& folder) {
  auto list = std::make_unique<List>();
  list->Folder = folder;
  list->LoadAll();
  return list;
}

std::unique_ptr<TProductList> ProductFiles() {
  return ReadFolder<TProductList>(Folders().products);
}

std::unique_ptr<TCompanyList> CompanyFiles() {
  return ReadFolder<TCompanyList>(Folders().companies);
}

template <class W>
W* Field(QWidget* editor, const char* name) {
  W* widget = editor->findChild<W*>(name);
  if (!widget) qWarning("no field %s", name);
  return widget;
}

void Type(QWidget* editor, const char* name, const QString& text) {
  auto* edit = Field<QLineEdit>(editor, name);
  // A dialog can be shown before it is active (a busy window that just closed still holds the
  // activation): a focus given before then does not hold.
  (void)QTest::qWaitFor([&] { return QApplication::activeWindow() == editor->window(); }, 5000);
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

void Press(QWidget* editor, const char* button) {
  Field<QPushButton>(editor, button)->click();
}

// Runs a product manager command whose editor (or question) the answer handles.
bool RunAnswering(TfraProductMan* pm, const QString& command,
                  std::function<void(QWidget*)> answer) {
  bool answered = false;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    answered = true;
    answer(w);
  });
  pm->Run(command);
  return answered;
}

// Runs a script on a page as the user's hands would (in a world of its own) and gives its text.
QString RunOnPage(QWebEngineView* view, const QString& script) {
  std::optional<QString> answer;
  view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                              [&answer](const QVariant& v) { answer = v.toString(); });
  QDeadlineTimer deadline(10000);
  while (!answer && !deadline.hasExpired()) QTest::qWait(10);
  return answer.value_or("no answer");
}

void ClickYes(QWidget* w) {
  if (auto* box = qobject_cast<QMessageBox*>(w)) box->button(QMessageBox::Yes)->click();
}

}  // namespace

class ProductsTest : public QObject {
  Q_OBJECT
 private slots:
  void ProductCreatedEditedClonedDeletedInTheFiles();
  void CompanyCreatedAndDeletedWithItsProducts();
  void EditorKeepsEditsOnlyWhenSaved_data();
  void EditorKeepsEditsOnlyWhenSaved();
  void EditorRoundTripOfEveryFieldKind();
  void SizeFieldsFollowTheOneTyped_data();
  void SizeFieldsFollowTheOneTyped();
  void ValidatorMarksOverLongDescriptionUntilFixed();
  void GenericFileNameDropsTheVersion_data();
  void GenericFileNameDropsTheVersion();
  void UserDefinedPageEditsTheUnknownKeys();
  void HtmlPagesEditTheirFormsKeys();
  void AdminModeExportsAndImportsThePadFileOfTheCopy();
  void BackupThenRestoreBringsADeletedProductBack();
};

void ProductsTest::ProductCreatedEditedClonedDeletedInTheFiles() {
  Desktop d;
  QVERIFY(d.Start());
  TfraProductMan* pm = d.Products();
  QCOMPARE(QString::fromStdString(pm->SelectedCompanyUin()), QString("Sample_Company"));
  const int files_before = ProductFiles()->Count();

  QVERIFY(RunAnswering(pm, "actProductCreate", [](QWidget* editor) {
    Type(editor, "edtProgramName", "Tide Clock");
    Type(editor, "edtVersion", "1.0");
    Press(editor, "btnSave");
  }));
  QVERIFY(pm->SelectProduct("Tide Clock"));
  {
    auto files = ProductFiles();
    QCOMPARE(files->Count(), files_before + 1);
    TProduct* saved = files->FindByName("Tide Clock");
    QVERIFY(saved);
    QCOMPARE(saved->GetString("Quillora/Company_UIN"), std::string("Sample_Company"));
    QCOMPARE(saved->GetString("Program_Info/Program_Version"), std::string("1.0"));
    // The search string follows the typed name.
    QCOMPARE(saved->GetString("Quillora/Search_String"), std::string("Tide Clock"));
    QVERIFY(saved->Uin().rfind("APP-", 0) == 0);
  }

  QVERIFY(RunAnswering(pm, "actProductEdit", [](QWidget* editor) {
    Type(editor, "edtVersion", "1.1");
    Press(editor, "btnSave");
  }));
  QCOMPARE(ProductFiles()->FindByName("Tide Clock")->GetString("Program_Info/Program_Version"),
           std::string("1.1"));

  // The clone keeps the notes per site and loses the logins and the submission history.
  QVERIFY(pm->SelectProduct("Tide Clock"));
  TProduct* original = pm->SelectedProduct();
  original->SiteLogins.SetString("SITE-1", "tide");
  original->Comments.SetString("SITE-1", "reviewed");
  original->VersionSubmitted.SetString("SITE-1", "1.0");
  QVERIFY(original->SaveRecordFile());
  QString proposed;
  QVERIFY(RunAnswering(pm, "actClone", [&](QWidget* editor) {
    proposed = Field<QLineEdit>(editor, "edtProgramName")->text();
    Press(editor, "btnSave");
  }));
  QCOMPARE(proposed, QString("Tide Clock(1)"));
  {
    auto files = ProductFiles();
    TProduct* clone = files->FindByName("Tide Clock(1)");
    QVERIFY(clone);
    QVERIFY(clone->Uin() != files->FindByName("Tide Clock")->Uin());
    QCOMPARE(clone->Comments.GetString("SITE-1"), std::string("reviewed"));
    QVERIFY(clone->SiteLogins.GetString("SITE-1").empty());
    QVERIFY(clone->VersionSubmitted.GetString("SITE-1").empty());
    QCOMPARE(files->FindByName("Tide Clock")->SiteLogins.GetString("SITE-1"), std::string("tide"));
  }

  QVERIFY(pm->SelectProduct("Tide Clock(1)"));
  const std::string clone_file = pm->SelectedProduct()->FileName;
  QVERIFY(FileExists(clone_file));
  QVERIFY(RunAnswering(pm, "actProductDelete", ClickYes));
  QVERIFY(!FileExists(clone_file));
  QVERIFY(!pm->SelectProduct("Tide Clock(1)"));
  QCOMPARE(ProductFiles()->Count(), files_before + 1);

  // "Use" makes it the active product: the mark moves and the caption follows.
  QVERIFY(pm->SelectProduct("Tide Clock"));
  pm->Run("actProductUse");
  QCOMPARE(QString::fromStdString(Settings().GetString("Active Product")),
           QString::fromStdString(pm->SelectedProduct()->Uin()));
  QVERIFY(pm->Products()->selectedItems().front()->data(0, Qt::UserRole + 1).toBool());
  QCOMPARE(d.session.MainWindow()->windowTitle(), QString("Quillora 3.0 -> Tide Clock"));
}

void ProductsTest::CompanyCreatedAndDeletedWithItsProducts() {
  Desktop d;
  QVERIFY(d.Start());
  TfraProductMan* pm = d.Products();
  QVERIFY(RunAnswering(pm, "actCompanyCreate", [](QWidget* editor) {
    Type(editor, "edtCompanyName", "Harbor Soft");
    Press(editor, "btnSave");
  }));
  TCompany* company = pm->SelectedCompany();
  QVERIFY(company);
  QCOMPARE(company->GetString("Company_Info/Company_Name"), std::string("Harbor Soft"));
  const std::string uin = company->Uin();
  QCOMPARE(pm->SelectedCompanyUin(), uin);
  QVERIFY(CompanyFiles()->FindByUin(uin));
  QCOMPARE(pm->Products()->topLevelItemCount(), 0);

  QVERIFY(RunAnswering(pm, "actProductCreate", [](QWidget* editor) {
    Type(editor, "edtProgramName", "Harbor Chart");
    Press(editor, "btnSave");
  }));
  QCOMPARE(ProductFiles()->FindByName("Harbor Chart")->GetString("Quillora/Company_UIN"), uin);

  // Both questions answered Yes: the company and its product go.
  QVERIFY(RunAnswering(pm, "actCompanyDelete", [](QWidget* w) {
    quillora::test::AnswerNextDialog(ClickYes);
    ClickYes(w);
  }));
  QVERIFY(!CompanyFiles()->FindByUin(uin));
  QVERIFY(!ProductFiles()->FindByName("Harbor Chart"));
  // The sample company is selected again.
  QCOMPARE(pm->SelectedCompanyUin(), std::string("Sample_Company"));
  QVERIFY(ProductFiles()->FindByName("Sample Notes"));
}

void ProductsTest::EditorKeepsEditsOnlyWhenSaved_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<bool>("kept");
  QTest::newRow("Save") << "save" << true;
  QTest::newRow("Cancel") << "cancel" << false;
  QTest::newRow("Escape") << "escape" << false;
  QTest::newRow("close box, answered No") << "close-no" << false;
  QTest::newRow("close box, answered Yes") << "close-yes" << true;
}

void ProductsTest::EditorKeepsEditsOnlyWhenSaved() {
  QFETCH(QString, how);
  QFETCH(bool, kept);
  Desktop d;
  QVERIFY(d.Start());
  TfraProductMan* pm = d.Products();
  QVERIFY(pm->SelectProduct("Sample Notes"));
  TProduct* product = pm->SelectedProduct();
  const std::string languages = product->GetString("Program_Info/Program_Language");
  QString question;
  QVERIFY(RunAnswering(pm, "actProductEdit", [&](QWidget* editor) {
    Type(editor, "edtVersion", "9.9");
    auto* languages_list = Field<QListWidget>(editor, "clbLanguages");
    languages_list->findItems("Danish", Qt::MatchExactly).front()->setCheckState(Qt::Checked);
    if (how == "save") {
      Press(editor, "btnSave");
    } else if (how == "cancel") {
      Press(editor, "btnCancel");
    } else if (how == "escape") {
      QTest::keyClick(editor, Qt::Key_Escape);
    } else {
      quillora::test::AnswerNextDialog([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) return;
        question = box->text();
        box->button(how == "close-yes" ? QMessageBox::Yes : QMessageBox::No)->click();
      });
      editor->close();
    }
  }));
  QTRY_VERIFY(!pm->ProductEditor()->isVisible());
  if (how.startsWith("close")) QCOMPARE(question, QString("Save changes?"));
  product = pm->SelectedProduct();
  auto files = ProductFiles();
  TProduct* saved = files->FindByName("Sample Notes");
  QVERIFY(saved);
  for (TProduct* p : {product, saved}) {
    QCOMPARE(QString::fromStdString(p->GetString("Program_Info/Program_Version")),
             QString(kept ? "9.9" : "2.4.1"));
    QCOMPARE(QString::fromStdString(p->GetString("Program_Info/Program_Language")),
             QString::fromStdString(kept ? "English,Danish,French,German" : languages));
  }
}

void ProductsTest::EditorRoundTripOfEveryFieldKind() {
  Desktop d;
  QVERIFY(d.Start());
  TfrmProductEditor* editor = d.Products()->ProductEditor();
  TProduct product;
  const std::string russian = "\xD0\x97\xD0\xB0\xD0\xBC\xD0\xB5\xD1\x82\xD0\xBA\xD0\xB8";
  struct Case {
    const char* key;
    std::string stored;
    std::string saved;  // unchanged fields saved back as they were shown
  } cases[] = {
      {"Program_Info/Program_Name", "Tide Clock", "Tide Clock"},
      // Unknown systems are dropped, unknown languages kept for the record.
      {"Program_Info/Program_OS_Support", "Win98,BeOS 5", "Win98"},
      {"Program_Info/Program_Language", "English,Klingon", "English,Klingon"},
      {"Program_Info/Program_Cost_Other_Code", "RUR", "RUB"},
      {"Program_Info/Program_Type", "Nagware", "Shareware"},
      {"Program_Info/Program_Release_Status", "beta", "Beta"},
      {"Program_Info/Includes_DirectX", "y", "Y"},
      {"Program_Info/Includes_JAVA_VM", "", "N"},
      {"Program_Info/Program_Release_Day", "07", "07"},
      {"Permissions/EULA", "Line one\r\nLine two", "Line one\nLine two"},
      {"Program_Descriptions/English/Char_Desc_45", "Tides at a glance", "Tides at a glance"},
      {"Program_Descriptions/Russian/Char_Desc_45", russian, russian},
      {"Quillora/Search_String", "", "Tide Clock"},
      // The ordered category list takes any of its separators and stores ",".
      {"Program_Info/Program_Categories", "Clocks;\r\n Tides ,", "Clocks,Tides"},
      {"Simtel/Simtel_Platform", "winxp - Windows XP", "winxp - Windows XP"},
      {"Simtel/Simtel_FORM", "", "Y"},
      {"Delphi/D7", "TRUE", "TRUE"},
      {"Delphi/D1", "", "FALSE"},
      {"Delphi/Source", "on request", "On request"},
  };
  for (const Case& c : cases) product.SetString(c.key, c.stored);
  product.StatusOverride.SetString("SITE-1", "listed");

  bool saved = false;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* languages = Field<QComboBox>(w, "cbDescriptionLanguage");
    QCOMPARE(languages->count(), 2);
    QCOMPARE(languages->itemText(1), QString("Russian"));
    auto* list = Field<QListWidget>(w, "clbLanguages");
    QCOMPARE(list->item(list->count() - 1)->text(), QString("Klingon"));
    QCOMPARE(list->item(list->count() - 1)->checkState(), Qt::Checked);
    Press(w, "btnSave");
  });
  saved = editor->Edit(product);
  QVERIFY(saved);
  for (const Case& c : cases) QCOMPARE(product.GetString(c.key), c.saved);
  // An unchanged version keeps the hand-set statuses.
  QCOMPARE(product.StatusOverride.GetString("SITE-1"), std::string("listed"));

  // A new version starts without them; the appended language belongs to that record only.
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    Type(w, "edtVersion", "2.0");
    Press(w, "btnSave");
  });
  QVERIFY(editor->Edit(product));
  QCOMPARE(product.StatusOverride.Count(), 0);
  TProduct other;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* list = Field<QListWidget>(w, "clbLanguages");
    QVERIFY(list->findItems("Klingon", Qt::MatchExactly).isEmpty());
    // An empty language value shows English.
    QCOMPARE(list->findItems("English", Qt::MatchExactly).front()->checkState(), Qt::Checked);
    Press(w, "btnCancel");
  });
  QVERIFY(!editor->Edit(other));
}

void ProductsTest::SizeFieldsFollowTheOneTyped_data() {
  QTest::addColumn<QString>("field");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("bytes");
  QTest::addColumn<QString>("k");
  QTest::addColumn<QString>("mb");
  QTest::newRow("MB") << "edtSizeMB"
                      << "3"
                      << "3145728"
                      << "3072"
                      << "3";
  QTest::newRow("K") << "edtSizeK"
                     << "1536"
                     << "1572864"
                     << "1536"
                     << "1.50";
  QTest::newRow("bytes") << "edtSizeBytes"
                         << "4718592"
                         << "4718592"
                         << "4608"
                         << "4.50";
  QTest::newRow("not a number") << "edtSizeK"
                                << "big"
                                << ""
                                << "big"
                                << "";
}

void ProductsTest::SizeFieldsFollowTheOneTyped() {
  QFETCH(QString, field);
  QFETCH(QString, typed);
  QFETCH(QString, bytes);
  QFETCH(QString, k);
  QFETCH(QString, mb);
  Desktop d;
  QVERIFY(d.Start());
  TProduct product;
  QString got[3];
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    Field<QTabWidget>(w, "PageControl")->setCurrentIndex(1);
    Type(w, field.toLatin1().constData(), typed);
    got[0] = Field<QLineEdit>(w, "edtSizeBytes")->text();
    got[1] = Field<QLineEdit>(w, "edtSizeK")->text();
    got[2] = Field<QLineEdit>(w, "edtSizeMB")->text();
    Press(w, "btnCancel");
  });
  d.Products()->ProductEditor()->Edit(product);
  QCOMPARE(got[0], bytes);
  QCOMPARE(got[1], k);
  QCOMPARE(got[2], mb);
}

void ProductsTest::ValidatorMarksOverLongDescriptionUntilFixed() {
  Desktop d;
  QVERIFY(d.Start());
  TfrmProductEditor* editor = d.Products()->ProductEditor();
  QVERIFY(editor->ValidatorLoaded());
  TProduct product;
  product.SetString("Program_Info/Program_Name", "Tide Clock");
  bool checked = false;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* pages = Field<QTabWidget>(w, "PageControl");
    pages->setCurrentIndex(2);
    auto* desc = Field<QLineEdit>(w, "edtDesc80");
    QVERIFY(!desc->property("padProblem").toBool());
    Type(w, "edtDesc80", QString(81, 'a'));
    QVERIFY(desc->property("padProblem").toBool());
    QVERIFY2(desc->toolTip().contains("80"), qPrintable(desc->toolTip()));
    // Nothing typed is cut: the user shortens it, the count says by how much.
    QCOMPARE(desc->text().size(), 81);
    QCOMPARE(editor->CharactersLeft()->text(), QString("Characters Left: -1"));
    QTest::keyClick(desc, Qt::Key_Backspace);
    QVERIFY(!desc->property("padProblem").toBool());
    QCOMPARE(editor->CharactersLeft()->text(), QString("Characters Left: 0"));
    // The program name's rule marks its own field, on another page.
    auto* name = Field<QLineEdit>(w, "edtProgramName");
    QVERIFY(!name->property("padProblem").toBool());
    name->setText(QString(41, 'n'));
    QVERIFY(name->property("padProblem").toBool());
    checked = true;
    Press(w, "btnCancel");
  });
  QVERIFY(!editor->Edit(product));
  QVERIFY(checked);
  QVERIFY(product.GetString("Program_Descriptions/English/Char_Desc_80").empty());
}

void ProductsTest::GenericFileNameDropsTheVersion_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("generic");
  QTest::newRow("digits") << "tool123.zip"
                          << "tool.zip";
  QTest::newRow("dotted version") << "tool-1.2.3.exe"
                                  << "tool.exe";
  QTest::newRow("spaces") << "Tide Clock 2 .zip"
                          << "Tide Clock.zip";
  QTest::newRow("no extension") << "setup_20"
                                << "setup_";
  QTest::newRow("nothing to drop") << "tool.zip"
                                   << "tool.zip";
}

void ProductsTest::GenericFileNameDropsTheVersion() {
  QFETCH(QString, name);
  QFETCH(QString, generic);
  QCOMPARE(TfrmProductEditor::GenericFileName(name), generic);
}

void ProductsTest::UserDefinedPageEditsTheUnknownKeys() {
  Desktop d;
  QVERIFY(d.Start());
  TProduct product;
  product.SetString("Program_Info/Program_Name", "Tide Clock");
  product.SetString("My_Section/Kept", "old");
  product.SetString("My_Section/Dropped", "gone");
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* pages = Field<QTabWidget>(w, "PageControl");
    for (int i = 0; i < pages->count(); ++i)
      if (pages->tabText(i) == "User Defined") pages->setCurrentIndex(i);
    auto* grid = Field<QTableWidget>(w, "grdUserDefined");
    // The PAD fields and descriptions are the other pages'.
    QCOMPARE(grid->rowCount(), 2);
    for (int r = 0; r < grid->rowCount(); ++r) {
      if (grid->item(r, 0)->text() == "My_Section/Kept") grid->item(r, 1)->setText("new");
      if (grid->item(r, 0)->text() == "My_Section/Dropped") grid->item(r, 0)->setText("");
    }
    grid->insertRow(2);
    grid->setItem(2, 0, new QTableWidgetItem("My_Section/Added"));
    grid->setItem(2, 1, new QTableWidgetItem("fresh"));
    Press(w, "btnSave");
  });
  QVERIFY(d.Products()->ProductEditor()->Edit(product));
  QCOMPARE(product.GetString("My_Section/Kept"), std::string("new"));
  QCOMPARE(product.GetString("My_Section/Dropped"), std::string());
  QCOMPARE(product.GetString("My_Section/Added"), std::string("fresh"));
  QCOMPARE(product.GetString("Program_Info/Program_Name"), std::string("Tide Clock"));
}

void ProductsTest::AdminModeExportsAndImportsThePadFileOfTheCopy() {
  Desktop d;
  QVERIFY(d.Start());
  TfrmProductEditor* editor = d.Products()->ProductEditor();
  TProduct product;
  product.SetString("Program_Info/Program_Name", "Tide Clock");
  product.SetString("Program_Info/Program_Version", "1.0");
  const std::string file = d.data.UserDir() + "tide.xml";
  SetAdminMode(true);
  bool buttons = false, exported = false, imported = false, missing = true;
  QString name_after;
  QStringList messages;
  std::function<void(QWidget*)> note = [&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    messages << (box ? box->text() : QString());
    // The parser's own message may come first.
    if (!messages.back().startsWith("Cannot import from")) quillora::test::AnswerNextDialog(note);
    w->close();
  };
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    buttons = editor->ImportButton()->isVisible() && editor->ExportButton()->isVisible();
    Type(w, "edtVersion", "2.0");
    exported = editor->ExportPadTo(file);
    Type(w, "edtProgramName", "Changed");
    imported = editor->ImportPadInto(file);
    name_after = Field<QLineEdit>(w, "edtProgramName")->text();
    quillora::test::AnswerNextDialog(note);
    missing = editor->ImportPadInto(file + ".missing");
    Press(w, "btnCancel");
  });
  editor->Edit(product);
  SetAdminMode(false);
  QVERIFY(buttons);
  QVERIFY(exported);
  QVERIFY(imported);
  // The file holds what the fields held when it was written, typed version included.
  QCOMPARE(name_after, QString("Tide Clock"));
  QVERIFY(!missing);
  QVERIFY(!messages.isEmpty());
  QCOMPARE(messages.back(), QString::fromStdString("Cannot import from " + file + ".missing"));
  // Cancelled: the record never saw any of it.
  QCOMPARE(product.GetString("Program_Info/Program_Version"), std::string("1.0"));
}

void ProductsTest::BackupThenRestoreBringsADeletedProductBack() {
  Desktop d;
  QVERIFY(d.Start());
  TfraProductMan* pm = d.Products();
  auto* main = d.session.MainWindow();
  const QString archive = QString::fromStdString(d.data.UserDir()) + "records.uibk";
  auto choose = [&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    if (!dialog) {
      w->close();
      return;
    }
    // Typed as a user would: selectFile() leaves a focused name box as it is.
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (name)
      name->setText(archive);
    else
      dialog->selectFile(archive);
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
  };
  quillora::test::AnswerNextDialog(choose);
  main->findChild<QAction*>("actBackup")->trigger();
  QVERIFY(FileExists(archive.toStdString()));
  QCOMPARE(Settings().GetString("Backup_Path"), d.data.UserDir());

  QVERIFY(pm->SelectProduct("Sample Notes"));
  QVERIFY(RunAnswering(pm, "actProductDelete", ClickYes));
  QVERIFY(!ProductFiles()->FindByName("Sample Notes"));

  // The company still exists: keep it as it is, take the product back.
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    quillora::test::AnswerNextDialog([](QWidget* question) {
      if (auto* box = qobject_cast<QMessageBox*>(question)) box->button(QMessageBox::No)->click();
    });
    choose(w);
  });
  main->findChild<QAction*>("actRestore")->trigger();
  QVERIFY(ProductFiles()->FindByName("Sample Notes"));
  QVERIFY(pm->SelectProduct("Sample Notes"));
}

void ProductsTest::HtmlPagesEditTheirFormsKeys() {
  Desktop d;
  // A page whose title names it, with a named form and one bound under the page's caption.
  std::ofstream(d.data.DataDir() + "extras.form.html") << R"(<html><head><title>Extra Fields</title>
<script>document.title = "Scripts ran";</script></head><body>
<form name="Shop">
  <input name="Name"> <input type="checkbox" name="Gift" value="yes">
  <input type="radio" name="Plan" value="Gold"> <input type="radio" name="Plan" value="Silver">
  <select name="Stores" multiple><option value="a">A</option><option>b</option>
    <option value="c">C</option></select>
</form>
<form><textarea name="Note"></textarea></form>
</body></html>)";
  // A page file that cannot be shown keeps its file-name caption and binds nothing.
  QVERIFY(QFile::link("missing.htm", QString::fromStdString(d.data.DataDir() + "broken.page.htm")));
  QVERIFY(d.Start());
  TfrmProductEditor* editor = d.Products()->ProductEditor();
  QCOMPARE(editor->HtmlPages().size(), size_t(3));
  THtmlEditorPage* extras = editor->HtmlPages()[2];

  TProduct product;
  product.SetString("Program_Info/Program_Name", "Tide Clock");
  product.SetString("Shop/Name", "Tide");
  product.SetString("Shop/Gift", "yes");
  product.SetString("Shop/Plan", "Gold");
  product.SetString("Shop/Stores", "B,c");
  product.SetString("Extra Fields/Note", "low water");
  product.SetString("Affiliates/Affiliates_FORM", "Y");
  const std::string before = product.Text();

  const QString shown = R"(try { JSON.stringify([document.forms[0].Name.value,
      document.forms[0].Gift.checked, document.querySelector('[name=Plan]:checked').value,
      Array.from(document.forms[0].Stores.selectedOptions).map(o => o.text).join('+'),
      document.forms[1].Note.value, document.title]) } catch (e) { String(e) })";
  const QString edits = R"((function () { const f = document.forms[0];
      f.Name.value = 'Tide Clock'; f.Gift.checked = false; f.Plan[1].checked = true;
      for (const o of f.Stores.options) o.selected = o.text === 'A';
      document.forms[1].Note.value = ''; return 'ok'; })())";

  for (const bool save : {false, true}) {
    QStringList captions;
    QString was_shown;
    quillora::test::AnswerNextDialog([&](QWidget* w) {
      auto* pages = Field<QTabWidget>(w, "PageControl");
      for (int i = 0; i < pages->count(); ++i) captions << pages->tabText(i);
      was_shown = RunOnPage(extras->View(), shown);
      RunOnPage(extras->View(), edits);
      Press(w, save ? "btnSave" : "btnCancel");
    });
    QCOMPARE(editor->Edit(product), save);
    const qsizetype quillora = captions.indexOf("Quillora");
    QCOMPARE(captions.mid(quillora - 4, 4),
             QStringList({"PAD Ring", "Affiliates", "broken", "Extra Fields"}));
    QCOMPARE(was_shown, QString(R"(["Tide",true,"Gold","b+C","low water","Extra Fields"])"));
    if (!save) QCOMPARE(product.Text(), before);
  }
  QCOMPARE(product.GetString("Shop/Name"), std::string("Tide Clock"));
  QVERIFY(!product.HasKey("Shop/Gift"));
  QCOMPARE(product.GetString("Shop/Plan"), std::string("Silver"));
  QCOMPARE(product.GetString("Shop/Stores"), std::string("a"));
  QVERIFY(!product.HasKey("Extra Fields/Note"));
  QCOMPARE(product.GetString("Affiliates/Affiliates_FORM"), std::string("Y"));
}

QTEST_MAIN(ProductsTest)
#include "products_test.moc"
