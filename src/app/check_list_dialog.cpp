#include "app/check_list_dialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

#include "app/qt_text.h"

namespace quillora::app {

TdlgCheckListBox::TdlgCheckListBox(const QString& title, const std::vector<std::string>& items,
                                   const std::vector<bool>& checked, QWidget* parent)
    : QDialog(parent) {
  setObjectName("dlgCheckListBox");
  setWindowTitle(title.isEmpty() ? QString("CheckList") : title);
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  list_->setObjectName("lbItems");
  for (size_t i = 0; i < items.size(); ++i) {
    auto* item = new QListWidgetItem(ToQString(items[i]), list_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(i < checked.size() && checked[i] ? Qt::Checked : Qt::Unchecked);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName("buttons");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  resize(360, 400);
}

std::vector<bool> TdlgCheckListBox::Checked() const {
  std::vector<bool> out;
  for (int i = 0; i < list_->count(); ++i)
    out.push_back(list_->item(i)->checkState() == Qt::Checked);
  return out;
}

}  // namespace quillora::app
