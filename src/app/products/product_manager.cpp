#include "app/products/product_manager.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/products/product_editor.h"
#include "app/qt_text.h"
#include "foundation/ui_port.h"
#include "pad/pad_exchange.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"

namespace quillora::app {

TfraProductMan::TfraProductMan(QWidget* parent) : QWidget(parent) {
  setObjectName("fraProductMan");
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel("Companies", this));
  companies_ = new QListWidget(this);
  companies_->setObjectName("lvCompanies");
  left->addWidget(companies_);
  layout->addLayout(left, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel("Products (the active one in bold)", this));
  products_ = new QListWidget(this);
  products_->setObjectName("lvProducts");
  right->addWidget(products_);
  auto* buttons = new QHBoxLayout;
  use_ = new QPushButton("Use", this);
  use_->setObjectName("btnUse");
  edit_ = new QPushButton("Edit...", this);
  edit_->setObjectName("btnEdit");
  export_ = new QPushButton("Export PAD...", this);
  export_->setObjectName("btnExportPad");
  delete_ = new QPushButton("Delete", this);
  delete_->setObjectName("btnDelete");
  buttons->addWidget(use_);
  buttons->addWidget(edit_);
  buttons->addWidget(export_);
  buttons->addWidget(delete_);
  buttons->addStretch(1);
  right->addLayout(buttons);
  layout->addLayout(right, 2);

  connect(use_, &QPushButton::clicked, this, &TfraProductMan::UseChosen);
  connect(edit_, &QPushButton::clicked, this, [this] { EditChosen(); });
  connect(delete_, &QPushButton::clicked, this, &TfraProductMan::DeleteChosen);
  connect(export_, &QPushButton::clicked, this, &TfraProductMan::ExportChosen);
  connect(products_, &QListWidget::itemActivated, this, [this] { UseChosen(); });
}

void TfraProductMan::Refresh() {
  companies_->clear();
  products_->clear();
  if (!RecordListsReady()) return;
  const std::string active = ActiveProfile().ActiveProductUin;
  for (int i = 0; i < CompanyList().Count(); ++i)
    companies_->addItem(ToQString(CompanyList().At(i)->RecordName()));
  for (int i = 0; i < ProductList().Count(); ++i) {
    const TProduct* product = ProductList().At(i);
    const TCompany* company = CompanyList().FindByUin(product->GetString("Quillora/Company_UIN"));
    QString text = ToQString(product->RecordName()) + " " +
                   ToQString(product->GetString("Program_Info/Program_Version"));
    if (company) text += "  (" + ToQString(company->RecordName()) + ")";
    auto* item = new QListWidgetItem(text, products_);
    item->setData(Qt::UserRole, ToQString(product->Uin()));
    if (product->Uin() == active) {
      QFont bold = item->font();
      bold.setBold(true);
      item->setFont(bold);
      products_->setCurrentItem(item);
    }
  }
}

std::string TfraProductMan::ChosenProduct() const {
  const QListWidgetItem* item = products_->currentItem();
  return item ? FromQString(item->data(Qt::UserRole).toString()) : std::string();
}

void TfraProductMan::UseChosen() {
  const std::string uin = ChosenProduct();
  if (uin.empty()) return;
  if (const std::string error = UseProduct(uin); !error.empty()) {
    ShowError(error);
    return;
  }
  Refresh();
  emit productChanged();
}

void TfraProductMan::DeleteChosen() {
  const std::string uin = ChosenProduct();
  TProduct* product = uin.empty() ? nullptr : ProductList().FindByUin(uin);
  if (!product) return;
  if (uin == ActiveProfile().ActiveProductUin) {
    ShowInfo("The active product cannot be deleted: use another one first.");
    return;
  }
  if (!AskYesNo("Delete the product \"" + product->RecordName() + "\"?")) return;
  if (!product->DeleteRecord()) ShowError("Cannot delete " + product->FileName);
  Refresh();
}

bool TfraProductMan::EditChosen() {
  const std::string uin = ChosenProduct();
  TProduct* product = uin.empty() ? nullptr : ProductList().FindByUin(uin);
  if (!product) return false;
  TfrmProductEditor editor(*product, this);
  if (editor.exec() != QDialog::Accepted) return false;
  Refresh();
  if (uin == ActiveProfile().ActiveProductUin) emit productChanged();
  return true;
}

void TfraProductMan::ExportChosen() {
  const std::string uin = ChosenProduct();
  TProduct* product = uin.empty() ? nullptr : ProductList().FindByUin(uin);
  if (!product) return;
  const TCompany* company = CompanyList().FindByUin(product->GetString("Quillora/Company_UIN"));
  if (!company) {
    ShowError("The product's company does not exist");
    return;
  }
  ExportPadFile(*company, *product);
}

}  // namespace quillora::app
