#include "app/products/product_manager.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "app/products/check_pad_dialog.h"
#include "app/products/company_editor.h"
#include "app/products/product_editor.h"
#include "app/products/upload_pad_dialog.h"
#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/ui_port.h"
#include "pad/pad_exchange.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"

namespace quillora::app {

namespace {

constexpr int kRecordRole = Qt::UserRole;
constexpr int kActiveRole = Qt::UserRole + 1;

TRecord* ItemRecord(const QTreeWidgetItem* item) {
  return item ? reinterpret_cast<TRecord*>(item->data(0, kRecordRole).value<quintptr>()) : nullptr;
}

bool InList(const TRecordList& list, const TRecord* record) {
  if (!record) return false;
  for (int i = 0; i < list.Count(); ++i)
    if (list.RecordAt(i) == record) return true;
  return false;
}

// Shown in the user's locale order, like every other list of names.
void SortByCaption(std::vector<QTreeWidgetItem*>& items) {
  std::stable_sort(items.begin(), items.end(), [](QTreeWidgetItem* a, QTreeWidgetItem* b) {
    return QString::localeAwareCompare(a->text(0), b->text(0)) < 0;
  });
}

// A warning the user confirms with OK or gives up with Cancel.
bool ConfirmWarning(QWidget* parent, const std::string& text) {
  return QMessageBox::warning(parent, "Warning", ToQString(text).replace("\r\n", "\n"),
                              QMessageBox::Ok | QMessageBox::Cancel,
                              QMessageBox::Ok) == QMessageBox::Ok;
}

std::string FolderOfSetting(const char* key) {
  return ApplicationDataReady() ? ExtractFilePath(Settings().GetString(key)) : std::string();
}

}  // namespace

TfraProductMan::TfraProductMan(QWidget* parent) : QWidget(parent) {
  setObjectName("fraProductMan");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setObjectName("Splitter");
  splitter->setChildrenCollapsible(false);

  auto* company_panel = new QWidget(splitter);
  company_panel->setMinimumWidth(240);
  auto* company_layout = new QVBoxLayout(company_panel);
  company_layout->setContentsMargins(0, 0, 0, 0);
  auto* company_bar = new QToolBar(company_panel);
  company_bar->setObjectName("tbCompanies");
  company_bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  companies_ = new QTreeWidget(company_panel);
  companies_->setObjectName("lvCompanies");
  companies_->setHeaderLabels({"Company Name"});
  companies_->setRootIsDecorated(false);
  companies_->setContextMenuPolicy(Qt::CustomContextMenu);
  company_layout->addWidget(company_bar);
  company_layout->addWidget(companies_);

  auto* product_panel = new QWidget(splitter);
  auto* product_layout = new QVBoxLayout(product_panel);
  product_layout->setContentsMargins(0, 0, 0, 0);
  auto* product_bar = new QToolBar(product_panel);
  product_bar->setObjectName("tbProducts");
  product_bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  products_ = new QTreeWidget(product_panel);
  products_->setObjectName("lvProducts");
  products_->setHeaderLabels({"Name", "Version", "Description"});
  products_->setRootIsDecorated(false);
  products_->setContextMenuPolicy(Qt::CustomContextMenu);
  products_->header()->resizeSection(0, 200);
  products_->header()->resizeSection(1, 80);
  products_->headerItem()->setTextAlignment(1, Qt::AlignCenter);
  product_layout->addWidget(product_bar);
  product_layout->addWidget(products_);
  splitter->addWidget(company_panel);
  splitter->addWidget(product_panel);
  splitter->setStretchFactor(1, 1);
  // Wide enough for the whole company toolbar.
  splitter->setSizes({320, 680});
  layout->addWidget(splitter, 1);

  auto* status = new QStatusBar(this);
  status->setObjectName("StatusBar");
  status->setSizeGripEnabled(false);
  status_company_ = new QLabel(status);
  status_company_->setObjectName("lblStatusCompany");
  status_company_->setMinimumWidth(242);
  status_product_ = new QLabel(status);
  status_product_->setObjectName("lblStatusProduct");
  status_product_->setMinimumWidth(100);
  status->addWidget(status_company_);
  status->addWidget(status_product_, 1);
  layout->addWidget(status);

  company_bar->addAction(MakeCommand("actCompanyCreate", "Create",
                                     "Create new company item     (Ins)",
                                     &TfraProductMan::CreateCompany));
  company_bar->addAction(MakeCommand("actCompanyEdit", "Edit", "Edit selected company     (F4)",
                                     &TfraProductMan::EditCompany));
  company_bar->addAction(MakeCommand("actCompanyDelete", "Delete",
                                     "Delete selected company     (Del)",
                                     &TfraProductMan::DeleteCompany));
  company_bar->addAction(MakeCommand("actCompanyImport", "Import",
                                     "Import company info from PAD     (Ctrl+I)",
                                     &TfraProductMan::ImportCompany));
  company_bar->addAction(MakeCommand("actCompanyExport", "Export",
                                     "Export company info to PAD     (Ctrl+X)",
                                     &TfraProductMan::ExportCompany));
  MakeCommand("actRefresh", "Refresh", "Refresh list", &TfraProductMan::RefreshCommand);
  product_bar->addAction(MakeCommand("actProductUse", "Use", "Activate product     (Enter)",
                                     &TfraProductMan::UseProduct));
  product_bar->addAction(MakeCommand("actProductCreate", "Create",
                                     "Create new product item     (Ins)",
                                     &TfraProductMan::CreateProduct));
  product_bar->addAction(MakeCommand("actProductEdit", "Edit", "Edit selected product     (F4)",
                                     &TfraProductMan::EditProduct));
  product_bar->addAction(MakeCommand("actProductDelete", "Delete",
                                     "Delete selected product     (Del)",
                                     &TfraProductMan::DeleteProduct));
  product_bar->addAction(MakeCommand("actProductImport", "Import",
                                     "Import product info from PAD     (Ctrl+I)",
                                     &TfraProductMan::ImportProducts));
  product_bar->addAction(MakeCommand("actProductExport", "Export",
                                     "Export product info to PAD     (Ctrl+X)",
                                     &TfraProductMan::ExportProduct));
  product_bar->addAction(MakeCommand("actUpload", "Upload", "Upload PAD via FTP     (Ctrl+U)",
                                     &TfraProductMan::UploadProduct));
  product_bar->addAction(
      MakeCommand("actClone", "Clone", "Clone Product", &TfraProductMan::CloneProduct));
  product_bar->addAction(MakeCommand("actCheck", "Check", {}, &TfraProductMan::CheckPad));
  MakeCommand("actRefreshProducts", "Refresh products", "Refresh products list",
              &TfraProductMan::RefreshProductsCommand);
  Command("actCheck")->setVisible(false);

  company_editor_ = new TfrmCompanyEditor(this);
  product_editor_ = new TfrmProductEditor(this);
  check_dialog_ = new TdlgCheckPAD(this);
  upload_dialog_ = new TdlgUploadXML(this);

  companies_->installEventFilter(this);
  products_->installEventFilter(this);
  connect(companies_, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (!rebuilding_) CompanySelected();
  });
  connect(products_, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (!rebuilding_) UpdateState();
  });
  connect(companies_, &QTreeWidget::itemDoubleClicked, this, [this] { Run("actCompanyEdit"); });
  connect(products_, &QTreeWidget::itemDoubleClicked, this, [this] { Run("actProductUse"); });
  connect(companies_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowContextMenu(companies_, at); });
  connect(products_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowContextMenu(products_, at); });
  UpdateState();
}

QAction* TfraProductMan::MakeCommand(const char* name, const QString& caption, const QString& hint,
                                     void (TfraProductMan::*run)()) {
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  action->setToolTip(hint.isEmpty() ? caption : hint);
  action->setStatusTip(hint);
  connect(action, &QAction::triggered, this, [this, run] {
    try {
      (this->*run)();
    } catch (const std::exception& e) {
      ShowError(e.what());
    }
  });
  commands_[name] = action;
  return action;
}

QAction* TfraProductMan::Command(const QString& name) const {
  const auto it = commands_.find(name);
  return it == commands_.end() ? nullptr : it->second;
}

bool TfraProductMan::Run(const QString& command) {
  QAction* action = Command(command);
  if (!action || !action->isEnabled()) return false;
  action->trigger();
  return true;
}

void TfraProductMan::Initialize(bool reload) {
  const bool check = ApplicationDataReady() && Settings().GetString("Check_PAD") == "TRUE";
  Command("actCheck")->setVisible(check);
  if (ApplicationDataReady()) selected_company_uin_ = Settings().GetString("Active Company");
  if (reload)
    Refresh();
  else
    RebuildLists();  // the start-up loaded the records a moment ago
}

void TfraProductMan::RebuildLists() {
  rebuilding_ = true;
  companies_->clear();
  rebuilding_ = false;
  std::vector<QTreeWidgetItem*> items;
  if (RecordListsReady()) {
    const TCompanyList& list = CompanyList();
    for (int i = 0; i < list.Count(); ++i) {
      auto* item = new QTreeWidgetItem;
      const std::string name = list.At(i)->GetString("Company_Info/Company_Name");
      item->setText(0, ToQString(name.empty() ? list.At(i)->Uin() : name));
      item->setData(0, kRecordRole, QVariant::fromValue(reinterpret_cast<quintptr>(list.At(i))));
      items.push_back(item);
    }
  }
  SortByCaption(items);
  rebuilding_ = true;
  for (QTreeWidgetItem* item : items) companies_->addTopLevelItem(item);
  rebuilding_ = false;
  QTreeWidgetItem* select = nullptr;
  if (RecordListsReady()) {
    const TCompany* active = CompanyList().FindByUin(selected_company_uin_);
    for (QTreeWidgetItem* item : items)
      if (ItemRecord(item) == active && active) select = item;
  }
  if (!select && companies_->topLevelItemCount() > 0) select = companies_->topLevelItem(0);
  if (select) {
    companies_->setCurrentItem(select);
    select->setSelected(true);
  }
  CompanySelected();
  RefreshProducts();
}

void TfraProductMan::Refresh() {
  if (!RecordListsReady()) return;
  // Rebuilding drops the items before the records they point at go.
  rebuilding_ = true;
  companies_->clear();
  products_->clear();
  rebuilding_ = false;
  CompanyList().LoadAll();
  ProductList().LoadAll();
  RebuildLists();
}

void TfraProductMan::CompanySelected() {
  UpdateState();
  if (TCompany* company = SelectedCompany()) {
    selected_company_uin_ = company->Uin();
    RefreshProducts();
  }
}

void TfraProductMan::RefreshProducts() {
  const QList<QTreeWidgetItem*> selected = products_->selectedItems();
  const int remembered = selected.isEmpty() ? 0 : products_->indexOfTopLevelItem(selected.front());
  rebuilding_ = true;
  products_->clear();
  std::vector<QTreeWidgetItem*> items;
  if (RecordListsReady()) {
    const TProductList& list = ProductList();
    const std::string active =
        ApplicationDataReady() ? Settings().GetString("Active Product") : std::string();
    for (int i = 0; i < list.Count(); ++i) {
      TProduct* product = list.At(i);
      if (product->GetString("Quillora/Company_UIN") != selected_company_uin_) continue;
      auto* item = new QTreeWidgetItem;
      const std::string name = product->GetString("Program_Info/Program_Name");
      item->setText(0, ToQString(name.empty() ? product->Uin() : name));
      item->setText(1, ToQString(product->GetString("Program_Info/Program_Version")));
      item->setTextAlignment(1, Qt::AlignCenter);
      item->setText(2, ToQString(product->GetString("Program_Descriptions/English/Char_Desc_80")));
      item->setData(0, kRecordRole, QVariant::fromValue(reinterpret_cast<quintptr>(product)));
      const bool is_active = !active.empty() && product->Uin() == active;
      item->setData(0, kActiveRole, is_active);
      if (is_active) item->setIcon(0, style()->standardIcon(QStyle::SP_DialogApplyButton));
      items.push_back(item);
    }
  }
  SortByCaption(items);
  for (QTreeWidgetItem* item : items) products_->addTopLevelItem(item);
  const int count = products_->topLevelItemCount();
  if (count > 0) {
    QTreeWidgetItem* item = products_->topLevelItem(remembered < count ? remembered : 0);
    products_->setCurrentItem(item);
    item->setSelected(true);
  }
  rebuilding_ = false;
  UpdateState();
}

TCompany* TfraProductMan::SelectedCompany() const {
  const QList<QTreeWidgetItem*> selected = companies_->selectedItems();
  if (selected.isEmpty() || !RecordListsReady()) return nullptr;
  TRecord* record = ItemRecord(selected.front());
  return InList(CompanyList(), record) ? static_cast<TCompany*>(record) : nullptr;
}

TProduct* TfraProductMan::SelectedProduct() const {
  const QList<QTreeWidgetItem*> selected = products_->selectedItems();
  if (selected.isEmpty() || !RecordListsReady()) return nullptr;
  TRecord* record = ItemRecord(selected.front());
  return InList(ProductList(), record) ? static_cast<TProduct*>(record) : nullptr;
}

bool TfraProductMan::SelectProduct(const QString& caption) {
  const auto found = products_->findItems(caption, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  products_->clearSelection();
  products_->setCurrentItem(found.front());
  found.front()->setSelected(true);
  return true;
}

bool TfraProductMan::SelectCompany(const QString& caption) {
  const auto found = companies_->findItems(caption, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  companies_->clearSelection();
  companies_->setCurrentItem(found.front());
  found.front()->setSelected(true);
  return true;
}

void TfraProductMan::UpdateState() {
  TCompany* company = SelectedCompany();
  TProduct* product = SelectedProduct();
  const bool has_company = company != nullptr;
  const bool has_product = product != nullptr;
  Command("actCompanyEdit")->setEnabled(has_company);
  Command("actCompanyDelete")->setEnabled(has_company);
  Command("actCompanyExport")->setEnabled(has_company);
  Command("actProductUse")->setEnabled(has_company && has_product);
  Command("actProductEdit")->setEnabled(has_product);
  Command("actProductDelete")->setEnabled(has_product);
  Command("actProductExport")->setEnabled(has_product);
  Command("actClone")->setEnabled(has_product);
  Command("actUpload")->setEnabled(has_product);
  Command("actCheck")->setEnabled(true);
  if (!company) {
    status_company_->clear();
    status_product_->clear();
    return;
  }
  status_company_->setText(ToQString(company->GetString("Company_Info/Company_Name")));
  if (product)
    status_product_->setText(ToQString(product->GetString("Program_Info/Program_Name")));
  else
    status_product_->clear();
}

void TfraProductMan::UseProduct() {
  TProduct* product = SelectedProduct();
  if (!product || !RecordListsReady()) return;
  // The same activation as the command line's: a product whose company is gone is refused.
  if (const std::string error = quillora::UseProduct(product->Uin()); !error.empty()) {
    ShowError(error);
    return;
  }
  RefreshProducts();
  emit productActivated();
}

void TfraProductMan::CreateCompany() {
  if (!RecordListsReady()) return;
  TCompany* company = CompanyList().NewCompany();
  company->NewUin();
  if (company_editor_->Edit(*company)) {
    company->SaveRecordFile();
    selected_company_uin_ = company->Uin();
    Refresh();
  } else {
    company->DeleteRecord();
  }
}

void TfraProductMan::EditCompany() {
  TCompany* company = SelectedCompany();
  if (!company) return;
  if (company->Uin() == "Sample_Company" &&
      !ConfirmWarning(this,
                      "Do not put your company info here!\r\nCreate a new company profile "
                      "instead."))
    return;
  // A copy: loading starts by setting the record's own file name.
  if (const std::string file = company->FileName; !file.empty()) company->LoadRecordFile(file);
  const std::string old_uin = company->Uin();
  if (!company_editor_->Edit(*company)) return;
  company->SaveRecordFile();
  const std::string new_uin = company->Uin();
  if (new_uin != old_uin) {
    TProductList& products = ProductList();
    for (int i = 0; i < products.Count(); ++i) {
      if (products.At(i)->GetString("Quillora/Company_UIN") != old_uin) continue;
      products.At(i)->SetString("Quillora/Company_UIN", new_uin);
      products.At(i)->SaveRecordFile();
    }
  }
  selected_company_uin_ = new_uin;
  Refresh();
  ActiveProfile().Activate();
  emit recordChanged();
}

void TfraProductMan::DeleteCompany() {
  TCompany* company = SelectedCompany();
  if (!company) return;
  if (!AskYesNo("All passwords, version info etc. will be deleted as well.\r\nAre you sure you "
                "wish to delete company?"))
    return;
  if (products_->topLevelItemCount() > 0 &&
      AskYesNo("Do you wish to delete appropriate products as well?")) {
    const std::string uin = company->Uin();
    TProductList& products = ProductList();
    for (int i = products.Count() - 1; i >= 0; --i)
      if (products.At(i)->GetString("Quillora/Company_UIN") == uin) products.At(i)->DeleteRecord();
  }
  rebuilding_ = true;
  companies_->clear();
  products_->clear();
  rebuilding_ = false;
  company->DeleteRecord();
  Refresh();
}

void TfraProductMan::ImportCompany() {
  if (!RecordListsReady() || !ConfirmWarning(this, kImportCompanyWarning)) return;
  std::string path = FolderOfSetting("PAD_Import_Path");
  if (!UI().OpenFileDialog("Import", kPadFileFilter, path)) return;
  Settings().SetString("PAD_Import_Path", path);
  TPadImportOptions options;
  options.edit_company = [this](TCompany& c) { return company_editor_->Edit(c); };
  if (TCompany* company = ImportCompanyPadFile(path, options))
    selected_company_uin_ = company->Uin();
  Refresh();
}

void TfraProductMan::ExportCompany() {
  TCompany* company = SelectedCompany();
  if (!company || !ConfirmWarning(this, kExportCompanyWarning)) return;
  std::string path = FolderOfSetting("PAD_Export_Path");
  if (!UI().SaveFileDialog("Export", kPadFileFilter, path)) return;
  Settings().SetString("PAD_Export_Path", path);
  ExportCompanyPadFile(*company, path);
}

void TfraProductMan::CreateProduct() {
  if (!RecordListsReady()) return;
  TProduct* product = ProductList().NewProduct();
  product->NewUin();
  if (product_editor_->Edit(*product)) {
    product->SetString("Quillora/Company_UIN", selected_company_uin_);
    product->SaveRecordFile();
    RefreshProducts();
  } else {
    // Never listed: the lists hold no item that points at it.
    product->DeleteRecord();
  }
}

void TfraProductMan::EditProduct() {
  TProduct* product = SelectedProduct();
  if (!product) return;
  if (const std::string file = product->FileName; !file.empty()) product->LoadRecordFile(file);
  if (!product_editor_->Edit(*product)) return;
  product->SaveRecordFile();
  RefreshProducts();
  ActiveProfile().Activate();
  emit recordChanged();
}

void TfraProductMan::DeleteProduct() {
  TProduct* product = SelectedProduct();
  if (!product) return;
  if (!AskYesNo("All passwords, version info etc. will be deleted as well.\r\nAre you sure you "
                "wish to delete product?"))
    return;
  product->DeleteRecord();
  RefreshProducts();
}

void TfraProductMan::CloneProduct() {
  TProduct* source = SelectedProduct();
  if (!source) return;
  auto clone = std::make_unique<TProduct>();
  clone->Assign(*source);
  for (TOptionsList* list :
       {&clone->SiteLogins, &clone->SitePasswords, &clone->VersionListed, &clone->VersionSubmitted,
        &clone->DateSubmitted, &clone->SearchResultsShort, &clone->SearchResultsLong,
        &clone->SearchFlag, &clone->ProgramCategory, &clone->StatusOverride})
    list->Clear();
  clone->NewUin();
  const std::string base = clone->GetString("Program_Info/Program_Name");
  std::string name = base;
  for (int n = 1; ProductList().FindByName(name); ++n) name = base + "(" + std::to_string(n) + ")";
  clone->SetString("Program_Info/Program_Name", name);
  if (!product_editor_->Edit(*clone)) return;
  TRecord* added = ProductList().AddRecord(std::move(clone));
  added->SaveRecordFile();
  Refresh();
}

void TfraProductMan::ImportProducts() {
  if (!RecordListsReady()) return;
  std::string path = FolderOfSetting("PAD_Import_Path");
  if (!UI().OpenFileDialog("Import", kPadFileFilter, path)) return;
  Settings().SetString("PAD_Import_Path", path);
  TPadImportOptions options;
  options.edit_company = [this](TCompany& c) { return company_editor_->Edit(c); };
  options.edit_product = [this](TProduct& p) { return product_editor_->Edit(p); };
  const TPadImportResult result = ImportPadFiles({path}, options);
  if (!result.last_company_uin.empty()) selected_company_uin_ = result.last_company_uin;
  Refresh();
  if (result.products_imported > 0) {
    ActiveProfile().Activate();
    emit recordChanged();
  }
}

void TfraProductMan::ExportProduct() {
  TProduct* product = SelectedProduct();
  if (!product || !RecordListsReady()) return;
  TCompany* company = CompanyList().FindByUin(product->GetString("Quillora/Company_UIN"));
  if (!company) company = SelectedCompany();
  if (!company) return;
  ExportPadFile(*company, *product);
}

void TfraProductMan::UploadProduct() {
  TCompany* company = SelectedCompany();
  TProduct* product = SelectedProduct();
  if (!company || !product) return;
  upload_dialog_->Upload(*company, *product);
}

void TfraProductMan::CheckPad() {
  if (!ApplicationDataReady() || Settings().GetString("Check_PAD") != "TRUE") return;
  check_dialog_->exec();
}

void TfraProductMan::ShowContextMenu(QTreeWidget* list, const QPoint& at) {
  QMenu menu(this);
  auto add = [&](const char* name, const char* keys) {
    QAction* command = Command(name);
    QAction* entry = menu.addAction(command->text() + "\t" + keys);
    entry->setEnabled(command->isEnabled());
    connect(entry, &QAction::triggered, command, &QAction::trigger);
    return entry;
  };
  if (list == companies_) {
    add("actCompanyCreate", "Ins");
    add("actCompanyEdit", "F4");
    add("actCompanyDelete", "Del");
    add("actCompanyImport", "Ctrl+I");
    add("actCompanyExport", "Ctrl+X");
  } else {
    QAction* use = add("actProductUse", "Enter");
    QFont bold = use->font();
    bold.setBold(true);
    use->setFont(bold);
    menu.setDefaultAction(use);
    add("actProductCreate", "Ins");
    add("actProductEdit", "F4");
    add("actProductDelete", "Del");
    add("actProductImport", "Ctrl+I");
    add("actProductExport", "Ctrl+X");
  }
  menu.exec(list->viewport()->mapToGlobal(at));
}

bool TfraProductMan::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || (watched != companies_ && watched != products_))
    return QWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers mods =
      key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  const bool company = watched == companies_;
  QString command;
  if (mods == Qt::NoModifier) {
    switch (key->key()) {
      case Qt::Key_Insert:
        command = company ? "actCompanyCreate" : "actProductCreate";
        break;
      case Qt::Key_Delete:
        command = company ? "actCompanyDelete" : "actProductDelete";
        break;
      case Qt::Key_F4:
        command = company ? "actCompanyEdit" : "actProductEdit";
        break;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        command = company ? "actCompanyEdit" : "actProductUse";
        break;
      case Qt::Key_F5:
        command = company ? "actRefresh" : "actRefreshProducts";
        break;
      default:
        break;
    }
  } else if (mods == Qt::ControlModifier) {
    switch (key->key()) {
      case Qt::Key_X:
        command = company ? "actCompanyExport" : "actProductExport";
        break;
      case Qt::Key_I:
        command = company ? "actCompanyImport" : "actProductImport";
        break;
      case Qt::Key_U:
        if (!company) command = "actUpload";
        break;
      default:
        break;
    }
  }
  if (command.isEmpty()) return QWidget::eventFilter(watched, event);
  Run(command);
  return true;
}

}  // namespace quillora::app
