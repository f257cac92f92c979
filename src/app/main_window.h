// The main window: the page control with the Products, Sites and Submitter pages (and later the
// extra submitter pages), the main menu routed to the pages that own its commands, the keys the
// window sees before its controls, the caption, the placements and the orderly close.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QTabWidget;
class QToolButton;

namespace quillora::app {

class TQtUserInterface;
class TdlgOptions;
class TfrmAbout;
class TfrmSplash;
class TfraSubmitter;
class TfraSites;
class TfraProductMan;
class TAutoUpdateCheck;

class TfrmMain : public QMainWindow {
  Q_OBJECT
 public:
  enum Page { kProducts = 0, kSites = 1, kSubmitter = 2 };

  explicit TfrmMain(TQtUserInterface& ui, QWidget* parent = nullptr);
  ~TfrmMain() override;

  // The splash the first showing hides and the site-list reload shows again.
  void SetSplash(TfrmSplash* splash) { splash_ = splash; }
  bool FirstShown() const { return shown_; }

  QTabWidget* PageControl() const { return pages_; }
  // Submitter pages: entry 0 is the Submitter page, entry k the page k + 2.
  int SubmitterPageCount() const { return static_cast<int>(submitter_pages_.size()); }
  bool SubmitterPageActive() const;
  // The main window's own Submitter page.
  TfraSubmitter* Submitter() const;
  TfraSites* Sites() const { return sites_; }
  TfraProductMan* Products() const { return products_; }
  // A further Submitter page: a closed one is reused (shown again as the last tab), else a new
  // one is made. It becomes the current page.
  TfraSubmitter* OpenSubmitterPage();
  // Closes a further Submitter page (never the first): its tab goes, its browser is emptied and
  // it waits behind the open ones to be reused.
  void CloseSubmitterPage(TfraSubmitter* page);
  // The open Submitter page showing the site, or nullptr.
  TfraSubmitter* FindSubmitterBySite(const std::string& uin) const;
  int OpenSubmitterCount() const { return open_submitters_; }

  // "Quillora 3.0 -> " + the active product's name (+ " -> " + the current site's name).
  void UpdateCaption();
  // Run on every page change and after page commands.
  void PageControlChange();
  void NextTab();
  void PrevTab();
  // The help at its start, or at the topic of the active page.
  void HelpTopics();
  void HelpContext();
  // Reloads the site database with the splash's gauge as progress.
  void ReloadSites();
  void ShowAbout();
  // "Update": the site-database update (manual stops the pending automatic check); the sites
  // view is refreshed when sites changed.
  void RunUpdate(bool manual);
  // "Properties": the selected-sites dialog over the Sites page's selected rows.
  void EditSelectedSitesProperties();
  TAutoUpdateCheck* UpdateCheck() const { return update_check_; }
  // The preferences dialog on one of its pages; after "Save", preferencesChanged().
  void ShowPreferences(int page);
  TdlgOptions* Preferences() const { return options_; }

  QToolButton* CloseButton() const { return close_button_; }
  TfrmAbout* About() const { return about_; }

 signals:
  // After the first showing has loaded the records and hidden the splash.
  void firstShowDone();
  // The preferences were saved: the pages take up the changed settings.
  void preferencesChanged();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAction* AddAction(QMenu* menu, const char* name, const QString& text, bool enabled,
                     const QKeySequence& keys = {});
  void CreateMenu();
  // The Site List, Edit, View and Tools items that run the Sites page's commands.
  void RouteSitesMenu();
  void CreatePages();
  void FirstShow();
  // Each activation: maximised while no placement is stored; the first restores every window's.
  void Activated();
  void RefreshPages();
  // The help file: the executable's folder + "Help FileName", or the same under the shared data
  // of an installed program.
  std::string HelpFile() const;
  void OpenHelpAt(const std::string& topic);

  TQtUserInterface& ui_;
  QTabWidget* pages_ = nullptr;
  QToolButton* close_button_ = nullptr;
  TfraProductMan* products_ = nullptr;
  TfraSites* sites_ = nullptr;
  // The open pages first, then the closed ones kept for reuse.
  std::vector<QWidget*> submitter_pages_;
  int open_submitters_ = 1;
  // Gives a Submitter page its Next rule over the other open pages.
  void WireSubmitter(TfraSubmitter* page);
  QPointer<TfrmSplash> splash_;
  TfrmAbout* about_ = nullptr;
  TAutoUpdateCheck* update_check_ = nullptr;
  TdlgOptions* options_ = nullptr;
  QAction* act_show_side_panel_ = nullptr;
  QAction* act_show_statistics_ = nullptr;
  bool shown_ = false;
  bool activated_once_ = false;
  bool closing_done_ = false;
};

}  // namespace quillora::app
