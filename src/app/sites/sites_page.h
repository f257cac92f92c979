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
class QTabWidget;
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
  // "Open in a new Window": Update or Submit with Shift held, else Search once submitted, or Home.
  void OpenInNewWindow();
  // "Add Site": a new site at the end of the list in the site editor; dropped when cancelled.
  void AddSite();
  // "Edit site": the focused site in the site editor.
  void EditFocused();
  // "Check for Dupes" over the whole list, then a full refresh.
  void CheckDupes();
  // "Login": a login file into the active profile and the set "Imported Login Info".
  void ImportLogins();
  // "Status": the product status dialog for the focused site.
  void ShowStatus();
  // The product menu with each product's state at the focused site; the report menu.
  void FillProductMenu(QMenu* menu);
  void FillReportMenu(QMenu* menu);
  // Makes the product named `name` active (the product menu's item with that hint).
  void ChooseProduct(const QString& name);
  // "<<" / ">>": the advanced filter in place of the info panel, and back.
  void SetAdvancedFilter(bool on);
  // The modifier keys of the last mouse press or key in the grid or on the tool bar's buttons;
  // a command runs "with Shift held" when it has Shift.
  Qt::KeyboardModifiers ShiftState() const { return shift_state_; }
  void SetShiftState(Qt::KeyboardModifiers state) { shift_state_ = state; }
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
  // The Search Results page's browser; nullptr unless "New_Autosearch" offered it at creation.
  QWebEngineView* SearchResultsView() const { return results_; }
  // The view's command of that object name ("actAddSite", ...); nullptr for none.
  QAction* Action(const char* name) const;
  QLabel* CountLabel() const { return counts_; }
  const TSiteChoiceLists& Known() const { return known_; }

  // Set by the main window: open the site in its Submitter page (or, new_page, a further one) at
  // "Home", "Search", "Submit" or "Update"; open an address of a panel link there; show one of its
  // pages.
  std::function<void(TWebSite*, const std::string&, bool new_page)> open_site;
  std::function<void(TWebSite*, const QString&)> open_url;
  std::function<void(int)> show_page;
  // The number of open Submitter pages (for the window limit of a new one).
  std::function<int()> open_page_count;
  // Windows other parts of the program own, set by the main window; a command whose hook is
  // empty stays disabled. edit_site returns whether the user confirmed the editor; batch_search
  // (remote: the remote search service's window) whether results changed; update_sites whether
  // the database changed.
  std::function<bool(TWebSite*)> edit_site;
  std::function<void(TWebSite*)> single_search;
  std::function<bool(bool remote)> batch_search;
  std::function<void()> export_report;
  std::function<bool()> update_sites;
  std::function<void(TWebSite*)> bug_report;
  // The company selected in the product manager, and what follows a product change made here
  // (the product manager shows the new product).
  std::function<std::string()> selected_company_uin;
  std::function<void()> product_changed;
  // A status or per-site record changed (the main window recounts its submission counters).
  std::function<void()> records_changed;

  void EnableCommands();

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
  bool eventFilter(QObject* watched, QEvent* event) override;
  void FocusRow(int row);
  void ShowSearchResults(TWebSite* site);
  void AfterRecordsChanged(TWebSite* site, bool resort);
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
  QWebEngineView* results_ = nullptr;
  QTabWidget* panel_ = nullptr;
  QToolButton* advanced_ = nullptr;
  QToolButton* report_button_ = nullptr;
  QToolButton* product_button_ = nullptr;
  QLabel* counts_ = nullptr;
  QToolButton* thumbs_ = nullptr;
  QAction* act_table_ = nullptr;
  QAction* act_thumbnails_ = nullptr;
  QAction* act_info_panel_ = nullptr;
  TSiteChoiceLists known_;
  std::string current_uin_;
  std::string base_address_;
  bool created_ = false;
  Qt::KeyboardModifiers shift_state_;
  bool double_clicked_ = false;
};

}  // namespace quillora::app
