// The Products page on the sample data: another product made active from the list, and a
// product deleted after the question.
#include <QAbstractButton>
#include <QListWidget>
#include <QMessageBox>
#include <QtTest>

#include "app/main_window.h"
#include "app/products/product_editor.h"
#include "app/products/product_manager.h"
#include "app/qt_text.h"
#include "app/qt_user_interface.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "dialog_script.h"
#include "foundation/files.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "support/test_context.h"

using namespace quillora;
using namespace quillora::app;

class ProductsPageTest : public QObject {
  Q_OBJECT
 public:
  static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

 private slots:
  void UseAnotherProductAndDeleteOne();
  void EditorKeepsOnSaveDiscardsOnCancelAndMarksRejectedValues();
};

void ProductsPageTest::UseAnotherProductAndDeleteOne() {
  test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  session.Show();
  TfrmMain* main = session.MainWindow();
  TfraProductMan* page = main->Products();
  auto* list = page->findChild<QListWidget*>("lvProducts");
  QCOMPARE(list->count(), ProductList().Count());
  const std::string first = ActiveProfile().ActiveProductUin;
  QCOMPARE(page->ChosenProduct(), first);  // the active product is the chosen row

  TProduct* other = ProductList().NewProduct();
  other->SetString("Program_Info/Program_Name", "Other Tool");
  other->SetString("Program_Info/Program_Version", "1.0");
  other->SetString("Quillora/Company_UIN", ActiveProfile().ActiveCompanyUin);
  QVERIFY(other->SaveRecordFile());
  const std::string other_uin = other->Uin();
  page->Refresh();
  QCOMPARE(list->count(), 2);
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->data(Qt::UserRole).toString() == ToQString(other_uin))
      list->setCurrentRow(i);
  QSignalSpy changed(page, &TfraProductMan::productChanged);
  page->UseChosen();
  QCOMPARE(changed.count(), 1);
  QCOMPARE(ActiveProfile().GetString("Program_Info/Program_Name"), std::string("Other Tool"));
  QVERIFY(main->windowTitle().contains("Other Tool"));

  // The first product is no longer active: it can go, after the question.
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->data(Qt::UserRole).toString() == ToQString(first)) list->setCurrentRow(i);
  const std::string file = ProductList().FindByUin(first)->FileName;
  QVERIFY(FileExists(file));
  QString asked;
  test::AnswerNextDialog([&](QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      asked = box->text();
      box->button(QMessageBox::Yes)->click();
    }
  });
  page->DeleteChosen();
  QVERIFY(asked.startsWith("Delete the product"));
  QVERIFY(!FileExists(file));
  QCOMPARE(list->count(), 1);
}

void ProductsPageTest::EditorKeepsOnSaveDiscardsOnCancelAndMarksRejectedValues() {
  test::TestData data;
  TQtUserInterface ui;
  TDesktopSession session(ui);
  QVERIFY(session.Start(data.Options()));
  session.Show();
  TProduct* product = ProductList().FindByUin(ActiveProfile().ActiveProductUin);
  QVERIFY(product);
  const std::string desc80 = "Program_Descriptions/English/Char_Desc_80";
  QCOMPARE(DescriptionLimit(desc80), 80);
  QCOMPARE(DescriptionLimit("Program_Info/Program_Name"), 0);

  {
    // Cancel leaves the record as it was.
    TfrmProductEditor editor(*product);
    editor.SetValue("Program_Info/Program_Version", "9.9");
    editor.reject();
    QVERIFY(product->GetString("Program_Info/Program_Version") != "9.9");
  }
  TfrmProductEditor editor(*product);
  QVERIFY(editor.Problems().count(desc80) == 0);
  editor.SetValue(desc80, std::string(81, 'x'));
  editor.Validate();
  QVERIFY(editor.Problems().count(desc80) == 1);
  auto* box = editor.findChild<QWidget*>(ToQString(desc80));
  QVERIFY(box && box->toolTip().contains("reject"));
  editor.SetValue(desc80, "Notes, outlines and to-do lists in one notebook.");
  editor.Validate();
  QVERIFY(editor.Problems().count(desc80) == 0);
  QVERIFY(box->toolTip().isEmpty());

  editor.SetValue("Program_Info/Program_Version", "2.5");
  editor.accept();
  QCOMPARE(ActiveProfile().GetString("Program_Info/Program_Version"), std::string("2.5"));
  TProduct reread;
  QVERIFY(reread.LoadRecordFile(product->FileName));
  QCOMPARE(reread.GetString("Program_Info/Program_Version"), std::string("2.5"));
  QCOMPARE(reread.GetString(desc80),
           std::string("Notes, outlines and to-do lists in one notebook."));
}

QTEST_MAIN(ProductsPageTest)
#include "products_page_test.moc"
