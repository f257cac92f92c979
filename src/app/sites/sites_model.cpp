#include "app/sites/sites_model.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <map>

#include "app/qt_text.h"
#include "app/sites/site_cell_edit.h"
#include "foundation/app_state.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/cover.h"
#include "sites/site.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "sites/sites_state.h"

namespace quillora::app {

namespace {

constexpr int kColName = 0;
constexpr int kColStatus = 6;
constexpr int kColRank = 7;
constexpr int kColComments = 12;
constexpr int kColProtected = 18;
constexpr int kColMethod = 23;
constexpr int kColFlags = 24;

// The built-in pictures: a small coloured badge with a letter each.
QPixmap Picture(int number) {
  static std::map<int, QPixmap> cache;
  auto found = cache.find(number);
  if (found != cache.end()) return found->second;
  struct Look {
    QColor color;
    const char* letter;
  };
  static const std::map<int, Look> looks = {
      {2, {QColor(0x70, 0x70, 0x70), "P"}},      {3, {QColor(0x2E, 0x7D, 0x32), "\u2713"}},
      {4, {QColor(0xE0, 0xA0, 0x00), "\u2026"}}, {5, {QColor(0x90, 0x90, 0x90), "\u2013"}},
      {6, {QColor(0xC0, 0x39, 0x2B), "\u2715"}}, {7, {QColor(0x1E, 0x60, 0xC0), "F"}},
      {8, {QColor(0x6A, 0x3D, 0x9A), "P"}},      {9, {QColor(0x00, 0x83, 0x8F), "@"}},
      {10, {QColor(0xB2, 0x6A, 0x00), "$"}},     {11, {QColor(0x45, 0x5A, 0x64), "A"}},
      {12, {QColor(0xB0, 0xB0, 0xB0), "?"}},
  };
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  auto look = looks.find(number);
  if (look != looks.end()) {
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(look->second.color);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QFont font = p.font();
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromUtf8(look->second.letter));
  }
  cache.emplace(number, pixmap);
  return pixmap;
}

QPixmap FlagsPicture(bool payment, bool panel) {
  static std::map<int, QPixmap> cache;
  const int key = (payment ? 1 : 0) | (panel ? 2 : 0);
  auto found = cache.find(key);
  if (found != cache.end()) return found->second;
  QPixmap pixmap(32, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  if (payment) p.drawPixmap(0, 0, Picture(10));
  if (panel) p.drawPixmap(16, 0, Picture(11));
  p.end();
  cache.emplace(key, pixmap);
  return pixmap;
}

// The comment's hint: trailing blanks gone, lines broken at blanks, hyphens and tabs so that
// none is much wider than 45 characters.
QString WrappedComment(std::string text) {
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
  std::string out, line;
  size_t break_at = std::string::npos;
  for (char c : text) {
    line += c;
    if (c == ' ' || c == '-' || c == '\t') break_at = line.size();
    if (c == '\n') {
      out += line;
      line.clear();
      break_at = std::string::npos;
    } else if (line.size() > 45 && break_at != std::string::npos) {
      out += line.substr(0, break_at) + "\r\n";
      line.erase(0, break_at);
      break_at = std::string::npos;
    }
  }
  return ToQString(out + line);
}

int ColorRule(const TWebSite& site) {
  if (!site.summary.text[kColVersionListed].empty()) return 0;
  const int flag = site.summary.search_flag_code;
  return flag >= 0 && flag <= 3 ? flag : 4;
}

QImage ThumbnailOf(TWebSite& site) {
  TImage24 picture;
  const TSiteList& list = SiteList();
  if (site.ThumbnailIndex >= 0 && !list.ThumbnailStrip.Empty() &&
      (site.ThumbnailIndex + 1) * 120 <= list.ThumbnailStrip.height) {
    QImage image(
        reinterpret_cast<const uchar*>(list.ThumbnailStrip.Pixel(0, site.ThumbnailIndex * 120)),
        list.ThumbnailStrip.width, 120, list.ThumbnailStrip.width * 3, QImage::Format_RGB888);
    return image.copy();
  }
  try {
    picture = site.GetCoverPicture();
  } catch (const std::exception&) {
    return {};
  }
  if (picture.Empty()) return {};
  QImage image(reinterpret_cast<const uchar*>(picture.bytes.data()), picture.width, picture.height,
               picture.width * 3, QImage::Format_RGB888);
  return image.scaled(160, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

QPixmap SitePicture(int number) {
  return Picture(number);
}

QColor ColorFromSetting(const std::string& text) {
  bool ok = false;
  const uint value = ToQString(text).trimmed().toUInt(&ok, 16);
  if (!ok || text.size() != 6) return QColor(0, 0, 0);
  return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

TSitesModel::TSitesModel(QObject* parent) : QAbstractTableModel(parent) {
  ReadColors();
}

void TSitesModel::ReadColors() {
  static const char* const names[] = {"Found", "NF", "ER", "NS", "Default"};
  for (size_t i = 0; i < 5; ++i) {
    text_colors_[i] = ColorFromSetting(Settings().GetString(std::string("Color ") + names[i]));
    back_colors_[i] = ColorFromSetting(Settings().GetString(std::string("BgColor ") + names[i]));
  }
  RepaintAll();
}

int TSitesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TSitesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kSiteColumnCount;
}

TWebSite* TSitesModel::SiteAt(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || !SiteListReady()) return nullptr;
  const int position = rows_[static_cast<size_t>(row)];
  return position < SiteList().Count() ? SiteList().SiteAt(position) : nullptr;
}

int TSitesModel::RowOf(const TWebSite* site) const {
  if (!site) return -1;
  for (size_t r = 0; r < rows_.size(); ++r)
    if (SiteAt(static_cast<int>(r)) == site) return static_cast<int>(r);
  return -1;
}

QVariant TSitesModel::data(const QModelIndex& index, int role) const {
  TWebSite* site = index.isValid() ? SiteAt(index.row()) : nullptr;
  if (!site) return {};
  const int column = index.column();
  const TSiteSummary& summary = site->summary;
  switch (role) {
    case Qt::DisplayRole: {
      if (column == kColStatus || column == kColProtected || column == kColMethod ||
          column == kColFlags || (column == kColName && thumbnails_))
        return {};
      return ToQString(summary.text[static_cast<size_t>(column)]);
    }
    case Qt::EditRole:
      if (!IsEditableSiteColumn(column) || !RecordListsReady()) return {};
      return ToQString(SiteCellEditText(ActiveProfile(), *site, column));
    case Qt::DecorationRole:
      switch (column) {
        case kColName:
          if (thumbnails_) return ThumbnailOf(*site);
          return {};
        case kColStatus:
          return summary.status_picture >= 3 ? QVariant(Picture(summary.status_picture))
                                             : QVariant();
        case kColProtected:
          return summary.protected_picture >= 0 ? QVariant(Picture(summary.protected_picture))
                                                : QVariant();
        case kColMethod:
          return Picture(summary.method_picture);
        case kColFlags: {
          const bool payment = site->Info.Value("Common info", "Payment Required") == "TRUE";
          const bool panel = site->Info.Value("Common info", "Control Panel for authors") == "TRUE";
          if (!payment && !panel) return {};
          return FlagsPicture(payment, panel);
        }
        default:
          return {};
      }
    case Qt::ToolTipRole:
      switch (column) {
        case kColStatus: {
          static const char* const hints[] = {"Complete", "Pending", "Skipped", "Failed"};
          const int p = summary.status_picture;
          return p >= 3 && p <= 6 ? QVariant(QString(hints[p - 3])) : QVariant();
        }
        case kColRank:
          return "Page rank: " + ToQString(summary.text[kColRank]);
        case kColComments:
          return WrappedComment(summary.text[kColComments]);
        case kColProtected:
          return summary.protected_picture >= 0 ? QVariant(QString("Protected")) : QVariant();
        case kColMethod: {
          const int p = summary.method_picture;
          return QString(p == 7   ? "Submit by Form"
                         : p == 8 ? "Submit by PAD"
                         : p == 9 ? "Submit by E-Mail"
                                  : "Method unknown");
        }
        case kColFlags: {
          QString hint;
          if (site->Info.Value("Common info", "Payment Required") == "TRUE")
            hint += "Payment required. ";
          if (site->Info.Value("Common info", "Control Panel for authors") == "TRUE")
            hint += "Control Panel for authors. ";
          return hint.isEmpty() ? QString("No flags") : hint;
        }
        default:
          return ToQString(summary.text[static_cast<size_t>(column)]);
      }
    case Qt::ForegroundRole:
      return text_colors_[static_cast<size_t>(ColorRule(*site))];
    case Qt::BackgroundRole:
      return back_colors_[static_cast<size_t>(ColorRule(*site))];
    case Qt::CheckStateRole:
      if (column != kColName || !set_) return {};
      return set_->Contains(site->UIN()) ? Qt::Unchecked : Qt::Checked;
    case Qt::SizeHintRole:
      if (thumbnails_ && column == kColName) return QSize(164, 122);
      return {};
    default:
      return {};
  }
}

bool TSitesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  TWebSite* site = index.isValid() ? SiteAt(index.row()) : nullptr;
  if (!site) return false;
  if (role == Qt::CheckStateRole && index.column() == kColName && set_) {
    // A tick box shows the site outside the set; unticking adds it.
    set_->SetMember(site->UIN(), value.toInt() != Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit customSetChanged();
    return true;
  }
  if (role != Qt::EditRole || !IsEditableSiteColumn(index.column()) || !RecordListsReady() ||
      !ActiveProfileValues())
    return false;
  if (!StoreSiteCellEdit(ActiveProfile(), *site, index.column(), FromQString(value.toString())))
    return false;
  emit dataChanged(this->index(index.row(), 0), this->index(index.row(), kSiteColumnCount - 1));
  emit siteEdited(index.row(), index.column());
  return true;
}

QVariant TSitesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kSiteColumnCount) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
    return QString(SiteColumnCaptions()[static_cast<size_t>(section)]);
  return {};
}

Qt::ItemFlags TSitesModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (!index.isValid()) return f;
  if (index.column() == kColName && set_) f |= Qt::ItemIsUserCheckable;
  if (IsEditableSiteColumn(index.column()) && ActiveProfileValues()) f |= Qt::ItemIsEditable;
  return f;
}

void TSitesModel::Rebuild() {
  beginResetModel();
  rows_.clear();
  if (SiteListReady()) {
    for (int position : SortedSitePositions(SiteList(), sort_))
      if (SiteList().SiteAt(position)->Visible) rows_.push_back(position);
  }
  endResetModel();
}

void TSitesModel::SetSort(TSitesSort sort) {
  sort_ = sort;
  if (!SiteListReady()) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  // The focused and selected rows follow their sites to their new places.
  const QModelIndexList before = persistentIndexList();
  const std::vector<int> old_rows = std::move(rows_);
  rows_.clear();
  rows_.reserve(old_rows.size());
  for (int position : SortedSitePositions(SiteList(), sort_))
    if (SiteList().SiteAt(position)->Visible) rows_.push_back(position);
  std::vector<int> row_of(static_cast<size_t>(SiteList().Count()), -1);
  for (size_t r = 0; r < rows_.size(); ++r)
    row_of[static_cast<size_t>(rows_[r])] = static_cast<int>(r);
  QModelIndexList after;
  for (const QModelIndex& i : before) {
    const int old = i.row();
    const int row = old >= 0 && old < static_cast<int>(old_rows.size())
                        ? row_of[static_cast<size_t>(old_rows[static_cast<size_t>(old)])]
                        : -1;
    after << (row >= 0 ? index(row, i.column()) : QModelIndex());
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TSitesModel::RepaintAll() {
  if (rows_.empty()) return;
  emit dataChanged(index(0, 0), index(static_cast<int>(rows_.size()) - 1, kSiteColumnCount - 1));
}

void TSitesModel::SetCustomSet(TCustomSet* set) {
  beginResetModel();
  set_ = set;
  endResetModel();
}

void TSitesModel::SetThumbnails(bool on) {
  thumbnails_ = on;
  RepaintAll();
}

}  // namespace quillora::app
