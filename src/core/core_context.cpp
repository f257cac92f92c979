#include "core/core_context.h"

#include <exception>
#include <stdexcept>

#include "foundation/data_tables.h"
#include "foundation/dates.h"
#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/logs.h"
#include "foundation/registry.h"
#include "foundation/settings.h"
#include "foundation/ui_port.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "sites/site_cache.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"

namespace quillora {

namespace {

TCoreContext* g_current = nullptr;

}  // namespace

std::unique_ptr<TCoreContext> TCoreContext::Start(const TStartupOptions& options) {
  if (g_current) throw std::logic_error("The program's core is already running");
  std::unique_ptr<TCoreContext> core(new TCoreContext());
  if (!core->Load(options)) return nullptr;  // the destructor takes the half-made state out
  return core;
}

TCoreContext* TCoreContext::Current() {
  return g_current;
}

TCoreContext::TCoreContext() {
  // Installed from the first step on: the later steps read what the earlier ones made through
  // the same accessors as the rest of the program.
  g_current = this;
  InstallAppState(&app_);
  InstallSitesState(&sites_);
  InstallProductData(&records_);
  installed_ = true;
}

TCoreContext::~TCoreContext() {
  if (!installed_) return;
  ReleaseObjects();
  Uninstall();
}

bool TCoreContext::Load(const TStartupOptions& options) {
  TAppFolders& f = app_.folders;
  TOptionsList& s = app_.settings;
  TDataTables& t = app_.tables;

  // 1. What we run on.
  app_.system = ComputeSystemDescription();

  // 2. The user folder and the settings. A settings file the registry points at must be there;
  // anywhere else a missing one is the first start.
  f.executable = ExecutableFolder();
  const std::string registry_user_dir = ReadRegistryValue(kRegistryUserDir);
  f.user = ResolveUserFolder(options.user_dir, registry_user_dir, f.executable);
  f.settings_file = f.user + "data/config.dat";
  try {
    s.LoadFromTextFile(f.settings_file);
  } catch (const std::exception&) {
    if (options.user_dir.empty() && !registry_user_dir.empty()) {
      ShowError("Alter config does not found at " + f.settings_file);
      return false;
    }
    s.Clear();
  }

  // 3. The sites grid gained a column.
  MigrateSitesColumnOrder(s);

  // 4. The data folder.
  MigrateLegacyUserDir(s);
  SetDataFolder(f, ResolveDataFolder(options.data_dir, s.GetString("AppData_Dir"), f.executable));

  // 5. Temporary files, and what saves killed half-way through left in the folders we save to.
  f.temp = f.user + "Temp/";
  ForceDirectories(f.temp);
  for (const std::string& folder :
       {ExtractFilePath(f.settings_file), f.data, f.companies, f.products, f.sites})
    RemoveDeadSaveLeftovers(folder);

  // 6. The remote search's dump folder.
  if (s.GetString("Autosearch2_Folder").empty()) s.SetString("Autosearch2_Folder", "dump/");
  f.dump = ResolveDumpFolder(s.GetString("Autosearch2_Folder"), f.data);

  // 7. Timing.
  app_.monitors = std::make_unique<TMonitorsList>(f.data + "speed_tests.dat");
  SetGlobalMonitors(app_.monitors.get());
  app_.session_start = TickCount();
  if (app_.session_start == 0) app_.session_start = 1;

  // 8. Defaults.
  ApplySettingsDefaults(s);

  // 9. Data tables; the active profile is made as soon as the tables it reads are there.
  const TTableLoader load(f.data);
  if (!load.Required("NameSpace.dat", t.name_space)) return false;
  PrepareNameSpace(t);
  if (!load.Required("month_short.dat", t.month_short) ||
      !load.Required("country_short.dat", t.country_short) ||
      !load.Required("state_short.dat", t.state_short) ||
      !load.Required("TML/siteinfo.tml", t.site_info_template) ||
      !load.Required("status.dat", t.status))
    return false;
  FillProfileValueLists();
  records_.profile = std::make_unique<TProfile>();
  sites_.profile = records_.profile.get();
  if (!load.Required("aliases.dat", t.aliases) || !load.Required("listvars.dat", t.list_vars))
    return false;
  load.Optional("Translate.dat", t.translate, "Unable to load variable translation table");
  load.Reported("categories.dat", t.categories);
  load.Optional("OS_rules.dat", t.os_rules, "Unable to load variable OS fill rules");
  // The custom sets are read straight into the sites' own list: it is their only copy.
  load.Optional("custom_sets.dat", sites_.custom_sets, "");
  load.Optional("filters.dat", t.filters, "");
  load.Optional("bugs_history.dat", t.bugs_history, "");
  load.Optional("Favorites.dat", t.favorites, "");
  LoadExceptionLog(t.exceptions, f.data + "exceptions.dat", app_.system);

  // 10. The site filter from the settings.
  try {
    LoadFilterSettings(sites_.filter, s);
  } catch (const std::exception& e) {
    ShowError(e.what());
  }

  // 11. The site list.
  if (options.load_sites) {
    sites_.list = std::make_unique<TSiteList>(f.sites, f.temp);
    TSiteList& list = *sites_.list;
    list.OnProgress = options.progress;
    list.starting = true;
    // The cache is on unless the caller or the setting "Use Site Cache" (absent: on) says no.
    const std::string use_cache = s.GetString("Use Site Cache");
    if (options.site_cache && (use_cache.empty() || s.GetBool("Use Site Cache")))
      list.cache_file = ExtractFilePath(f.settings_file) + kSiteCacheFileName;
    const bool loaded = list.LoadAll();
    list.OnProgress = nullptr;
    list.starting = false;
    if (!loaded) ShowError("Cannot create " + f.sites);
  }

  // 12. The company and product lists. A record file that cannot be loaded has been reported;
  // the start goes on without it.
  records_.companies = std::make_unique<TCompanyList>();
  records_.companies->Folder = f.companies;
  records_.products = std::make_unique<TProductList>();
  records_.products->Folder = f.products;
  if (options.load_records) LoadRecordsAndActivate();

  // 13. What sites say when a search finds nothing.
  if (!load.Required("notfound.dat", t.not_found)) return false;

  // 14. Ratings.
  if (sites_.list) sites_.list->ApplyRatingsFile(f.data + "Ratings.dat");
  return true;
}

void TCoreContext::SaveSettings() {
  ApplySettingsDefaults(app_.settings);
  SaveFilterSettings(sites_.filter, app_.settings);
  SaveSideFile(app_.folders.data + "custom_sets.dat", sites_.custom_sets.Text());
  SaveTableSideFiles(app_.tables, app_.folders.data);
  try {
    SaveSettingsFile(app_.folders.settings_file, app_.settings);
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

void TCoreContext::Shutdown() {
  if (!installed_) return;
  SaveSettings();
  ReleaseObjects();
  if (app_.monitors) {
    app_.monitors->Get("Session").Stop(app_.session_start);
    app_.monitors->SaveTextReport(app_.folders.data + "speed_tests.txt");
  }
  Uninstall();
}

void TCoreContext::ReleaseObjects() {
  // The sites go before the records whose profile they read.
  sites_.list.reset();
  sites_.custom_sets.Clear();
  sites_.profile = nullptr;
  records_.Release();
}

void TCoreContext::Uninstall() {
  SetGlobalMonitors(nullptr);
  app_.monitors.reset();  // writes "speed_tests.dat"
  InstallProductData(nullptr);
  InstallSitesState(nullptr);
  InstallAppState(nullptr);
  if (g_current == this) g_current = nullptr;
  installed_ = false;
}

}  // namespace quillora
