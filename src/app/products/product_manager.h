// The Products page: the companies and, for the selected company, its products; creating,
// editing, cloning, deleting and activating records, their PAD import, export and upload, and
// the PAD check.
#pragma once

#include <QWidget>
#include <map>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillora {
class TCompany;
class TProduct;
}  // namespace quillora

namespace quillora::app {

class TdlgCheckPAD;
class TdlgUploadXML;
class TfrmCompanyEditor;
class TfrmProductEditor;

class TfraProductMan : public QWidget {
  Q_OBJECT
 public:
  explicit TfraProductMan(QWidget* parent = nullptr);

  // The first showing: "Check" only when "Check_PAD" is "TRUE" now, the selected company from
  // "Active Company", then the lists. reload false: the records were just loaded.
  void Initialize(bool reload = true);
  // Reloads every record from its file and rebuilds both lists.
  void Refresh();
  void RefreshProducts();

  // Runs a command by its action's object name ("actProductCreate", ...); false when none.
  bool Run(const QString& command);
  QAction* Command(const QString& name) const;

  TfrmCompanyEditor* CompanyEditor() const { return company_editor_; }
  TfrmProductEditor* ProductEditor() const { return product_editor_; }
  TdlgCheckPAD* CheckDialog() const { return check_dialog_; }
  TdlgUploadXML* UploadDialog() const { return upload_dialog_; }
  QTreeWidget* Companies() const { return companies_; }
  QTreeWidget* Products() const { return products_; }
  std::string SelectedCompanyUin() const { return selected_company_uin_; }
  TCompany* SelectedCompany() const;
  TProduct* SelectedProduct() const;
  // Selects the product listed under that caption; false when none is.
  bool SelectProduct(const QString& caption);
  bool SelectCompany(const QString& caption);

 signals:
  void productActivated();
  void recordChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAction* MakeCommand(const char* name, const QString& caption, const QString& hint,
                       void (TfraProductMan::*run)());
  // Both list views from the records in memory, the selected company kept when it still exists.
  void RebuildLists();
  void UpdateState();
  void CompanySelected();
  void ShowContextMenu(QTreeWidget* list, const QPoint& at);

  void UseProduct();
  void CreateCompany();
  void EditCompany();
  void DeleteCompany();
  void ImportCompany();
  void ExportCompany();
  void CreateProduct();
  void EditProduct();
  void DeleteProduct();
  void CloneProduct();
  void ImportProducts();
  void ExportProduct();
  void UploadProduct();
  void CheckPad();
  void RefreshCommand() { Refresh(); }
  void RefreshProductsCommand() { RefreshProducts(); }

  QTreeWidget* companies_ = nullptr;
  QTreeWidget* products_ = nullptr;
  QLabel* status_company_ = nullptr;
  QLabel* status_product_ = nullptr;
  std::map<QString, QAction*> commands_;
  std::string selected_company_uin_;
  TfrmCompanyEditor* company_editor_ = nullptr;
  TfrmProductEditor* product_editor_ = nullptr;
  TdlgCheckPAD* check_dialog_ = nullptr;
  TdlgUploadXML* upload_dialog_ = nullptr;
  bool rebuilding_ = false;
};

}  // namespace quillora::app
