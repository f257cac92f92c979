#include "app/products/site_values_page.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "sites/site.h"
#include "sites/site_list.h"

namespace quillora::app {

namespace {

constexpr int kUin = 0, kName = 1, kValue = 2, kPassword = 3;

std::string SiteName(const std::string& uin) {
  if (!SiteListReady()) return {};
  const TWebSite* site = SiteList().FindByUIN(uin);
  return site ? site->Name() : std::string();
}

}  // namespace

TSiteValuesPage::TSiteValuesPage(const QString& value_caption, bool logins, QWidget* parent)
    : QWidget(parent), logins_(logins) {
  auto* layout = new QVBoxLayout(this);
  list_ = new QTreeWidget(this);
  list_->setObjectName("lvSiteValues");
  list_->setRootIsDecorated(false);
  QStringList headers = {"Site UIN", "Site", value_caption};
  if (logins) headers << "Password";
  list_->setHeaderLabels(headers);
  list_->header()->resizeSection(kUin, 120);
  list_->header()->resizeSection(kName, 160);
  layout->addWidget(list_, 1);

  panel_ = new QWidget(this);
  panel_->setObjectName("pnlSiteValue");
  auto* h = new QHBoxLayout(panel_);
  h->setContentsMargins(0, 0, 0, 0);
  site_ = new QComboBox(panel_);
  site_->setObjectName("cbSite");
  site_->setMinimumWidth(200);
  value_ = new QLineEdit(panel_);
  value_->setObjectName("edtValue");
  value_->setPlaceholderText(value_caption);
  h->addWidget(site_, 2);
  h->addWidget(value_, 2);
  if (logins) {
    password_ = new QLineEdit(panel_);
    password_->setObjectName("edtPassword");
    password_->setPlaceholderText("Password");
    h->addWidget(password_, 1);
  }
  auto* ok = new QPushButton("OK", panel_);
  ok->setObjectName("btnPanelOK");
  h->addWidget(ok);
  layout->addWidget(panel_);
  panel_->hide();
  connect(ok, &QPushButton::clicked, this, [this] { CommitPanel(); });
  connect(value_, &QLineEdit::returnPressed, this, [this] { CommitPanel(); });
  if (password_) connect(password_, &QLineEdit::returnPressed, this, [this] { CommitPanel(); });
  connect(list_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { EditEntry(item); });
}

void TSiteValuesPage::Fill(const TOptionsList& values, const TOptionsList* passwords) {
  SetPanelVisible(false);
  list_->clear();
  struct Entry {
    std::string uin, name, value, password;
  };
  std::vector<Entry> entries;
  auto find = [&](const std::string& uin) -> Entry* {
    for (Entry& e : entries)
      if (e.uin == uin) return &e;
    return nullptr;
  };
  for (int i = 0; i < values.Count(); ++i) {
    const std::string uin = values.NameAt(i);
    if (uin.empty() || find(uin)) continue;
    entries.push_back({uin, SiteName(uin), values.GetValueAt(i), {}});
  }
  if (passwords) {
    for (int i = 0; i < passwords->Count(); ++i) {
      const std::string uin = passwords->NameAt(i);
      if (uin.empty()) continue;
      Entry* e = find(uin);
      if (!e) {
        entries.push_back({uin, SiteName(uin), {}, {}});
        e = &entries.back();
      }
      e->password = passwords->GetValueAt(i);
    }
    // A login page lists the sites that exist; the lists keep the others as they are.
    if (SiteListReady())
      entries.erase(std::remove_if(entries.begin(), entries.end(),
                                   [](const Entry& e) { return !SiteList().FindByUIN(e.uin); }),
                    entries.end());
  }
  // Byte order of the names, as the record's own lists are kept.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.name < b.name; });
  for (const Entry& e : entries) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(kUin, ToQString(e.uin));
    item->setText(kName, ToQString(e.name));
    item->setText(kValue, ToQString(e.value));
    if (logins_) item->setText(kPassword, ToQString(e.password));
  }
}

void TSiteValuesPage::WriteBack(TOptionsList& values, TOptionsList* passwords) const {
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list_->topLevelItem(i);
    const std::string uin = FromQString(item->text(kUin));
    values.SetString(uin, FromQString(item->text(kValue)));
    if (passwords) passwords->SetString(uin, FromQString(item->text(kPassword)));
  }
}

void TSiteValuesPage::SetPanelVisible(bool on) {
  panel_->setVisible(on);
  if (!on) {
    editing_ = nullptr;
    appending_ = false;
  }
}

void TSiteValuesPage::EditEntry(QTreeWidgetItem* item) {
  if (!item) return;
  CommitPanel();
  editing_ = item;
  appending_ = false;
  site_->clear();
  site_->addItem(item->text(kUin) + ": " + item->text(kName));
  site_->setEnabled(false);
  value_->setText(item->text(kValue));
  if (password_) password_->setText(item->text(kPassword));
  SetPanelVisible(true);
  value_->setFocus();
}

void TSiteValuesPage::Append() {
  CommitPanel();
  site_->clear();
  site_->addItem(QString());
  if (SiteListReady()) {
    const TSiteList& sites = SiteList();
    for (int i = 0; i < sites.Count(); ++i)
      site_->addItem(ToQString(sites.SiteAt(i)->UIN() + ": " + sites.SiteAt(i)->Name()));
  }
  site_->setEnabled(true);
  value_->clear();
  if (password_) password_->clear();
  panel_->setVisible(true);
  appending_ = true;
  editing_ = nullptr;
  site_->setFocus();
}

void TSiteValuesPage::CommitPanel() {
  if (!panel_->isVisible()) return;
  QTreeWidgetItem* item = editing_;
  if (appending_) {
    const QString uin = site_->currentText().section(':', 0, 0);
    item = nullptr;
    if (!uin.isEmpty()) {
      const auto found = list_->findItems(uin, Qt::MatchExactly, kUin);
      if (!found.isEmpty()) {
        item = found.front();
      } else if (SiteListReady() && SiteList().FindByUIN(FromQString(uin))) {
        item = new QTreeWidgetItem(list_);
        item->setText(kUin, uin);
        item->setText(kName, ToQString(SiteName(FromQString(uin))));
      }
    }
  }
  if (item) {
    item->setText(kValue, value_->text());
    if (password_) item->setText(kPassword, password_->text());
  }
  SetPanelVisible(false);
}

}  // namespace quillora::app
