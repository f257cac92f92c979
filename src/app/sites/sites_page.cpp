#include "app/sites/sites_page.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <map>

#include "app/qt_text.h"
#include "app/sites/filter_panel.h"
#include "app/sites/find_site_dialog.h"
#include "app/sites/site_info_page.h"
#include "app/sites/sites_model.h"
#include "app/status/product_status_dialog.h"
#include "foundation/app_state.h"
#include "foundation/data_tables.h"
#include "foundation/dates.h"
#include "foundation/registry.h"
#include "foundation/sysinfo.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "pad/login_import.h"
#include "pad/product_data.h"
#include "pad/product_menu.h"
#include "pad/profile.h"
#include "sites/duplicate_check.h"
#include "sites/search_results_page.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "sites/sites_state.h"
#include "submit/status_records.h"

namespace quillora::app {

namespace {

constexpr int kTableRowHeight = 18;
constexpr int kThumbRowHeight = 122;
const char* const kPageNames[] = {"Home", "Search", "Submit", "Update"};

// A page of the info panel: no scripts, no bridge, and every navigation it starts goes through
// the panel's link rules instead of loading in the panel. The one navigation it lets through is
// the document the page itself writes.
class TPanelPage : public QWebEnginePage {
 public:
  TPanelPage(std::function<void(const QUrl&)> route, QObject* parent)
      : QWebEnginePage(parent), route_(std::move(route)) {
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  }

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool main_frame) override {
    if (url.scheme() == "data" && type != NavigationTypeLinkClicked && main_frame) return true;
    if (route_) route_(url);
    return false;
  }
  // A link with a target asks for a window: it gets a throw-away page whose first navigation
  // is routed like any other.
  QWebEnginePage* createWindow(WebWindowType) override {
    auto* popup = new TPanelPage(route_, this);
    return popup;
  }

 private:
  std::function<void(const QUrl&)> route_;
};

std::string Hex(const QColor& c) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", c.red(), c.green(), c.blue());
  return text;
}

std::vector<int> ParseList(const std::string& text, bool& complete) {
  std::vector<int> out;
  complete = true;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    int v = 0;
    if (!TryStrToInt(Trim(text.substr(start, end - start)), v)) {
      complete = false;
      break;
    }
    out.push_back(v);
    start = end + 1;
  }
  return out;
}

}  // namespace

TfraSites::TfraSites(QWidget* parent) : QWidget(parent) {
  setObjectName("fraSites");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  auto* bar = new QToolBar(this);
  bar->setObjectName("tbSites");
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  layout->addWidget(bar);

  auto* body = new QSplitter(Qt::Horizontal, this);
  body->setObjectName("splFilter");
  // The panel scrolls rather than holding the window to its own height.
  // The filter area: the "<<" / ">>" switch above the panel, where the eye looks for it.
  auto* filter_area = new QWidget(body);
  filter_area->setObjectName("pnlFilterArea");
  auto* filter_layout = new QVBoxLayout(filter_area);
  filter_layout->setContentsMargins(0, 0, 0, 0);
  filter_layout->setSpacing(0);
  auto* switch_row = new QHBoxLayout;
  switch_row->setContentsMargins(4, 2, 4, 0);
  switch_row->addStretch(1);
  advanced_ = new QToolButton(filter_area);
  advanced_->setObjectName("btAdvancedFilter");
  advanced_->setCheckable(true);
  advanced_->setAutoRaise(true);
  advanced_->setText("<<");
  advanced_->setToolTip("Advanced");
  switch_row->addWidget(advanced_);
  filter_layout->addLayout(switch_row);
  auto* filter_scroll = new QScrollArea(filter_area);
  filter_layout->addWidget(filter_scroll, 1);
  filter_scroll->setObjectName("sbFilter");
  filter_scroll->setWidgetResizable(true);
  filter_scroll->setFrameShape(QFrame::NoFrame);
  filter_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  filter_panel_ = new TSiteFilterPanel(filter_scroll);
  filter_scroll->setWidget(filter_panel_);
  filter_scroll->setMinimumWidth(filter_panel_->minimumSizeHint().width() +
                                 filter_scroll->verticalScrollBar()->sizeHint().width());
  splitter_ = new QSplitter(Qt::Vertical, body);
  splitter_->setObjectName("splInfo");
  model_ = new TSitesModel(this);
  grid_ = new QTableView(splitter_);
  grid_->setObjectName("vtSites");
  grid_->setModel(model_);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid_->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::AnyKeyPressed);
  grid_->setWordWrap(false);
  grid_->setShowGrid(true);
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  grid_->verticalHeader()->setVisible(false);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->verticalHeader()->setDefaultSectionSize(kTableRowHeight);
  grid_->horizontalHeader()->setSectionsMovable(true);
  grid_->horizontalHeader()->setSectionsClickable(true);
  grid_->horizontalHeader()->setSortIndicatorShown(true);
  grid_->horizontalHeader()->setHighlightSections(false);
  grid_->horizontalHeader()->setMinimumSectionSize(10);
  // Narrow columns show the start of their caption (the whole one is the header's tooltip).
  grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  grid_->setIconSize(QSize(16, 16));
  // The panel area: the info page and, with the remote search, the stored search results.
  panel_ = new QTabWidget(splitter_);
  panel_->setObjectName("pcInfo");
  panel_->setDocumentMode(true);
  info_ = new QWebEngineView(panel_);
  info_->setObjectName("wbInfo");
  info_->setContextMenuPolicy(Qt::NoContextMenu);
  info_->setPage(new TPanelPage([this](const QUrl& url) { PanelLink(url); }, info_));
  panel_->addTab(info_, "Info");
  // The Search Results page comes with the remote search only (OnCreate).
  panel_->tabBar()->setVisible(false);
  splitter_->addWidget(grid_);
  splitter_->addWidget(panel_);
  splitter_->setStretchFactor(0, 1);
  body->addWidget(filter_area);
  body->addWidget(splitter_);
  body->setStretchFactor(1, 1);
  // The filter starts at the width its fields need; the grid takes the rest.
  body->setSizes({filter_area->minimumSizeHint().width(), 100000});
  layout->addWidget(body, 1);
  counts_ = new QLabel(this);
  counts_->setObjectName("lblCounts");
  counts_->setContentsMargins(4, 0, 4, 2);
  layout->addWidget(counts_);

  BuildActions(bar);

  connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { HeaderClicked(column); });
  connect(grid_, &QTableView::activated, this, [this](const QModelIndex& index) {
    if (index.isValid() && index.row() != grid_->currentIndex().row())
      FocusSite(model_->SiteAt(index.row()));
    // A double-click with Shift goes straight to the Submit page; Enter follows the Open rule.
    if (double_clicked_) {
      const bool shift = shift_state_.testFlag(Qt::ShiftModifier);
      shift_state_ = {};
      double_clicked_ = false;
      if (shift) {
        OpenFocusedAt(2);
        return;
      }
    }
    OpenFocused();
  });
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this] { FocusChanged(); });
  connect(model_, &TSitesModel::siteEdited, this,
          [this](int row, int column) { SiteEdited(row, column); });
  connect(model_, &TSitesModel::customSetChanged, this, [this] {
    if (SiteFilter().HideUnchecked) ApplyFilter();
  });
  connect(splitter_, &QSplitter::splitterMoved, this, [this] {
    if (panel_->isVisible()) Settings().SetInt("Sites_Info_Panel_Height", panel_->height());
  });
  connect(panel_, &QTabWidget::currentChanged, this, [this](int page) {
    if (created_) Settings().SetInt("Sites_Info_Panel_Page", page);
  });
  grid_->installEventFilter(this);
  grid_->viewport()->installEventFilter(this);
  filter_panel_->selected_uins = [this] {
    std::vector<std::string> uins;
    for (const QModelIndex& i : grid_->selectionModel()->selectedRows())
      if (TWebSite* site = model_->SiteAt(i.row())) uins.push_back(site->UIN());
    return uins;
  };
  connect(filter_panel_, &TSiteFilterPanel::applied, this, [this] { ApplyFilter(); });
  connect(filter_panel_, &TSiteFilterPanel::customSetChanged, this, [this] {
    model_->SetCustomSet(filter_panel_->CurrentSet());
    if (SiteFilter().HideUnchecked) ApplyFilter();
    FocusCurrentOrFirst();
  });
  EnableCommands();
}

TfraSites::~TfraSites() {
  if (created_ && ApplicationDataReady()) SaveLayout();
}

QAction* TfraSites::AddAction(const char* name, const QString& text, const QString& hint,
                              const QKeySequence& keys) {
  auto* action = new QAction(text, this);
  action->setObjectName(name);
  action->setToolTip(hint);
  if (keys.isEmpty()) {
    addAction(action);
  } else {
    action->setShortcut(keys);
    // The keys work while the grid has the focus: Del or Ins typed into a filter field edit the
    // text, they do not delete or add a site.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    grid_->addAction(action);
  }
  return action;
}

void TfraSites::BuildActions(QToolBar* bar) {
  auto* open = AddAction("actSiteOpen", "Open", "Open site     (Enter)");
  connect(open, &QAction::triggered, this, [this] { OpenFocused(); });
  auto* home = AddAction("actSiteHome", "Home", "Home page");
  auto* search = AddAction("actSiteSearch", "Open", "Open site");
  auto* submit = AddAction("actSiteSubmit", "Submit", "Submit page");
  auto* update = AddAction("actSiteUpdate", "Update", "Update page");
  int page = 0;
  for (QAction* a : {home, search, submit, update})
    connect(a, &QAction::triggered, this, [this, p = page++] { OpenFocusedAt(p); });
  auto* new_window = AddAction("actOpenNewWindow", "Open in a new Window", "");
  connect(new_window, &QAction::triggered, this, [this] { OpenInNewWindow(); });
  auto* add =
      AddAction("actAddSite", "Add Site", "Add New Site     (Ins)", QKeySequence(Qt::Key_Insert));
  connect(add, &QAction::triggered, this, [this] { AddSite(); });
  auto* edit =
      AddAction("actSiteEdit", "Edit site", "Edit Site     (F4)", QKeySequence(Qt::Key_F4));
  connect(edit, &QAction::triggered, this, [this] { EditFocused(); });
  auto* del =
      AddAction("actDeleteSite", "Delete", "Delete Site     (Del)", QKeySequence(Qt::Key_Delete));
  connect(del, &QAction::triggered, this, [this] { DeleteFocused(); });
  auto* find = AddAction("actFind", "Find", "Find site     (Ctrl+F)", QKeySequence("Ctrl+F"));
  connect(find, &QAction::triggered, this, [this] { FindSite(); });
  act_thumbnails_ = AddAction("actViewAsThumbnails", "Thumbnails", "");
  act_table_ = AddAction("actViewAsTable", "Table", "");
  for (QAction* a : {act_thumbnails_, act_table_}) a->setCheckable(true);
  connect(act_thumbnails_, &QAction::triggered, this, [this] { SetThumbnails(true); });
  connect(act_table_, &QAction::triggered, this, [this] { SetThumbnails(false); });
  auto* status = AddAction("actSiteInfo", "Status", "Status of the product at this site     (F2)",
                           QKeySequence(Qt::Key_F2));
  connect(status, &QAction::triggered, this, [this] { ShowStatus(); });
  auto* refresh =
      AddAction("actRefresh", "Refresh", "Refresh site list     (F5)", QKeySequence(Qt::Key_F5));
  connect(refresh, &QAction::triggered, this, [this] { FullRefresh(); });
  auto* export_sites =
      AddAction("actExport", "Export", "Export     (Ctrl+X)", QKeySequence("Ctrl+X"));
  connect(export_sites, &QAction::triggered, this, [] {
    if (SiteListReady()) SiteList().ExportSitesInteractive();
  });
  auto* update_db = AddAction("actUpdate", "Update", "Update sites from FTP     (Ctrl+U)",
                              QKeySequence("Ctrl+U"));
  connect(update_db, &QAction::triggered, this, [this] {
    if (update_sites && update_sites()) FullRefresh();
  });
  auto* single = AddAction("actSearchSingle", "Test Selected Site", "");
  connect(single, &QAction::triggered, this, [this] {
    TWebSite* site = CurrentSite();
    if (!site || !single_search) return;
    single_search(site);
    if (!SiteList().Contains(site)) return;
    AfterRecordsChanged(site, true);
  });
  // Only one of the two batch searches is offered ("New_Autosearch" chooses).
  for (const auto& [name, remote] : {std::pair{"actAutoSearch", false}, {"actAutoSearch2", true}}) {
    auto* a = AddAction(name, "Generate report (Batch Search)", "");
    connect(a, &QAction::triggered, this, [this, remote = remote] {
      if (!batch_search) return;
      const bool changed = batch_search(remote);
      if (remote && !changed) return;
      if (RecordListsReady() && ActiveProfileValues()) ActiveProfile().StoreBack();
      RefreshListView();
    });
  }
  auto* export_report_action = AddAction("actExportReport", "Export", "Export Report");
  connect(export_report_action, &QAction::triggered, this, [this] {
    if (export_report) export_report();
  });
  auto* product = AddAction("actChangeProduct", "Product", "Change Product");
  connect(product, &QAction::triggered, this, [this] {
    if (product_button_) product_button_->showMenu();
  });
  auto* dupes = AddAction("actCheckDupes", "Check for Dupes", "");
  connect(dupes, &QAction::triggered, this, [this] { CheckDupes(); });
  auto* bug = AddAction("actBugReport", "Bug!", "Report a bug");
  connect(bug, &QAction::triggered, this, [this] {
    if (TWebSite* site = CurrentSite(); site && bug_report) bug_report(site);
  });
  auto* logins = AddAction("actImportLoginInfo", "Login", "");
  connect(logins, &QAction::triggered, this, [this] { ImportLogins(); });
  act_info_panel_ = AddAction("actShowBottomPanel", "Show Info Panel", "");
  act_info_panel_->setCheckable(true);
  connect(act_info_panel_, &QAction::triggered, this, [this](bool on) {
    panel_->setVisible(on && !advanced_->isChecked());
    Settings().SetBool("Hide Bottom Panel", !on);
  });
  auto* select_all = AddAction("actSelectAll", "Select All", "", QKeySequence("Ctrl+A"));
  connect(select_all, &QAction::triggered, grid_, &QTableView::selectAll);
  for (const char* name : {"actSetVersionListed", "actSetListedAsSubmitted"}) {
    const bool listed = std::string(name) == "actSetVersionListed";
    auto* a = AddAction(name, "", "", QKeySequence(listed ? "Ctrl+1" : "Ctrl+2"));
    // These two also work inside the info panel.
    info_->addAction(a);
    connect(a, &QAction::triggered, this, [this, listed] {
      TWebSite* site = CurrentSite();
      if (!site || !Settings().GetBool("Use_Shortkeys") || !ActiveProfileValues()) return;
      TProfile& profile = ActiveProfile();
      if (!(listed ? SetVersionListed(profile, site->UIN())
                   : SetListedAsSubmitted(profile, site->UIN())))
        return;
      CommitStatusChange(profile);
      site->RefreshSummary();
      site->UpdateVersionHandled(profile.GetString("Program_Info/Program_Version"));
      model_->SetSort(model_->Sort());
      ShowInfo(site);
    });
  }

  // The tool bar.
  auto* open_button = new QToolButton(bar);
  open_button->setObjectName("btOpenSite");
  open_button->setDefaultAction(open);
  bar->addWidget(open_button);
  auto* open_menu = new QMenu(this);
  open_menu->setObjectName("pmOpen");
  open_menu->addAction(home);
  auto* search_item = open_menu->addAction("Search");
  search_item->setObjectName("miOpenSearch");
  connect(search_item, &QAction::triggered, search, &QAction::trigger);
  open_menu->addAction(submit);
  open_menu->addAction(update);
  // The default item follows the rules of "Open in a new Window".
  connect(
      open_menu, &QMenu::aboutToShow, this, [this, open_menu, home, search_item, submit, update] {
        open_menu->setDefaultAction(nullptr);
        TWebSite* site = CurrentSite();
        if (!site) return;
        if (!RequireProduct()) return;
        const std::string uin = site->UIN();
        if (shift_state_.testFlag(Qt::ShiftModifier) || Settings().GetBool("Open site for submit"))
          open_menu->setDefaultAction(
              ActiveProfile().SiteValue(TSiteValueKind::VersionListed, uin).empty() ? submit
                                                                                    : update);
        else
          open_menu->setDefaultAction(
              ActiveProfile().SiteValue(TSiteValueKind::DateSubmitted, uin).empty() ? home
                                                                                    : search_item);
      });
  if (Settings().GetBool("Show the Open button menu")) {
    open_button->setMenu(open_menu);
    open_button->setPopupMode(QToolButton::MenuButtonPopup);
  }
  bar->addAction(home);
  bar->addAction(submit);
  bar->addAction(update);
  bar->addSeparator();
  bar->addAction(add);
  bar->addAction(edit);
  bar->addAction(del);
  bar->addAction(find);
  bar->addSeparator();
  thumbs_ = new QToolButton(bar);
  thumbs_->setObjectName("btThumbs");
  thumbs_->setText("Thumbs");
  thumbs_->setCheckable(true);
  connect(thumbs_, &QToolButton::clicked, this, [this](bool on) { SetThumbnails(on); });
  bar->addWidget(thumbs_);
  auto* status_button = new QToolButton(bar);
  status_button->setObjectName("btStatus");
  status_button->setDefaultAction(status);
  auto* status_menu = new QMenu(status_button);
  status_menu->setObjectName("pmStatusOverride");
  BuildStatusMenu(status_menu);
  status_button->setMenu(status_menu);
  status_button->setPopupMode(QToolButton::MenuButtonPopup);
  bar->addWidget(status_button);
  bar->addAction(refresh);
  // A tool button whose menu is filled each time it pops up.
  const auto menu_button = [this, bar](const char* name, const QString& text, const QString& tip,
                                       const char* menu_name, void (TfraSites::*fill)(QMenu*)) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(tip);
    auto* menu = new QMenu(button);
    menu->setObjectName(menu_name);
    connect(menu, &QMenu::aboutToShow, this, [this, menu, fill] { (this->*fill)(menu); });
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    bar->addWidget(button);
    return button;
  };
  report_button_ = menu_button("btReport", "Report", "Search sites automatically     (F3)",
                               "pmReport", &TfraSites::FillReportMenu);
  auto* report_key = AddAction("actReportMenu", "Report", "", QKeySequence(Qt::Key_F3));
  connect(report_key, &QAction::triggered, this, [this] { report_button_->showMenu(); });
  product_button_ = menu_button("btProduct", "Product", "Change Product", "pmProduct",
                                &TfraSites::FillProductMenu);
  bar->addAction(bug);
  auto* login_separator = bar->addSeparator();
  login_separator->setObjectName("sepLogin");
  bar->addAction(logins);
  connect(advanced_, &QToolButton::clicked, this, [this](bool on) { SetAdvancedFilter(on); });
  // The Shift state comes from the press on a button, not from when its menu shows.
  for (QToolButton* b : bar->findChildren<QToolButton*>()) b->installEventFilter(this);

  // The row menu.
  auto* open_sub = new QMenu("Open ...", this);
  open_sub->addActions(open_menu->actions());
  auto* sep1 = new QAction(this);
  sep1->setSeparator(true);
  auto* sep2 = new QAction(this);
  sep2->setSeparator(true);
  auto* sep3 = new QAction(this);
  sep3->setSeparator(true);
  grid_->addActions(
      {open, open_sub->menuAction(), new_window, sep1, add, edit, del, sep2, find, sep3, status});
  auto* row_menu = new QMenu(this);
  row_menu->setObjectName("pmSiteList");
  row_menu->addActions(grid_->actions());
  row_menu->setDefaultAction(open);
  // A right click focuses the row under it, and the menu works on that row alone.
  connect(grid_, &QWidget::customContextMenuRequested, this, [this, row_menu](const QPoint& at) {
    const QModelIndex index = grid_->indexAt(at);
    if (index.isValid()) FocusRow(index.row());
    if (TWebSite* site = CurrentSite()) FocusSite(site);
    row_menu->popup(grid_->viewport()->mapToGlobal(at));
  });
}

void TfraSites::BuildStatusMenu(QMenu* menu) {
  for (const std::string& state : OverrideItems()) {
    const TOptionsList* comments = Tables().status.FindSection(state);
    if (!comments || comments->Count() == 0) {
      connect(menu->addAction(ToQString(state)), &QAction::triggered, this,
              [this, state] { SetOverride(state, {}); });
      continue;
    }
    QMenu* sub = menu->addMenu(ToQString(state));
    connect(sub->addAction("No specific comment"), &QAction::triggered, this,
            [this, state] { SetOverride(state, {}); });
    for (int i = 0; i + 1 < comments->Count(); ++i) {
      const std::string comment = comments->Line(i);
      if (comment.empty()) continue;
      connect(sub->addAction(ToQString(comment)), &QAction::triggered, this,
              [this, state, comment] { SetOverride(state, comment); });
    }
  }
}

void TfraSites::SetOverride(const std::string& state, const std::string& comment) {
  TWebSite* site = CurrentSite();
  if (!site || !ActiveProfileValues()) return;
  TProfile& profile = ActiveProfile();
  try {
    if (!SetStatusOverride(profile, site->UIN(), state, comment, Now())) return;
  } catch (const std::exception& e) {
    ShowError(e.what());
    return;
  }
  CommitStatusChange(profile);
  site->RefreshSummary();
  site->UpdateVersionHandled(profile.GetString("Program_Info/Program_Version"));
  model_->SetSort(model_->Sort());
  ShowInfo(site);
}

void TfraSites::OnCreate() {
  if (created_) return;
  created_ = true;
  splitter_->setSizes({400, Settings().GetInt("Sites_Info_Panel_Height")});
  // Only one batch search is offered; the remote one also brings the Search Results page.
  const bool remote = Settings().GetBool("New_Autosearch");
  if (remote) {
    // A second browser costs a renderer: made only where its page is offered.
    results_ = new QWebEngineView(panel_);
    results_->setObjectName("wbSearchResults");
    results_->setContextMenuPolicy(Qt::NoContextMenu);
    results_->setPage(new TPanelPage([this](const QUrl& url) { PanelLink(url); }, results_));
    panel_->addTab(results_, "Search Results");
    for (const char* name : {"actSetVersionListed", "actSetListedAsSubmitted"})
      results_->addAction(Action(name));
  }
  panel_->tabBar()->setVisible(remote);
  int page = 0;
  if (remote) TryStrToInt(Settings().GetString("Sites_Info_Panel_Page"), page);
  if (page < 0 || page >= panel_->count()) page = 0;
  panel_->setCurrentIndex(page);
  Settings().SetInt("Sites_Info_Panel_Page", page);
  const bool logins = Settings().GetBool("Import_Logins");
  Action("actImportLoginInfo")->setVisible(logins);
  if (auto* separator = findChild<QAction*>("sepLogin")) separator->setVisible(logins);
  ApplyLayout();
  const std::string font_name = Settings().GetString("Font Name");
  if (!font_name.empty() && QFontDatabase::hasFamily(ToQString(font_name))) {
    QFont font(ToQString(font_name));
    int size = 0;
    if (TryStrToInt(Settings().GetString("Font Size"), size) && size > 0) font.setPointSize(size);
    int style = 0;
    TryStrToInt(Settings().GetString("Font Style"), style);
    font.setBold(style & 1);
    font.setItalic(style & 2);
    font.setUnderline(style & 4);
    font.setStrikeOut(style & 8);
    grid_->setFont(font);
  }
  int sort = -1;
  TryStrToInt(Settings().GetString("Sites List Sort"), sort);
  model_->SetSort(TSitesSort::FromSetting(sort));
  SetThumbnails(Settings().GetString("Sites List Style") == "Thumbnails");
  FullRefresh();
  filter_panel_->LoadFromFilter(known_);
  filter_panel_->FillSetChoice();
  filter_panel_->FillSavedFilters();
  const bool show_info = !Settings().GetBool("Hide Bottom Panel");
  act_info_panel_->setChecked(show_info);
  panel_->setVisible(show_info);
  SetAdvancedFilter(false);
  EnableCommands();
}

void TfraSites::OnActivate() {
  if (!created_) OnCreate();
  int sort = -1;
  TryStrToInt(Settings().GetString("Sites List Sort"), sort);
  const TSitesSort wanted = TSitesSort::FromSetting(sort);
  if (wanted.column != model_->Sort().column || wanted.reverse != model_->Sort().reverse)
    model_->SetSort(wanted);
  grid_->horizontalHeader()->setSortIndicator(
      wanted.column, wanted.reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
  EnableCommands();
  if (SiteListReady() && SiteList().Count() == 0) return;
  FocusCurrentOrFirst();
}

void TfraSites::ApplyLayout() {
  bool complete_order = true, complete_widths = true;
  const std::vector<int> order =
      ParseList(Settings().GetString("Sites List Order"), complete_order);
  const std::vector<int> widths =
      ParseList(Settings().GetString("Sites List Width"), complete_widths);
  QHeaderView* header = grid_->horizontalHeader();
  for (size_t k = 0; k < order.size(); ++k) {
    const int column = std::abs(order[k]) - 1;
    if (column < 0 || column >= kSiteColumnCount) break;
    header->moveSection(header->visualIndex(column), static_cast<int>(k));
    if (k < widths.size()) header->resizeSection(column, std::max(widths[k], 10));
    header->setSectionHidden(column, order[k] < 0);
  }
}

void TfraSites::SaveLayout() {
  QHeaderView* header = grid_->horizontalHeader();
  std::string order, widths;
  for (int k = 0; k < header->count(); ++k) {
    const int column = header->logicalIndex(k);
    const bool hidden = header->isSectionHidden(column);
    if (k) {
      order += ",";
      widths += ",";
    }
    order += std::to_string(hidden ? -(column + 1) : column + 1);
    // A hidden section reports no width: keep the one it had.
    widths += std::to_string(hidden ? std::max(header->sectionSize(column), 10)
                                    : header->sectionSize(column));
  }
  Settings().SetString("Sites List Order", order);
  Settings().SetString("Sites List Width", widths);
}

void TfraSites::HeaderClicked(int column) {
  if (column == 24) return;  // "Flags" does not sort
  // The open edit box closes (storing what it holds) when the grid takes the focus back.
  grid_->setFocus();
  TSitesSort sort = model_->Sort();
  if (sort.column == column)
    sort.reverse = !sort.reverse;
  else
    sort.column = column;
  model_->SetSort(sort);
  Settings().SetString("Sites List Sort", std::to_string(sort.ToSetting()));
  grid_->horizontalHeader()->setSortIndicator(
      column, sort.reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
  if (grid_->currentIndex().isValid()) grid_->scrollTo(grid_->currentIndex());
  EnableCommands();
}

void TfraSites::FullRefresh() {
  if (!SiteListReady()) return;
  const TWebSite* focused = CurrentSite();
  (void)focused;
  {
    TBusyWindow busy(window()->isVisible() ? "Preparing site list" : "");
    try {
      RefreshSites(SiteList(), SiteFilter(), filter_panel_->CurrentSet(), known_);
    } catch (const std::exception& e) {
      ShowError(e.what());
    }
    model_->Rebuild();
  }
  UpdateCounts();
  FocusCurrentOrFirst();
  EnableCommands();
}

void TfraSites::Refresh() {
  if (!created_)
    OnCreate();
  else
    FullRefresh();
}

void TfraSites::RefreshSite(const QString& uin) {
  if (!SiteListReady()) return;
  TWebSite* site = SiteList().FindByUIN(FromQString(uin));
  if (!site) return;
  site->RefreshSummary();
  if (ActiveProfileValues())
    site->UpdateVersionHandled(ActiveProfile().GetString("Program_Info/Program_Version"));
  const int row = model_->RowOf(site);
  if (row >= 0)
    emit model_->dataChanged(model_->index(row, 0), model_->index(row, kSiteColumnCount - 1));
  if (site == CurrentSite()) ShowInfo(site);
}

void TfraSites::RefreshListView() {
  if (!SiteListReady()) return;
  const std::string version =
      ActiveProfileValues() ? ActiveProfile().GetString("Program_Info/Program_Version") : "";
  for (int i = 0; i < SiteList().Count(); ++i) {
    TWebSite* site = SiteList().SiteAt(i);
    site->UpdateVersionHandled(version);
    site->RefreshSummary();
  }
  if (!Settings().GetBool("Filter Show Apply Button")) model_->SetSort(model_->Sort());
  model_->RepaintAll();
  ShowInfo(CurrentSite());
}

void TfraSites::ApplyFilter() {
  if (!SiteListReady()) return;
  SiteList().ApplyFilter(SiteFilter(), filter_panel_->CurrentSet());
  model_->Rebuild();
  UpdateCounts();
  FocusCurrentOrFirst();
  EnableCommands();
}

void TfraSites::UpdateCounts() {
  const int total = SiteListReady() ? SiteList().Count() : 0;
  counts_->setText(
      QString("%1 of %2 sites shown using current filter").arg(model_->rowCount()).arg(total));
}

TWebSite* TfraSites::CurrentSite() const {
  const QModelIndex current = grid_->currentIndex();
  return current.isValid() ? model_->SiteAt(current.row()) : nullptr;
}

bool TfraSites::FocusSite(const TWebSite* site) {
  const int row = model_->RowOf(site);
  if (row < 0) return false;
  const int column = std::max(grid_->currentIndex().column(), 0);
  const QModelIndex index = model_->index(row, grid_->isColumnHidden(column) ? 0 : column);
  grid_->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  grid_->scrollTo(index);
  return true;
}

void TfraSites::FocusCurrentOrFirst() {
  if (!SiteListReady() || model_->rowCount() == 0) {
    FocusChanged();
    return;
  }
  const std::string uin = Settings().GetString("Current site");
  TWebSite* site = uin.empty() ? nullptr : SiteList().FindByUIN(uin);
  if (site && FocusSite(site)) return;
  // The first visible column of the first row: a hidden column cannot hold the focus.
  const int column = grid_->horizontalHeader()->logicalIndex(0);
  const QModelIndex first = model_->index(0, column < 0 ? 0 : column);
  grid_->selectionModel()->setCurrentIndex(
      first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  grid_->scrollTo(first);
}

void TfraSites::FocusChanged() {
  TWebSite* site = CurrentSite();
  const std::string uin = site ? site->UIN() : std::string();
  if (site && uin != current_uin_) Settings().SetString("Current site", uin);
  if (uin != current_uin_ || !site) {
    current_uin_ = uin;
    ShowSearchResults(site);
    ShowInfo(site);
  }
  EnableCommands();
}

void TfraSites::ShowSearchResults(TWebSite* site) {
  // Without the remote search there is no Search Results page.
  if (!results_) return;
  TSearchResultsPage page{NoSearchResultsHtml(), {}};
  if (site && RecordListsReady() && ActiveProfileValues() && ApplicationDataReady()) {
    const TProfile& profile = ActiveProfile();
    page = LoadSearchResultsPage(
        StoredSearchPagePath(Folders().dump, profile.GetString("Quillora/Product_UIN"),
                             site->UIN()),
        profile.GetString("Quillora/Search_String"));
  }
  base_address_ = page.base_address;
  // The stored page's own address is its base, so that its relative links resolve to where
  // they point; every navigation still goes through the panel's link rules.
  results_->setHtml(ToQString(page.html),
                    base_address_.empty() ? QUrl() : QUrl(ToQString(base_address_)));
}

void TfraSites::ShowInfo(TWebSite* site) {
  const QPalette palette = QApplication::palette();
  TSiteInfoColors colors;
  colors.background = Hex(palette.color(QPalette::Button));
  colors.text = Hex(palette.color(QPalette::ButtonText));
  const TProfile* profile =
      RecordListsReady() && ActiveProfileValues() ? &ActiveProfile() : nullptr;
  std::string html;
  if (ApplicationDataReady())
    html = SiteInfoHtml(Tables().site_info_template.Lines(), site, profile, colors);
  info_->setHtml(ToQString(html));
  emit infoShown(site ? ToQString(site->UIN()) : QString());
}

void TfraSites::EnableCommands() {
  const bool focused = CurrentSite() != nullptr;
  const bool ready = SiteListReady();
  const auto enable = [this](const char* name, bool on) {
    if (QAction* a = Action(name)) a->setEnabled(on);
  };
  for (const char* name : {"actSiteOpen", "actSiteHome", "actSiteSearch", "actSiteSubmit",
                           "actSiteUpdate", "actDeleteSite", "actOpenNewWindow", "actSiteInfo"})
    enable(name, focused);
  enable("actSiteEdit", focused && edit_site);
  enable("actAddSite", ready && edit_site);
  enable("actSearchSingle", focused && single_search);
  enable("actBugReport", focused && bug_report);
  enable("actAutoSearch", ready && batch_search);
  enable("actAutoSearch2", ready && batch_search);
  enable("actExportReport", static_cast<bool>(export_report));
  enable("actUpdate", static_cast<bool>(update_sites));
  enable("actCheckDupes", ready);
  enable("actImportLoginInfo", ready);
  enable("actChangeProduct", RecordListsReady());
  enable("actFind", model_->rowCount() > 0);
  if (product_button_) product_button_->setEnabled(RecordListsReady());
}

void TfraSites::SiteEdited(int row, int column) {
  TWebSite* site = model_->SiteAt(row);
  if (model_->Sort().column == column) model_->SetSort(model_->Sort());
  if (site) ShowInfo(site);
}

bool TfraSites::RequireProduct() {
  if (RecordListsReady() && ActiveProfileValues() && !ActiveProfile().ActiveCompanyUin.empty())
    return true;
  quillora::ShowInfo("Please, select a product first");
  if (show_page) show_page(0);
  return false;
}

namespace {

bool HasSiteValue(TSiteValueKind kind, const TWebSite& site) {
  return !ActiveProfile().SiteValue(kind, site.UIN()).empty();
}

}  // namespace

void TfraSites::OpenFocused() {
  TWebSite* site = CurrentSite();
  if (!site || !RequireProduct()) return;
  // Shift (or "Open site for submit") goes to the work page: Update once listed, else Submit;
  // the Shift is used up, so the page opens in the current Submitter page.
  if (shift_state_.testFlag(Qt::ShiftModifier) || Settings().GetBool("Open site for submit")) {
    shift_state_ = {};
    OpenFocusedAt(HasSiteValue(TSiteValueKind::VersionListed, *site) ? 3 : 2);
  } else {
    OpenFocusedAt(1);
  }
}

void TfraSites::OpenFocusedAt(int page) {
  OpenAt(page, shift_state_.testFlag(Qt::ShiftModifier));
}

void TfraSites::OpenInNewWindow() {
  TWebSite* site = CurrentSite();
  if (!site || !RequireProduct()) return;
  if (shift_state_.testFlag(Qt::ShiftModifier))
    OpenAt(HasSiteValue(TSiteValueKind::VersionListed, *site) ? 3 : 2, true);
  else
    OpenAt(HasSiteValue(TSiteValueKind::DateSubmitted, *site) ? 1 : 0, true);
}

void TfraSites::OpenAt(int page, bool new_page) {
  TWebSite* site = CurrentSite();
  if (!site || !RequireProduct() || page < 0 || page > 3) return;
  if (new_page) {
    // The limit is the machine's, per user; 10 without one.
    int limit = 10;
    const std::string user = ComputeSystemDescription().user_name;
    if (!user.empty())
      TryStrToInt(ReadRegistryValue("HKLM\\Software\\Tarvesk\\Quillora\\3.0\\" + user +
                                    "\\MaxWindowsCount"),
                  limit);
    if (open_page_count && open_page_count() >= limit) {
      ShowError("Sorry but you cannot open more than " + std::to_string(limit) + " windows");
      return;
    }
  }
  // A page without an address opens the Home page.
  std::string name = kPageNames[page];
  if (page > 0 && site->Info.URLs.AddressOf(name).empty()) name = "Home";
  if (open_site) open_site(site, name, new_page);
}

void TfraSites::AddSite() {
  if (!SiteListReady() || !edit_site) return;
  TWebSite* site = SiteList().SiteAt(SiteList().AddNew());
  if (edit_site(site)) {
    FullRefresh();
    FocusSite(site);
  } else if (SiteList().Contains(site)) {
    SiteList().RemoveSite(site);
  }
}

void TfraSites::EditFocused() {
  TWebSite* site = CurrentSite();
  if (!site || !edit_site) return;
  FocusSite(site);
  if (!edit_site(site) || !SiteList().Contains(site)) return;
  site->RefreshSummary();
  model_->SetSort(model_->Sort());
  FocusSite(site);
  ShowInfo(site);
}

void TfraSites::CheckDupes() {
  if (!SiteListReady()) return;
  CheckForDupes(SiteList());
  FullRefresh();
}

void TfraSites::ImportLogins() {
  if (!SiteListReady()) return;
  std::string path;
  if (!UI().OpenFileDialog("Import login info", "Text Files (*.txt)|*.txt|All Files (*.*)|*.*",
                           path))
    return;
  TLoginImportResult result;
  try {
    TProfile* profile = RecordListsReady() && ActiveProfileValues() ? &ActiveProfile() : nullptr;
    result = ImportLoginInfo(path, profile, CustomSets(), SiteList());
  } catch (const std::exception& e) {
    ShowError(e.what());
    return;
  }
  if (!result.imported) return;
  if (result.set_created) filter_panel_->AddSetChoice(kImportedLoginSet);
  FullRefresh();
  if (records_changed) records_changed();
}

void TfraSites::ShowStatus() {
  TWebSite* site = CurrentSite();
  if (!site || !RequireProduct()) return;
  FocusSite(site);
  bool resort = false;
  if (!ShowProductStatus(*site, ActiveProfile(), false, this, &resort)) return;
  AfterRecordsChanged(site, resort);
}

void TfraSites::AfterRecordsChanged(TWebSite* site, bool resort) {
  if (RecordListsReady() && ActiveProfileValues()) {
    TProfile& profile = ActiveProfile();
    profile.StoreBack();
    profile.Activate();
    site->RefreshSummary();
    site->UpdateVersionHandled(profile.GetString("Program_Info/Program_Version"));
  } else {
    site->RefreshSummary();
  }
  if (resort) model_->SetSort(model_->Sort());
  model_->RepaintAll();
  FocusSite(site);
  ShowInfo(site);
  if (records_changed) records_changed();
}

void TfraSites::FillReportMenu(QMenu* menu) {
  menu->clear();
  if (shift_state_.testFlag(Qt::ShiftModifier)) menu->addAction(Action("actSearchSingle"));
  menu->addAction(
      Action(Settings().GetBool("New_Autosearch") ? "actAutoSearch2" : "actAutoSearch"));
  menu->addAction(Action("actExportReport"));
}

void TfraSites::FillProductMenu(QMenu* menu) {
  menu->clear();
  if (!RecordListsReady()) return;
  const std::string company =
      ProductMenuCompany(CompanyList(), shift_state_.testFlag(Qt::ShiftModifier),
                         selected_company_uin ? selected_company_uin() : std::string());
  const TWebSite* site = CurrentSite();
  const std::string active = ActiveProfileValues() ? ActiveProfile().ActiveProductUin : "";
  for (const TProductMenuItem& item :
       ProductMenuItems(ProductList(), company, active, site ? site->UIN() : std::string())) {
    QAction* a = menu->addAction(ToQString(item.caption));
    a->setToolTip(ToQString(item.hint));
    a->setStatusTip(ToQString(item.hint));
    if (item.picture >= 0) a->setIcon(QIcon(SitePicture(item.picture)));
    if (item.is_default) menu->setDefaultAction(a);
    connect(a, &QAction::triggered, this,
            [this, hint = ToQString(item.hint)] { ChooseProduct(hint); });
  }
}

void TfraSites::ChooseProduct(const QString& name) {
  if (!RecordListsReady()) return;
  try {
    if (!ActivateProductByName(ActiveProfile(), ProductList(), FromQString(name))) return;
  } catch (const std::exception& e) {
    ShowError(e.what());
    return;
  }
  if (Settings().GetBool("Filter Show Apply Button"))
    RefreshListView();
  else
    FullRefresh();
  // After the refresh, so that the submitter pages queue the sites as they now show.
  if (product_changed) product_changed();
  EnableCommands();
}

void TfraSites::SetAdvancedFilter(bool on) {
  advanced_->setChecked(on);
  advanced_->setText(on ? ">>" : "<<");
  advanced_->setToolTip(on ? "Simple" : "Advanced");
  filter_panel_->SetAdvanced(on);
  panel_->setVisible(!on && act_info_panel_->isChecked());
}

QAction* TfraSites::Action(const char* name) const {
  return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

bool TfraSites::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
    shift_state_ = static_cast<QInputEvent*>(event)->modifiers();
    double_clicked_ = type == QEvent::MouseButtonDblClick && watched == grid_->viewport();
  } else if (type == QEvent::KeyPress && (watched == grid_ || watched == grid_->viewport())) {
    auto* key = static_cast<QKeyEvent*>(event);
    shift_state_ = key->modifiers();
    double_clicked_ = false;
    // Home and End go to the first and the last row, not to the ends of the focused row.
    if ((key->key() == Qt::Key_Home || key->key() == Qt::Key_End) &&
        key->modifiers() == Qt::NoModifier && model_->rowCount() > 0) {
      FocusRow(key->key() == Qt::Key_Home ? 0 : model_->rowCount() - 1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TfraSites::FocusRow(int row) {
  const int column = std::max(grid_->currentIndex().column(), 0);
  const QModelIndex index = model_->index(row, grid_->isColumnHidden(column) ? 0 : column);
  grid_->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  grid_->scrollTo(index);
}

void TfraSites::DeleteFocused() {
  TWebSite* site = CurrentSite();
  if (!site) return;
  FocusSite(site);
  if (!AskYesNo("Please, use the \"Disabled\" flag instead of deleting sites if you are not a "
                "contributor\r\nAre you sure you wish to delete this site?"))
    return;
  site->DeleteSite();
  FullRefresh();
}

void TfraSites::FindSite() {
  auto* dialog = findChild<TdlgFindSite*>();
  if (!dialog) {
    dialog = new TdlgFindSite(this);
    connect(dialog, &TdlgFindSite::findNext, this, [this, dialog] {
      const int rows = model_->rowCount();
      const int step = dialog->Down() ? 1 : -1;
      const QModelIndex current = grid_->currentIndex();
      int row = current.isValid() ? current.row() + step : (step > 0 ? 0 : rows - 1);
      const QString text = dialog->Text();
      const Qt::CaseSensitivity cs = dialog->MatchCase() ? Qt::CaseSensitive : Qt::CaseInsensitive;
      for (; row >= 0 && row < rows; row += step) {
        const TWebSite* site = model_->SiteAt(row);
        if (!site) continue;
        if (ToQString(site->UIN()).contains(text, cs) ||
            ToQString(site->Name()).contains(text, cs) ||
            ToQString(site->Info.URLs.AddressOf("Home")).contains(text, cs)) {
          FocusSite(site);
          return;
        }
      }
      quillora::ShowInfo("Finished searching the list.");
    });
  }
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

void TfraSites::SetThumbnails(bool on) {
  if (on && SiteListReady()) SiteList().BuildThumbnails();
  model_->SetThumbnails(on);
  thumbs_->setChecked(on);
  act_thumbnails_->setChecked(on);
  act_table_->setChecked(!on);
  Settings().SetString("Sites List Style", on ? "Thumbnails" : "List");
  grid_->verticalHeader()->setDefaultSectionSize(on ? kThumbRowHeight : kTableRowHeight);
  grid_->setIconSize(on ? QSize(160, 120) : QSize(16, 16));
  if (on && grid_->columnWidth(0) < 164) grid_->setColumnWidth(0, 164);
  if (grid_->currentIndex().isValid()) grid_->scrollTo(grid_->currentIndex());
  EnableCommands();
}

std::string TfraSites::NextSiteUIN(const TWebSite* site, bool forward) const {
  if (!SiteListReady()) return {};
  return quillora::NextSiteUIN(SiteList(), model_->Rows(), site, forward);
}

void TfraSites::PanelLink(const QUrl& url) {
  const TPanelLink link = RoutePanelLink(FromQString(url.toString()), base_address_);
  switch (link.kind) {
    case TPanelLink::kOpenInSubmitter:
      if (TWebSite* site = CurrentSite(); site && open_url) open_url(site, ToQString(link.url));
      break;
    case TPanelLink::kOpenWithShell:
      UI().OpenDocument(link.url);
      break;
    default:
      break;
  }
}

}  // namespace quillora::app
