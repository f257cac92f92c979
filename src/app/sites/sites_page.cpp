#include "app/sites/sites_page.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
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
#include "foundation/app_state.h"
#include "foundation/data_tables.h"
#include "foundation/dates.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "pad/profile.h"
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
  auto* filter_scroll = new QScrollArea(body);
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
  grid_->setContextMenuPolicy(Qt::ActionsContextMenu);
  grid_->verticalHeader()->setVisible(false);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->verticalHeader()->setDefaultSectionSize(kTableRowHeight);
  grid_->horizontalHeader()->setSectionsMovable(true);
  grid_->horizontalHeader()->setSectionsClickable(true);
  grid_->horizontalHeader()->setSortIndicatorShown(true);
  grid_->horizontalHeader()->setHighlightSections(false);
  grid_->horizontalHeader()->setMinimumSectionSize(10);
  grid_->setIconSize(QSize(16, 16));
  info_ = new QWebEngineView(splitter_);
  info_->setObjectName("wbInfo");
  info_->setContextMenuPolicy(Qt::NoContextMenu);
  info_->setPage(new TPanelPage([this](const QUrl& url) { PanelLink(url); }, info_));
  splitter_->addWidget(grid_);
  splitter_->addWidget(info_);
  splitter_->setStretchFactor(0, 1);
  body->addWidget(filter_scroll);
  body->addWidget(splitter_);
  body->setStretchFactor(1, 1);
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
    if (info_->isVisible()) Settings().SetInt("Sites_Info_Panel_Height", info_->height());
  });
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
  if (!keys.isEmpty()) {
    action->setShortcut(keys);
    // The keys work while the grid has the focus, not everywhere in the window.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  }
  addAction(action);
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
  new_window->setEnabled(false);
  auto* add = AddAction("actAddSite", "Add Site", "Add New Site     (Ins)");
  add->setEnabled(false);
  auto* edit = AddAction("actSiteEdit", "Edit site", "Edit Site     (F4)");
  edit->setEnabled(false);
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
  auto* status = AddAction("actSiteInfo", "Status", "Status of the product at this site     (F2)");
  status->setEnabled(false);
  auto* refresh =
      AddAction("actRefresh", "Refresh", "Refresh site list     (F5)", QKeySequence(Qt::Key_F5));
  connect(refresh, &QAction::triggered, this, [this] { FullRefresh(); });
  auto* export_sites = AddAction("actExport", "Export", "Export     (Ctrl+X)");
  connect(export_sites, &QAction::triggered, this, [] {
    if (SiteListReady()) SiteList().ExportSitesInteractive();
  });
  for (const char* name :
       {"actUpdate", "actSearchSingle", "actAutoSearch", "actExportReport", "actChangeProduct",
        "actCheckDupes", "actBugReport", "actImportLoginInfo"}) {
    static const std::map<std::string, const char*> captions = {
        {"actUpdate", "Update"},
        {"actSearchSingle", "Test Selected Site"},
        {"actAutoSearch", "Generate report (Batch Search)"},
        {"actExportReport", "Export Report"},
        {"actChangeProduct", "Product"},
        {"actCheckDupes", "Check for Dupes"},
        {"actBugReport", "Bug!"},
        {"actImportLoginInfo", "Login"}};
    AddAction(name, captions.at(name), "")->setEnabled(false);
  }
  act_info_panel_ = AddAction("actShowBottomPanel", "Show Info Panel", "");
  act_info_panel_->setCheckable(true);
  connect(act_info_panel_, &QAction::triggered, this, [this](bool on) {
    info_->setVisible(on);
    Settings().SetBool("Hide Bottom Panel", !on);
  });
  auto* select_all = AddAction("actSelectAll", "Select All", "", QKeySequence("Ctrl+A"));
  connect(select_all, &QAction::triggered, grid_, &QTableView::selectAll);
  for (const char* name : {"actSetVersionListed", "actSetListedAsSubmitted"}) {
    const bool listed = std::string(name) == "actSetVersionListed";
    auto* a = AddAction(name, "", "", QKeySequence(listed ? "Ctrl+1" : "Ctrl+2"));
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
  connect(search_item, &QAction::triggered, search, &QAction::trigger);
  open_menu->addAction(submit);
  open_menu->addAction(update);
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
  auto* report_button = new QToolButton(bar);
  report_button->setObjectName("btReport");
  report_button->setText("Report");
  report_button->setToolTip("Search sites automatically     (F3)");
  auto* report_menu = new QMenu(report_button);
  report_menu->addAction(findChild<QAction*>("actAutoSearch"));
  report_menu->addAction(findChild<QAction*>("actExportReport"));
  report_button->setMenu(report_menu);
  report_button->setPopupMode(QToolButton::InstantPopup);
  bar->addWidget(report_button);
  bar->addAction(findChild<QAction*>("actChangeProduct"));
  bar->addAction(findChild<QAction*>("actBugReport"));

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
  info_->setVisible(show_info);
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
    ShowInfo(site);
  }
  EnableCommands();
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
  for (const char* name : {"actSiteOpen", "actSiteHome", "actSiteSearch", "actSiteSubmit",
                           "actSiteUpdate", "actDeleteSite"})
    if (auto* a = findChild<QAction*>(name, Qt::FindDirectChildrenOnly)) a->setEnabled(focused);
  if (auto* a = findChild<QAction*>("actFind", Qt::FindDirectChildrenOnly))
    a->setEnabled(model_->rowCount() > 0);
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

void TfraSites::OpenFocused() {
  TWebSite* site = CurrentSite();
  if (!site || !RequireProduct()) return;
  // Shift (or "Open site for submit") goes to the work page: Update once listed, else Submit.
  const bool shift = QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
  if (shift || Settings().GetBool("Open site for submit")) {
    const bool listed =
        !ActiveProfile().SiteValue(TSiteValueKind::VersionListed, site->UIN()).empty();
    OpenAt(listed ? 3 : 2, false);
  } else {
    OpenAt(1, false);
  }
}

void TfraSites::OpenFocusedAt(int page) {
  OpenAt(page, QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier));
}

void TfraSites::OpenAt(int page, bool new_page) {
  TWebSite* site = CurrentSite();
  if (!site || !RequireProduct() || page < 0 || page > 3) return;
  // A page without an address opens the Home page.
  std::string name = kPageNames[page];
  if (page > 0 && site->Info.URLs.AddressOf(name).empty()) name = "Home";
  if (open_site) open_site(site, name, new_page);
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
