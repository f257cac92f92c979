// The sites grid's model: one row per visible site of the process's site list, in the view's
// order. A row holds only the site's list position; every cell is read from the site's summary,
// so the grid keeps no copy of the list.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QPixmap>
#include <array>
#include <vector>

#include "sites/sites_view.h"

namespace quillora {
class TCustomSet;
class TWebSite;
}  // namespace quillora

namespace quillora::app {

// One of the view's built-in 16 x 16 pictures (2 protected, 3..6 the states, 7..9 the methods,
// 10 payment, 11 control panel, 12 unknown); an empty one for any other number.
QPixmap SitePicture(int number);

class TSitesModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TSitesModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Rebuilds the rows from the list's visible sites in the sort order (the filter must have been
  // applied).
  void Rebuild();
  // Re-sorts the rows without re-reading visibility.
  void SetSort(TSitesSort sort);
  TSitesSort Sort() const { return sort_; }
  // Every row repainted (summaries changed in place).
  void RepaintAll();

  TWebSite* SiteAt(int row) const;
  // -1 when the site has no row.
  int RowOf(const TWebSite* site) const;
  // The list positions of the rows, in row order.
  const std::vector<int>& Rows() const { return rows_; }

  // The row colours from the settings ("Color Found" .. "BgColor Default").
  void ReadColors();
  // The custom set whose members show unticked; nullptr hides the tick boxes.
  void SetCustomSet(TCustomSet* set);
  TCustomSet* CustomSet() const { return set_; }
  // Thumbnails mode: column 0 shows the site's thumbnail instead of its name.
  void SetThumbnails(bool on);
  bool Thumbnails() const { return thumbnails_; }

 signals:
  // A tick box changed the current custom set.
  void customSetChanged();
  // An in-place edit stored a new value for the site.
  void siteEdited(int row, int column);

 private:
  std::vector<int> rows_;
  TSitesSort sort_;
  // Foreground and background per colour rule: found, not found, error, not supported, default.
  std::array<QColor, 5> text_colors_, back_colors_;
  TCustomSet* set_ = nullptr;
  bool thumbnails_ = false;
};

// Six hexadecimal digits, red, green, blue; black when they do not parse.
QColor ColorFromSetting(const std::string& text);

}  // namespace quillora::app
