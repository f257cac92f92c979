// The Sites page: the sites of the database for the active product in the view's order, with
// their summary columns and row colours; a header click sorts (kept in "Sites List Sort"), and
// opening a row takes the site to the Submitter.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <vector>

class QLabel;
class QTableView;

namespace quillora {
class TWebSite;
}

namespace quillora::app {

// The view's rows over the core's site list: list positions only, no copy of the sites.
class TSitesModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  // The summaries, the filter and the order afresh (the Sites view's full refresh).
  void Refresh();
  // One site's row again (after a submission or a status change).
  void RefreshSite(const TWebSite* site);
  TWebSite* SiteAt(int row) const;
  int RowOf(const TWebSite* site) const;
  // Sorts by column: the same column again reverses the order. Stored in "Sites List Sort".
  void SortByColumn(int column);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  void Order();
  std::vector<int> rows_;  // list positions of the visible sites, in the view's order
};

class TfraSites : public QWidget {
  Q_OBJECT
 public:
  explicit TfraSites(QWidget* parent = nullptr);
  TSitesModel* Model() const { return model_; }
  QTableView* View() const { return view_; }
  void Refresh();
  void RefreshSite(const QString& uin);

 signals:
  // The user opened a site: with Shift it goes to a further Submitter page.
  void openSite(quillora::TWebSite* site, bool new_page);

 private:
  void UpdateCounts();
  void ApplyColumnLayout();
  bool layout_applied_ = false;
  TSitesModel* model_;
  QTableView* view_;
  QLabel* counts_;
};

}  // namespace quillora::app
