#include "app/sites/sites_page.h"

#include <QApplication>
#include <QColor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "foundation/app_state.h"
#include "foundation/text_utils.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "sites/site_status.h"
#include "sites/sites_state.h"
#include "sites/sites_view.h"

namespace quillora::app {

namespace {

constexpr size_t kColumnVersionListed = 13;
constexpr int kColumnStatus = 6;
constexpr int kColumnMethod = 23;
constexpr int kColumnFlags = 24;

// "RRGGBB"; anything else is black.
QColor SettingColor(const char* name) {
  const std::string text = Settings().GetString(name);
  bool ok = text.size() == 6;
  const uint value = ok ? QString::fromLatin1(text.c_str()).toUInt(&ok, 16) : 0;
  return ok ? QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF) : QColor(0, 0, 0);
}

// The row's colour pair, by the first rule that applies.
std::pair<const char*, const char*> RowColours(const TWebSite& site) {
  if (!site.summary.text[kColumnVersionListed].empty() || site.summary.search_flag_code == 0)
    return {"Color Found", "BgColor Found"};
  switch (site.summary.search_flag_code) {
    case 1:
      return {"Color NF", "BgColor NF"};
    case 2:
      return {"Color ER", "BgColor ER"};
    case 3:
      return {"Color NS", "BgColor NS"};
    default:
      return {"Color Default", "BgColor Default"};
  }
}

TSitesSort StoredSort() {
  int sort = 0;
  TryStrToInt(Settings().GetString("Sites List Sort"), sort);
  return TSitesSort::FromSetting(sort);
}

}  // namespace

void TSitesModel::Refresh() {
  beginResetModel();
  rows_.clear();
  if (SiteListReady()) {
    TSiteChoiceLists known;
    RefreshSites(SiteList(), SiteFilter(), nullptr, known);
    Order();
  }
  endResetModel();
}

void TSitesModel::Order() {
  rows_.clear();
  for (int position : SortedSitePositions(SiteList(), StoredSort()))
    if (const TWebSite* site = SiteList().SiteAt(position); site && site->Visible)
      rows_.push_back(position);
}

void TSitesModel::RefreshSite(const TWebSite* site) {
  const int row = RowOf(site);
  if (row >= 0) emit dataChanged(index(row, 0), index(row, kSiteColumnCount - 1));
}

TWebSite* TSitesModel::SiteAt(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || !SiteListReady()) return nullptr;
  return SiteList().SiteAt(rows_[static_cast<size_t>(row)]);
}

int TSitesModel::RowOf(const TWebSite* site) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (SiteList().SiteAt(rows_[i]) == site) return static_cast<int>(i);
  return -1;
}

void TSitesModel::SortByColumn(int column) {
  TSitesSort sort = StoredSort();
  if (sort.column == column)
    sort.reverse = !sort.reverse;
  else
    sort = {column, false};
  Settings().SetString("Sites List Sort", std::to_string(sort.ToSetting()));
  beginResetModel();
  Order();
  endResetModel();
}

int TSitesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TSitesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kSiteColumnCount;
}

QVariant TSitesModel::data(const QModelIndex& index, int role) const {
  const TWebSite* site = SiteAt(index.row());
  if (!site || index.column() < 0 || index.column() >= kSiteColumnCount) return {};
  switch (role) {
    case Qt::DisplayRole:
      // The status column is a picture in the grid's text: its state's name here ("Default"
      // shows nothing).
      if (index.column() == kColumnStatus)
        return site->summary.status == ssDefault
                   ? QString()
                   : QString::fromUtf8(SiteStatusName(site->summary.status));
      return ToQString(site->summary.text[static_cast<size_t>(index.column())]);
    case Qt::ForegroundRole:
      return SettingColor(RowColours(*site).first);
    case Qt::BackgroundRole:
      return SettingColor(RowColours(*site).second);
    default:
      return {};
  }
}

QVariant TSitesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kSiteColumnCount)
    return QAbstractTableModel::headerData(section, orientation, role);
  return QString::fromUtf8(SiteColumnCaptions()[static_cast<size_t>(section)]);
}

TfraSites::TfraSites(QWidget* parent) : QWidget(parent) {
  setObjectName("fraSites");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  model_ = new TSitesModel(this);
  view_ = new QTableView(this);
  view_->setObjectName("grdSites");
  view_->setModel(model_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setWordWrap(false);
  view_->verticalHeader()->setDefaultSectionSize(18);
  view_->verticalHeader()->hide();
  view_->horizontalHeader()->setSectionsClickable(true);
  view_->horizontalHeader()->setHighlightSections(false);
  layout->addWidget(view_, 1);
  counts_ = new QLabel(this);
  counts_->setObjectName("lblCounts");
  layout->addWidget(counts_);

  connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
    // The flags column's header does not sort.
    if (column == kColumnFlags) return;
    model_->SortByColumn(column);
  });
  connect(view_, &QTableView::activated, this, [this](const QModelIndex& index) {
    if (TWebSite* site = model_->SiteAt(index.row()))
      emit openSite(site, QApplication::keyboardModifiers() & Qt::ShiftModifier);
  });
}

void TfraSites::Refresh() {
  model_->Refresh();
  if (!layout_applied_) ApplyColumnLayout();
  UpdateCounts();
}

void TfraSites::ApplyColumnLayout() {
  // "Sites List Order": per display position the column's number + 1, negative when hidden;
  // "Sites List Width": the widths in the same order.
  layout_applied_ = true;
  const auto order = SplitAt(Settings().GetString("Sites List Order"), ',', TSplitMode::DropEmpty);
  const auto widths = SplitAt(Settings().GetString("Sites List Width"), ',', TSplitMode::DropEmpty);
  QHeaderView* header = view_->horizontalHeader();
  for (size_t position = 0; position < order.size(); ++position) {
    int v = 0;
    if (!TryStrToInt(order[position], v) || v == 0 || std::abs(v) > kSiteColumnCount) continue;
    const int column = std::abs(v) - 1;
    header->moveSection(header->visualIndex(column), static_cast<int>(position));
    header->setSectionHidden(column, v < 0);
    int width = 0;
    if (position < widths.size() && TryStrToInt(widths[position], width) && width > 0)
      header->resizeSection(column, width);
  }
  // The picture columns carry words here: wide enough for them.
  for (int column : {kColumnStatus, kColumnMethod, kColumnFlags})
    view_->resizeColumnToContents(column);
}

void TfraSites::RefreshSite(const QString& uin) {
  if (!SiteListReady()) return;
  if (TWebSite* site = SiteList().FindByUIN(FromQString(uin))) {
    site->RefreshSummary();
    model_->RefreshSite(site);
  }
}

void TfraSites::UpdateCounts() {
  const int total = SiteListReady() ? SiteList().Count() : 0;
  counts_->setText(QString("%1 of %2 sites shown").arg(model_->rowCount()).arg(total));
}

}  // namespace quillora::app
