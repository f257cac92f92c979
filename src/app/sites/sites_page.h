// The Sites page: the sites grid over the site list with its tool bar, filter panel, info panel
// and counts; opening the focused site in the submitter, the grid's sort and column layout kept
// in the settings, in-place editing of the per-site versions and logins, and the commands that
// act on the focused site.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "sites/site.h"
#include "sites/sites_view.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTableView;
class QToolBar;
class QToolButton;
class QWebEngineView;

namespace quillora::app {

class TSiteFilterPanel;
class TSitesModel;

class TfraSites : public QWidget {
  Q_OBJECT
 public:
  explicit TfraSites(QWidget* parent = nullptr);
  ~TfraSites() override;

  // Once the site list, filter, custom sets and profile exist: layout from the settings, the
  // first full refresh and the filter panel.
  void OnCreate();
  // Each time the page is shown: the sort from the settings, the current site focused.
  void OnActivate();
  // Rebuilds the rows, applies the filter and sorts (after any change to the site list).
  void FullRefresh();
  // The first refresh creates the page's state (OnCreate), any later one is a full refresh.
  void Refresh();
  // One site's summary again and its row repainted (after a submission or a status change).
  void RefreshSite(const QString& uin);
  // Recomputes the summaries in place (after a change of the active product or its records).
  void RefreshListView();
  // Applies the filter as it now is, without recomputing the summaries.
  void ApplyFilter();
  // The UIN of the next visible site after (before) site in the grid's order; empty when none.
  std::string NextSiteUIN(const TWebSite* site, bool forward) const;
  // "Open", "Home", "Search", "Submit", "Update" for the focused site (see the open rules).
  void OpenFocused();
  void OpenFocusedAt(int page);
  void DeleteFocused();
  void FindSite();
  void SetThumbnails(bool on);
  // Writes "Sites List Order" and "Sites List Width" from the grid.
  void SaveLayout();

  TWebSite* CurrentSite() const;
  bool FocusSite(const TWebSite* site);
  QTableView* Grid() const { return grid_; }
  QTableView* View() const { return grid_; }
  TSitesModel* Model() const { return model_; }
  TSiteFilterPanel* FilterPanel() const { return filter_panel_; }
  QWebEngineView* InfoView() const { return info_; }
  QLabel* CountLabel() const { return counts_; }
  const TSiteChoiceLists& Known() const { return known_; }

  // Set by the main window: open the site in its Submitter page (or, new_page, a further one) at
  // "Home", "Search", "Submit" or "Update"; open an address of a panel link there; show one of its
  // pages.
  std::function<void(TWebSite*, const std::string&, bool new_page)> open_site;
  std::function<void(TWebSite*, const QString&)> open_url;
  std::function<void(int)> show_page;

 signals:
  // The info panel's page was written for the site with this UIN.
  void infoShown(const QString& uin);

 private:
  QAction* AddAction(const char* name, const QString& text, const QString& hint,
                     const QKeySequence& keys = {});
  void BuildActions(QToolBar* bar);
  void BuildStatusMenu(QMenu* menu);
  void SetOverride(const std::string& state, const std::string& comment);
  void ApplyLayout();
  void HeaderClicked(int column);
  void FocusChanged();
  void ShowInfo(TWebSite* site);
  void UpdateCounts();
  void EnableCommands();
  void FocusCurrentOrFirst();
  void SiteEdited(int row, int column);
  void PanelLink(const QUrl& url);
  bool RequireProduct();
  void OpenAt(int page, bool new_page);

  TSitesModel* model_ = nullptr;
  QTableView* grid_ = nullptr;
  TSiteFilterPanel* filter_panel_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QWebEngineView* info_ = nullptr;
  QLabel* counts_ = nullptr;
  QToolButton* thumbs_ = nullptr;
  QAction* act_table_ = nullptr;
  QAction* act_thumbnails_ = nullptr;
  QAction* act_info_panel_ = nullptr;
  TSiteChoiceLists known_;
  std::string current_uin_;
  std::string base_address_;
  bool created_ = false;
};

}  // namespace quillora::app
