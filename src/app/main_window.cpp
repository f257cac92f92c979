#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/about_window.h"
#include "app/browser/web_browser.h"
#include "app/preferences/preferences_dialog.h"
#include "app/products/company_editor.h"
#include "app/products/product_editor.h"
#include "app/products/product_manager.h"
#include "app/products/user_info_actions.h"
#include "app/qt_text.h"
#include "app/qt_user_interface.h"
#include "app/report/report_dialog.h"
#include "app/search/auto_search_window.h"
#include "app/site_editor/selected_sites_dialog.h"
#include "app/site_editor/site_editor.h"
#include "app/sites/sites_model.h"
#include "app/sites/sites_page.h"
#include "app/splash_window.h"
#include "app/submitter/submitter_page.h"
#include "app/update/bug_report_dialog.h"
#include "app/update/site_update_dialogs.h"
#include "app/window_placements.h"
#include "backup/backup.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/monitors.h"
#include "foundation/ui_port.h"
#include "foundation/window_state.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "sites/site_list.h"
#include "sites/sites_state.h"

namespace quillora::app {

namespace {}  // namespace

TfrmMain::TfrmMain(TQtUserInterface& ui, QWidget* parent) : QMainWindow(parent), ui_(ui) {
  setObjectName("frmMain");
  resize(786, 534);
  update_check_ = new TAutoUpdateCheck([this] { RunUpdate(false); }, this);
  TQtUpdateFrontEnd::SubmitterOpener() = [this](const std::string& address) {
    pages_->setCurrentWidget(Submitter());
    Submitter()->Browser()->Stop();
    Submitter()->Browser()->Navigate(QUrl(ToQString(address)));
  };
  CreatePages();
  CreateMenu();
  RouteSitesMenu();
  about_ = new TfrmAbout(this);
  options_ = new TdlgOptions(this);
  options_->SetSitesGrid(sites_->Grid());
  options_->SetEditors(products_->CompanyEditor(), products_->ProductEditor());
  RegisterPlacedWindow(this);
  SetAutoPosition(this, TAutoPosition::DesktopCenter);
  ui_.SetMainWindow(this);
  // The window sees keys before its controls do.
  qApp->installEventFilter(this);
  shown_ = false;
  UpdateCaption();
  pages_->setCurrentIndex(kProducts);
  PageControlChange();
}

TfrmMain::~TfrmMain() {
  qApp->removeEventFilter(this);
  TQtUpdateFrontEnd::SubmitterOpener() = nullptr;
  // The submitter pages' clean-up and the sites grid's column layout go here once those pages
  // exist; the settings are saved after every window is gone.
}

QAction* TfrmMain::AddAction(QMenu* menu, const char* name, const QString& text, bool enabled,
                             const QKeySequence& keys) {
  auto* action = new QAction(text, this);
  action->setObjectName(name);
  action->setEnabled(enabled);
  if (!keys.isEmpty()) action->setShortcut(keys);
  menu->addAction(action);
  return action;
}

void TfrmMain::CreatePages() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  pages_ = new QTabWidget(central);
  pages_->setObjectName("PageControl");
  pages_->setDocumentMode(false);
  layout->addWidget(pages_);
  setCentralWidget(central);

  products_ = new TfraProductMan(pages_);
  auto* products = products_;
  connect(products_, &TfraProductMan::productActivated, this, [this] {
    UpdateCaption();
    sites_->Refresh();
    for (int i = 0; i < open_submitters_; ++i)
      static_cast<TfraSubmitter*>(submitter_pages_[static_cast<size_t>(i)])->RebuildQueue();
  });
  connect(products_, &TfraProductMan::recordChanged, this, [this] { UpdateCaption(); });
  sites_ = new TfraSites(pages_);
  auto* sites = sites_;
  // Shift (new_page) opens a further Submitter page.
  sites_->open_site = [this](TWebSite* site, const std::string& page, bool new_page) {
    update_check_->SiteOpened();
    TfraSubmitter* submitter = new_page ? OpenSubmitterPage() : Submitter();
    if (!new_page) pages_->setCurrentWidget(submitter);
    submitter->OpenSite(site, page);
  };
  sites_->open_url = [this](TWebSite* site, const QString& url) {
    pages_->setCurrentWidget(Submitter());
    Submitter()->OpenSiteAtAddress(site, url);
  };
  sites_->show_page = [this](int page) { pages_->setCurrentIndex(page); };
  sites_->open_page_count = [this] { return open_submitters_; };
  sites_->selected_company_uin = [this] { return products_->SelectedCompanyUin(); };
  // The windows the Sites page's commands open.
  sites_->edit_site = [this](TWebSite* site) { return EditSite(this, *site, &sites_->Known()); };
  sites_->single_search = [this](TWebSite* site) {
    update_check_->Pause();
    RunSingleSearchWindow(this, site);
    update_check_->Resume();
  };
  sites_->batch_search = [this](bool) {
    update_check_->Pause();
    const bool changed = RunBatchSearchWindow(this);
    update_check_->Resume();
    return changed;
  };
  sites_->export_report = [this] { RunReportExport(this); };
  sites_->update_sites = [this] {
    update_check_->Cancel();
    return RunSiteUpdate(this);
  };
  sites_->bug_report = [this](TWebSite* site) { RunBugReport(this, site); };
  connect(this, &TfrmMain::preferencesChanged, sites_, [this] {
    sites_->Model()->ReadColors();
    sites_->FullRefresh();
  });
  sites_->EnableCommands();
  sites_->product_changed = [this] {
    products_->RefreshProducts();
    UpdateCaption();
    for (int i = 0; i < open_submitters_; ++i)
      static_cast<TfraSubmitter*>(submitter_pages_[static_cast<size_t>(i)])->RebuildQueue();
  };
  auto* submitter = new TfraSubmitter(pages_);
  pages_->addTab(products, "Products");
  pages_->addTab(sites, "Sites");
  pages_->addTab(submitter, "Submitter");
  submitter_pages_.push_back(submitter);
  WireSubmitter(submitter);

  close_button_ = new QToolButton(pages_);
  close_button_->setObjectName("btnClose");
  close_button_->setText(QString::fromUtf8("\u2715"));
  close_button_->setToolTip("Close this submitter page");
  close_button_->setAutoRaise(true);
  pages_->setCornerWidget(close_button_, Qt::TopRightCorner);
  connect(close_button_, &QToolButton::clicked, this, [this] {
    // The first Submitter page never closes.
    if (pages_->currentIndex() <= kSubmitter) return;
    CloseSubmitterPage(static_cast<TfraSubmitter*>(pages_->currentWidget()));
  });
  connect(pages_, &QTabWidget::currentChanged, this, [this] { PageControlChange(); });
  RefreshPages();
}

void TfrmMain::CreateMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu");

  QMenu* site_list = bar->addMenu("Site List");
  site_list->setObjectName("mnSiteList");
  connect(AddAction(site_list, "actRefresh", "Refresh", true), &QAction::triggered, this,
          [this] { ReloadSites(); });
  site_list->addSeparator();
  AddAction(site_list, "actAddSite", "Add Site", false);
  AddAction(site_list, "actEditSite", "Edit site", false);
  AddAction(site_list, "actDelete", "Delete", false);
  site_list->addSeparator();
  connect(AddAction(site_list, "actProperties", "Properties", true), &QAction::triggered, this,
          [this] { EditSelectedSitesProperties(); });
  AddAction(site_list, "actUpdate", "Update", false);
  AddAction(site_list, "actExport", "Export", false);
  site_list->addSeparator();
  connect(AddAction(site_list, "actExit", "Exit", true), &QAction::triggered, this,
          &QWidget::close);

  QMenu* edit = bar->addMenu("Edit");
  edit->setObjectName("mnEdit");
  AddAction(edit, "actFind", "Find", false, QKeySequence("Ctrl+F"));
  AddAction(edit, "actSelectAll", "Select All", false, QKeySequence("Ctrl+A"));

  QMenu* view = bar->addMenu("View");
  view->setObjectName("mnView");
  AddAction(view, "actTable", "Table", false);
  AddAction(view, "actThumbnails", "Thumbnails", false);
  AddAction(view, "actShowInfoPanel", "Show Info Panel", false);
  view->addSeparator();
  act_show_side_panel_ = AddAction(view, "actShowSidePanel", "Show Side Panel", false);
  connect(act_show_side_panel_, &QAction::triggered, this,
          [this] { Submitter()->ToggleSidePanel(); });
  act_show_side_panel_->setCheckable(true);

  QMenu* options = bar->addMenu("Options");
  options->setObjectName("mnOptions");
  const std::pair<const char*, const char*> option_pages[] = {
      {"actOptionsSiteList", "Site List"},
      {"actOptionsEMail", "E-Mail"},
      {"actOptionsColors", "Colors"},
      {"actOptionsSubmitter", "Submitter"},
      {"actOptionsPADEditors", "PAD Editors"}};
  for (int page = 0; page < 5; ++page)
    connect(AddAction(options, option_pages[page].first, option_pages[page].second, true),
            &QAction::triggered, this, [this, page] { ShowPreferences(page); });
  options->addSeparator();
  connect(AddAction(options, "actOptions", "Preferences", true), &QAction::triggered, this, [this] {
    ShowPreferences(TdlgOptions::kSiteList);
    // The current page takes up what changed.
    PageControlChange();
  });
  AddAction(options, "actBrowserOptions", "Browser options", false);

  QMenu* tools = bar->addMenu("Tools");
  tools->setObjectName("mnTools");
  connect(AddAction(tools, "actTranslate", "Translate to English", true), &QAction::triggered, this,
          [this] { Submitter()->Run("actTranslate"); });
  tools->addSeparator();
  // One batch search is present: the remote search window's with "New_Autosearch".
  QAction* batch = AddAction(tools, "actAutoSearch", "Generate report (Batch Search)", false);
  QAction* batch2 = AddAction(tools, "actAutoSearch2", "Generate report (Batch Search)", false);
  connect(tools, &QMenu::aboutToShow, this, [batch, batch2] {
    const bool second = Settings().GetBool("New_Autosearch");
    batch->setVisible(!second);
    batch2->setVisible(second);
  });
  AddAction(tools, "actExportReport", "Export report", false);
  AddAction(tools, "actCheckDupes", "Check for Dupes", false);
  tools->addSeparator();
  connect(AddAction(tools, "actBackup", "Backup User Info", true), &QAction::triggered, this,
          [] { BackupUserInfoCommand(); });
  connect(AddAction(tools, "actRestore", "Restore User Info", true), &QAction::triggered, this,
          [this] {
            if (!RestoreUserInfoCommand()) return;
            products_->Refresh();
            ActiveProfile().Activate();
            UpdateCaption();
          });
  connect(AddAction(tools, "actExportRating", "Export Rating", true), &QAction::triggered, this,
          [] { ExportRatingsCommand(); });
  connect(AddAction(tools, "actImportRating", "Import Rating", true), &QAction::triggered, this,
          [this] {
            if (ImportRatingsCommand() > 0) RefreshPages();
          });
  tools->addSeparator();
  act_show_statistics_ = AddAction(tools, "actShowStatistics", "Show Statistics", false);
  AddAction(tools, "actSubmissionService", "Submission Service", false);

  QMenu* help = bar->addMenu("Help");
  help->setObjectName("mnHelp");
  connect(AddAction(help, "actHelpTopics", "Help Topics", true, QKeySequence("Shift+F1")),
          &QAction::triggered, this, [this] { HelpTopics(); });
  connect(AddAction(help, "actHelpContext", "Help Context", true, QKeySequence(Qt::Key_F1)),
          &QAction::triggered, this, [this] { HelpContext(); });
  help->addSeparator();
  connect(AddAction(help, "actAbout", "About Quillora", true), &QAction::triggered, this,
          [this] { ShowAbout(); });

  // Page moves: not in the menu, but the window's own commands.
  auto* next = new QAction("Next Tab", this);
  next->setObjectName("actNextTab");
  connect(next, &QAction::triggered, this, [this] { NextTab(); });
  addAction(next);
  auto* prev = new QAction("Prev Tab", this);
  prev->setObjectName("actPrevTab");
  connect(prev, &QAction::triggered, this, [this] { PrevTab(); });
  addAction(prev);
}

void TfrmMain::EditSelectedSitesProperties() {
  if (pages_->currentIndex() != kSites || !SiteListReady()) return;
  const std::vector<TWebSite*> chosen =
      SelectedSites(sites_->Grid()->selectionModel(), sites_->Model());
  if (chosen.empty()) return;
  TCustomSet* set = sites_->Model()->CustomSet();
  if (!EditSelectedSites(this, chosen, sites_->Known().categories, set)) return;
  if (Settings().GetBool("Filter Show Apply Button"))
    sites_->RefreshListView();
  else
    sites_->FullRefresh();
}

void TfrmMain::RunUpdate(bool manual) {
  if (manual) update_check_->Cancel();
  if (RunSiteUpdate(this)) sites_->FullRefresh();
}

void TfrmMain::RouteSitesMenu() {
  // Menu items that are the Sites page's own commands follow its state and run it.
  const std::pair<const char*, const char*> routes[] = {
      {"actAddSite", "actAddSite"},
      {"actEditSite", "actSiteEdit"},
      {"actDelete", "actDeleteSite"},
      {"actUpdate", "actUpdate"},
      {"actExport", "actExport"},
      {"actTable", "actViewAsTable"},
      {"actThumbnails", "actViewAsThumbnails"},
      {"actShowInfoPanel", "actShowBottomPanel"},
      {"actAutoSearch", "actAutoSearch"},
      {"actAutoSearch2", "actAutoSearch2"},
      {"actExportReport", "actExportReport"},
      {"actCheckDupes", "actCheckDupes"},
  };
  for (const auto& [item_name, command_name] : routes) {
    QAction* item = findChild<QAction*>(item_name, Qt::FindDirectChildrenOnly);
    QAction* command = sites_->Action(command_name);
    if (!item || !command) continue;
    const auto follow = [item, command] {
      item->setEnabled(command->isEnabled());
      item->setCheckable(command->isCheckable());
      if (command->isCheckable()) item->setChecked(command->isChecked());
    };
    follow();
    connect(command, &QAction::changed, item, follow);
    connect(item, &QAction::triggered, command, [command] {
      if (command->isEnabled()) command->trigger();
    });
  }
  // Find and Select All work on the Sites page; the menu holds their keys for every page, so
  // the page's own actions give theirs up.
  for (const auto& [item_name, command_name] :
       {std::pair{"actFind", "actFind"}, {"actSelectAll", "actSelectAll"}}) {
    QAction* item = findChild<QAction*>(item_name, Qt::FindDirectChildrenOnly);
    QAction* command = sites_->Action(command_name);
    if (!item || !command) continue;
    command->setShortcut({});
    connect(item, &QAction::triggered, command, [this, command] {
      if (pages_->currentIndex() == kSites && command->isEnabled()) command->trigger();
    });
    connect(pages_, &QTabWidget::currentChanged, item,
            [this, item] { item->setEnabled(pages_->currentIndex() == kSites); });
  }
}

TfraSubmitter* TfrmMain::Submitter() const {
  return static_cast<TfraSubmitter*>(submitter_pages_.front());
}

void TfrmMain::WireSubmitter(TfraSubmitter* page) {
  connect(page, &TfraSubmitter::submissionRecorded, sites_, &TfraSites::RefreshSite);
  connect(page, &TfraSubmitter::siteChanged, sites_, &TfraSites::RefreshSite);
  page->SetShownElsewhere([this, page](const TWebSite& site) {
    for (int i = 0; i < open_submitters_; ++i) {
      auto* other = static_cast<TfraSubmitter*>(submitter_pages_[static_cast<size_t>(i)]);
      if (other != page && other->CurrentSite() == &site) return true;
    }
    return false;
  });
}

TfraSubmitter* TfrmMain::OpenSubmitterPage() {
  TfraSubmitter* page = nullptr;
  if (static_cast<size_t>(open_submitters_) < submitter_pages_.size()) {
    page = static_cast<TfraSubmitter*>(submitter_pages_[static_cast<size_t>(open_submitters_)]);
  } else {
    page = new TfraSubmitter(pages_);
    submitter_pages_.push_back(page);
    WireSubmitter(page);
    if (SiteListReady()) page->Initialize();
  }
  ++open_submitters_;
  pages_->setCurrentIndex(pages_->addTab(page, "Submitter"));
  return page;
}

void TfrmMain::CloseSubmitterPage(TfraSubmitter* page) {
  const auto it =
      std::find(submitter_pages_.begin() + 1, submitter_pages_.begin() + open_submitters_, page);
  if (it == submitter_pages_.begin() + open_submitters_) return;
  pages_->removeTab(pages_->indexOf(page));
  page->Browser()->Navigate(QUrl("about:blank"));
  // Behind the open pages, first in line for reuse.
  submitter_pages_.erase(it);
  --open_submitters_;
  submitter_pages_.insert(submitter_pages_.begin() + open_submitters_, page);
}

TfraSubmitter* TfrmMain::FindSubmitterBySite(const std::string& uin) const {
  for (int i = 0; i < open_submitters_; ++i) {
    auto* page = static_cast<TfraSubmitter*>(submitter_pages_[static_cast<size_t>(i)]);
    if (const TWebSite* site = page->CurrentSite(); site && site->UIN() == uin) return page;
  }
  return nullptr;
}

bool TfrmMain::SubmitterPageActive() const {
  return pages_->currentIndex() >= kSubmitter;
}

void TfrmMain::UpdateCaption() {
  std::string caption = "Quillora 3.0 -> ";
  if (const TOptionsList* values = ActiveProfileValues())
    caption += values->GetString("Program_Info/Program_Name");
  // The current site of a submitter page joins the caption once the submitter exists.
  setWindowTitle(ToQString(caption));
}

void TfrmMain::PageControlChange() {
  TMonitorScope timing("Main.PageControlChange");
  const int index = pages_->currentIndex();
  if (index == kSites && shown_ && SiteListReady()) sites_->OnActivate();
  close_button_->setVisible(index > 1);
  close_button_->setEnabled(index > 2);
  // "Show Side Panel" works on the Submitter page; its statistics are not built yet.
  act_show_side_panel_->setEnabled(index == kSubmitter);
  act_show_statistics_->setEnabled(false);
  UpdateCaption();
}

void TfrmMain::NextTab() {
  const int index = pages_->currentIndex();
  pages_->setCurrentIndex(index + 1 < pages_->count() ? index + 1 : kSubmitter);
  PageControlChange();
}

void TfrmMain::PrevTab() {
  const int index = pages_->currentIndex() - 1;
  pages_->setCurrentIndex(index < kSubmitter ? pages_->count() - 1 : index);
  PageControlChange();
}

std::string TfrmMain::HelpFile() const {
  const std::string name = Settings().GetString("Help FileName");
  const std::string beside = Folders().executable + name;
  if (FileExists(beside)) return beside;
  const std::string shared = Folders().executable + "../share/quillora/" + name;
  return FileExists(shared) ? shared : beside;
}

void TfrmMain::OpenHelpAt(const std::string& topic) {
  // The help is a folder of pages: a topic is a page beside the start page.
  const std::string file = HelpFile();
  const std::string page = topic.empty() ? file : ExtractFilePath(file) + topic;
  if (!FileExists(page)) {
    ShowError("Cannot open the help file " + page);
    return;
  }
  UI().OpenDocument(page);
}

void TfrmMain::HelpTopics() {
  OpenHelpAt({});
}

void TfrmMain::HelpContext() {
  const int index = pages_->currentIndex();
  OpenHelpAt(index == kProducts ? "productman.html"
             : index == kSites  ? "Site_Manager.html"
                                : "submitter.html");
}

void TfrmMain::ReloadSites() {
  if (!SiteListReady()) return;
  TSiteList& list = SiteList();
  list.Clear();
  list.ThumbnailStrip = {};
  list.NextThumbnail = 0;
  if (splash_) {
    splash_->SetProgress(0, 100);
    splash_->ShowSplash();
    list.OnProgress = [splash = splash_](int position, int total) {
      if (splash) splash->SetProgress(position, total);
    };
  }
  bool loaded = false;
  try {
    loaded = list.LoadAll();
  } catch (const std::exception&) {
    loaded = false;
  }
  list.OnProgress = nullptr;
  // The splash stays on top of everything: it goes before the error can be read.
  if (splash_) splash_->HideSplash();
  if (!loaded) ShowError("Error reloading sites");
  RefreshPages();
}

void TfrmMain::ShowAbout() {
  about_->exec();
}

void TfrmMain::ShowPreferences(int page) {
  if (options_->Show(page)) emit preferencesChanged();
}

void TfrmMain::RefreshPages() {
  if (!shown_) return;
  sites_->Refresh();
}

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_) FirstShow();
}

void TfrmMain::FirstShow() {
  // The product manager's first refresh: every company and product, and the active profile
  // with the stored active company and product.
  if (RecordListsReady()) LoadRecordsAndActivate();
  products_->Initialize(false);
  shown_ = true;
  UpdateCaption();
  RefreshPages();
  if (SiteListReady()) Submitter()->Initialize();
  if (splash_) {
    splash_->SetProgress(100, 100);
    splash_->HideSplash();
  }
  // A desktop without a window manager never activates the window: the first showing counts
  // as its first activation, so that placements are restored all the same.
  if (!activated_once_) Activated();
  emit firstShowDone();
}

void TfrmMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Activated();
}

void TfrmMain::Activated() {
  if (!ApplicationDataReady()) return;
  if (StoredWindowPlacement(Settings(), "frmMain").empty() && !isMaximized()) showMaximized();
  if (!activated_once_) {
    activated_once_ = true;
    RestoreWindowPlacements(Settings());
  }
  if (splash_) SetAutoPosition(splash_, TAutoPosition::ScreenCenter);
  products_->CompanyEditor()->RestorePages(Settings());
  products_->ProductEditor()->RestorePages(Settings());
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (open_submitters_ > 1 && !ui_.AskWarningYesNo("Do you wish to exit Quillora?")) {
    event->ignore();
    return;
  }
  if (!closing_done_ && ApplicationDataReady()) {
    closing_done_ = true;
    SaveWindowPlacements(Settings());
    products_->CompanyEditor()->SavePages(Settings());
    products_->ProductEditor()->SavePages(Settings());
    if (RecordListsReady()) {
      try {
        AutomaticBackup();
      } catch (const std::exception& e) {
        ShowError(e.what());
      }
    }
  }
  event->accept();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers mods =
      key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if (mods == Qt::ControlModifier && key->key() == Qt::Key_Tab) {
    NextTab();
    return true;
  }
  if ((mods == (Qt::ControlModifier | Qt::ShiftModifier) &&
       (key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Tab))) {
    PrevTab();
    return true;
  }
  // F3 toggles a submitter page's side panel; Ctrl+1 and Ctrl+2 ("Use_Shortkeys") set its
  // versions listed.
  if (SubmitterPageActive()) {
    if (mods == Qt::NoModifier && key->key() == Qt::Key_F3) {
      if (pages_->currentIndex() == kSubmitter) Submitter()->ToggleSidePanel();
      return true;
    }
    if (mods == Qt::ControlModifier && (key->key() == Qt::Key_1 || key->key() == Qt::Key_2) &&
        Settings().GetBool("Use_Shortkeys")) {
      if (pages_->currentIndex() == kSubmitter)
        Submitter()->Run(key->key() == Qt::Key_1 ? "actSetVersionListed"
                                                 : "actSetListedAsSubmitted");
      return true;
    }
  }
  return false;
}

}  // namespace quillora::app
