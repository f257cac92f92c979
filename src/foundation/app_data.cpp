#include "foundation/app_data.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <unistd.h>

#include "foundation/dates.h"
#include "foundation/files.h"
#include "foundation/registry.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"

namespace quillora {

namespace {

struct TAppState {
  TAppFolders folders;
  TOptionsList settings;
  std::unique_ptr<TDataTables> tables = std::make_unique<TDataTables>();
  TSystemDescription system;
  std::unique_ptr<TMonitorsList> monitors;
  uint32_t session_start = 0;
};

std::unique_ptr<TAppState> g_state;

std::map<TStartupStep, std::vector<TStartupHook>>& StartupHooks() {
  static std::map<TStartupStep, std::vector<TStartupHook>> hooks;
  return hooks;
}
std::vector<std::function<void()>>& SaveHooks() {
  static std::vector<std::function<void()>> hooks;
  return hooks;
}
std::vector<std::function<void()>>& ShutdownHooks() {
  static std::vector<std::function<void()>> hooks;
  return hooks;
}

TAppState& State() {
  if (!g_state) throw std::logic_error("Application data is not initialised");
  return *g_state;
}

bool RunHooks(TStartupStep step, const TStartupOptions& options) {
  for (auto& hook : StartupHooks()[step])
    if (!hook(options)) return false;
  return true;
}

struct TDefault {
  const char* key;
  const char* value;
  bool reset;  // replaced too when its value is not six characters long
};

// In the order they are applied.
const TDefault kDefaults[] = {
    {"Help FileName", "help/index.html", false},
    {"Support_Email", "support@quillora.localhost", false},
    {"Bug report email", "bugs@quillora.localhost", false},
    {"Sites Repository", "http://repository.localhost:8765/", false},
    {"NEW_UPLOAD", "TRUE", false},
    {"SITES_FROM_SQL_DB", "TRUE", false},
    {"RESULTS_SHORT_LENGTH", "45", false},
    {"AutoFill_Enabled", "TRUE", false},
    {"Side Panel Width", "150", false},
    {"Show Side Panel", "FALSE", false},
    {"Server Base Exported", "01-01-1900", false},
    {"Sites_Info_Panel_Height", "180", false},
    {"Sites_Info_Panel_Page", "0", false},
    {"Active Company", "Sample_Company", false},
    {"Active Product", "APP-Sample_Product", false},
    {"Use MAPI", "TRUE", false},
    {"Sites List Order",
     "7,24,25,1,2,9,8,-6,-3,-4,-5,-10,-11,-12,-13,14,15,16,18,-19,-20,21,22,-23,17,26", false},
    {"Sites List Width",
     "24,24,20,149,173,102,24,10,21,27,102,10,10,10,10,32,32,66,71,10,10,66,61,132,117,186", false},
    {"Font Name", "MS Sans Serif", false},
    {"Font CharSet", "204", false},
    {"Font Size", "8", false},
    {"Font Color", "FFFFFF", true},
    {"Font Style", "0", false},
    {"Color Default", "000000", true},
    {"Color Found", "000000", true},
    {"Color NF", "000000", true},
    {"Color NS", "000000", true},
    {"Color ER", "000000", true},
    {"BgColor Default", "FFFFFF", true},
    {"BgColor Found", "CDDFCC", true},
    {"BgColor NF", "DBFBFF", true},
    {"BgColor NS", "FFFFDF", true},
    {"BgColor ER", "FDE6E6", true},
    {"Sites List Sort", "-1", false},
    {"Sites List Style", "List", false},
    {"AUTOSEARCH_NUMBER_OF_THREADS", "7", false},
    {"AUTOSEARCH_TIMEOUT", "120", false},
    {"AUTOSEARCH_ATTEMPTS", "3", false},
    {"Hide Bottom Panel", "FALSE", false},
    {"Filter Show All", "TRUE", false},
    {"Filter Status", "ALL", false},
    {"Filter Category", "ALL", false},
    {"Filter Language", "ALL", false},
    {"Filter RatingFrom", "1", false},
    {"Filter RatingTo", "100", false},
    {"Filter ShowDisabled", "FALSE", false},
    {"Filter Show Apply Button", "TRUE", false},
    {"Automatically backup", "FALSE", false},
    {"Skip Images", "FALSE", false},
    {"Open site for submit", "FALSE", false},
    {"Show the Open button menu", "FALSE", false},
    {"DO_NOT_DROP_OVERRIDE", "FALSE", false},
    {"FormEditor_Column_Index", "72", false},
    {"FormEditor_Column_Name", "201", false},
    {"FormEditor_Column_Context", "169", false},
    {"FormEditor_Column_Fill with", "304", false},
    {"FormEditor_Column_TagName", "64", false},
    {"FormEditor_Column_Type", "68", false},
    {"FormEditor_Column_Value", "158", false},
};

const char* const kCompanyEditorPages[] = {"Company", "Private", "ASP", "Accounts", "Comments"};
const char* const kProductEditorPages[] = {"Program Info I",
                                           "Program Info II",
                                           "Descriptions",
                                           "Web Info",
                                           "Permissions",
                                           "Simtel",
                                           "VCL",
                                           "PAD Ring",
                                           "Affiliates",
                                           "Quillora",
                                           "User Defined",
                                           "Passwords",
                                           "Version Listed",
                                           "Version Submitted",
                                           "Date Submitted",
                                           "Search Results",
                                           "Search Flag",
                                           "Category"};

// Parses "a,b,c" into integers; false when an entry is not an integer.
bool ParseIntList(const std::string& text, std::vector<int>& out) {
  out.clear();
  if (text.empty()) return true;
  for (int i = 0, n = CountFields(text, ','); i < n; ++i) {
    int v;
    if (!TryStrToInt(Trim(NthField(text, i, ',')), v)) return false;
    out.push_back(v);
  }
  return true;
}

std::string JoinIntList(const std::vector<int>& values) {
  std::string out;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) out += ',';
    out += std::to_string(values[i]);
  }
  return out;
}

// The folder the program's shipped data is found in when nothing else names one: beside the
// executable, or the source tree's data folder for a program run from its build tree.
std::string DefaultDataFolder(const std::string& exe_folder) {
  std::string beside = exe_folder + "data/";
#ifdef QUILLORA_SOURCE_DATA_DIR
  if (!DirectoryExists(beside) && DirectoryExists(QUILLORA_SOURCE_DATA_DIR))
    return IncludeTrailingPathDelimiter(QUILLORA_SOURCE_DATA_DIR);
#endif
  return beside;
}

std::string DefaultUserFolder(const std::string& exe_folder) {
  // The executable's folder, as long as we may write there (an installed program may not).
  if (access(exe_folder.c_str(), W_OK) == 0) return exe_folder;
  return UserConfigFolder() + "quillora/";
}

// Folders given on the command line may be relative to where the program was started.
std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  auto abs = std::filesystem::absolute(path, ec);
  return ec ? path : abs.string();
}

// Writes a text file through a temporary file beside it, so a failed write keeps the old file.
void SaveTextFileSafely(const std::string& path, const std::string& text) {
  // Per process, so two programs sharing a folder never write into each other's temporary file.
  std::string tmp = path + ".tmp" + std::to_string(getpid());
  {
    TFileStream f(tmp, TFileStream::Mode::Create);
    f.Write(text);
    f.Flush(true);
  }
  if (!RenameFileAt(tmp, path)) {
    DeleteFileAt(tmp);
    throw std::runtime_error("Cannot write file " + path);
  }
}

void SaveSideFile(const std::string& path, const std::string& text) {
  try {
    SaveTextFileSafely(path, text);
  } catch (...) {
  }
}

}  // namespace

void RegisterStartupHook(TStartupStep step, TStartupHook hook) {
  StartupHooks()[step].push_back(std::move(hook));
}
void RegisterSaveSettingsHook(std::function<void()> hook) {
  SaveHooks().push_back(std::move(hook));
}
void RegisterShutdownHook(std::function<void()> hook) {
  ShutdownHooks().push_back(std::move(hook));
}

bool ApplicationDataReady() {
  return g_state != nullptr;
}
TOptionsList& Settings() {
  return State().settings;
}
const TAppFolders& Folders() {
  return State().folders;
}
TDataTables& Tables() {
  return *State().tables;
}
const TSystemDescription& SystemDescription() {
  return State().system;
}
TMonitorsList& Monitors() {
  return *State().monitors;
}

void ApplySettingsDefaults(TOptionsList& s) {
  for (const TDefault& d : kDefaults) {
    std::string v = s.GetString(d.key);
    if (v.empty() || (d.reset && v.size() != 6)) s.SetString(d.key, d.value);
  }
  for (const char* page : kCompanyEditorPages) {
    std::string key = std::string("Company_Editor Tab ") + page;
    if (s.GetString(key).empty()) s.SetBool(key, true);
  }
  for (const char* page : kProductEditorPages) {
    std::string key = std::string("Product_Editor Tab ") + page;
    if (s.GetString(key).empty()) s.SetBool(key, true);
  }
  if (s.GetString("Autosearch2_Folder").empty()) s.SetString("Autosearch2_Folder", "dump/");
  if (s.GetString("External_Search").empty()) s.SetBool("External_Search", false);
  if (!s.GetBool("External_Search")) s.SetBool("New_Autosearch", true);
}

void MigrateSitesColumnOrder(TOptionsList& s) {
  std::vector<int> order, widths;
  // A list we cannot read is left as it is rather than stopping the start.
  if (!ParseIntList(s.GetString("Sites List Order"), order)) return;
  for (int v : order)
    if (std::abs(v) == 25) return;
  size_t pos = order.size();
  for (size_t i = 0; i < order.size(); ++i)
    if (std::abs(order[i]) == 1) {
      pos = i;
      break;
    }
  if (pos == order.size()) return;
  order.insert(order.begin() + static_cast<long>(pos), 25);
  s.SetString("Sites List Order", JoinIntList(order));
  if (!ParseIntList(s.GetString("Sites List Width"), widths)) return;
  widths.insert(widths.begin() + static_cast<long>(std::min(pos, widths.size())), 20);
  s.SetString("Sites List Width", JoinIntList(widths));
}

std::string ResolveDumpFolder(const std::string& setting, const std::string& data_folder) {
  if (IsAbsolutePath(setting)) return setting;
  return data_folder + setting;
}

void WriteExceptionLogHeader(TOptionsList& log, const TSystemDescription& sys) {
  if (log.Count() < 6) {
    log.Clear();
    for (int i = 0; i < 6; ++i) log.AddLine("");
  }
  log.SetLine(0, "Quillora 3.0");
  log.SetLine(1, "Build: " + sys.build);
  log.SetLine(2, "OS: " + sys.operating_system);
  log.SetLine(3, "Memory: " + sys.memory);
  log.SetLine(4, "IE: " + sys.browser);
  log.SetLine(5, "");
}

void AppendExceptionLog(const std::string& line) {
  if (!g_state) return;
  try {
    TOptionsList& log = Tables().exceptions;
    if (log.Count() > 200) log.DeleteLine(6);
    log.AddLine(line);
    log.SaveToTextFile(Folders().data + "exceptions.dat");
  } catch (...) {
  }
}

std::string ExceptionLogLine(unsigned address, const std::string& message) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", address);
  return DateTimeToStr(Now()) + ": " + hex + " " + message;
}

bool InitApplicationData(const TStartupOptions& options) {
  g_state = std::make_unique<TAppState>();
  TAppState& st = *g_state;
  auto fail = [&] {
    SetGlobalMonitors(nullptr);
    g_state.reset();
    return false;
  };

  // 1. What we run on.
  st.system = ComputeSystemDescription();

  // 2. The user folder and the settings.
  TAppFolders& f = st.folders;
  f.executable = ExecutableFolder();
  std::string registry_user_dir = ReadRegistryValue(kRegistryUserDir);
  if (!options.user_dir.empty())
    f.user = IncludeTrailingPathDelimiter(AbsolutePath(options.user_dir));
  else if (!registry_user_dir.empty())
    f.user = IncludeTrailingPathDelimiter(registry_user_dir);
  else
    f.user = DefaultUserFolder(f.executable);
  f.settings_file = f.user + "data/config.dat";
  try {
    st.settings.LoadFromTextFile(f.settings_file);
  } catch (const std::exception&) {
    if (options.user_dir.empty() && !registry_user_dir.empty()) {
      ShowError("Alter config does not found at " + f.settings_file);
      return fail();
    }
    st.settings.Clear();  // the first start
  }
  TOptionsList& s = st.settings;

  // 3. The sites grid gained a column.
  MigrateSitesColumnOrder(s);

  // 4. The data folder.
  if (std::string legacy = s.GetString("User Dir"); !legacy.empty()) {
    s.SetString("AppData_Dir", IncludeTrailingPathDelimiter(legacy) + "data/");
    s.SetString("User Dir", "");
  }
  if (!options.data_dir.empty()) {
    f.data = IncludeTrailingPathDelimiter(AbsolutePath(options.data_dir));
  } else if (std::string d = s.GetString("AppData_Dir"); !d.empty() && DirectoryExists(d)) {
    f.data = IncludeTrailingPathDelimiter(d);
  } else {
    f.data = DefaultDataFolder(f.executable);
  }
  f.sites = f.data + "Sites/";
  f.companies = f.data + "Companies/";
  f.products = f.data + "Products/";

  // 5. Temporary files.
  f.temp = f.user + "Temp/";
  ForceDirectories(f.temp);

  // 6. The remote search's dump folder.
  if (s.GetString("Autosearch2_Folder").empty()) s.SetString("Autosearch2_Folder", "dump/");
  f.dump = ResolveDumpFolder(s.GetString("Autosearch2_Folder"), f.data);

  // 7. Timing.
  st.monitors = std::make_unique<TMonitorsList>(f.data + "speed_tests.dat");
  SetGlobalMonitors(st.monitors.get());
  st.session_start = TickCount();
  if (st.session_start == 0) st.session_start = 1;

  // 8. Defaults.
  ApplySettingsDefaults(s);

  // 9. Data tables.
  TDataTables& t = *st.tables;
  auto required = [&](const std::string& name, auto& table) {
    std::string path = f.data + name;
    try {
      table.LoadFromTextFile(path);
      return true;
    } catch (const std::exception&) {
      ShowError("Cannot load " + path + "\rExiting.");
      return false;
    }
  };
  auto optional = [&](const std::string& name, auto& table, const std::string& message) {
    std::string path = f.data + name;
    if (!FileExists(path)) return;
    try {
      table.LoadFromTextFile(path);
    } catch (const std::exception&) {
      ShowError(message.empty() ? "Cannot load " + path : message);
    }
  };

  if (!required("NameSpace.dat", t.name_space)) return fail();
  for (int i = 0; i < t.name_space.Count(); ++i) {
    TOptionsList& section = t.name_space.SectionAt(i);
    for (int j = 0; j < section.Count(); ++j)
      if (section.Line(j).find('=') == std::string::npos)
        section.SetLine(j, section.Line(j) + "= ");
    for (const std::string& line : section.Lines()) t.name_space_flat.AddLine(line);
  }
  if (!required("month_short.dat", t.month_short) ||
      !required("country_short.dat", t.country_short) ||
      !required("state_short.dat", t.state_short) ||
      !required("TML/siteinfo.tml", t.site_info_template) || !required("status.dat", t.status))
    return fail();
  if (!RunHooks(TStartupStep::Profile, options)) return fail();
  if (!required("aliases.dat", t.aliases) || !required("listvars.dat", t.list_vars)) return fail();
  optional("Translate.dat", t.translate, "Unable to load variable translation table");
  {
    std::string path = f.data + "categories.dat";
    try {
      t.categories.LoadFromTextFile(path);
    } catch (const std::exception&) {
      ShowError("Cannot load " + path);
    }
  }
  optional("OS_rules.dat", t.os_rules, "Unable to load variable OS fill rules");
  optional("custom_sets.dat", t.custom_sets, "");
  optional("filters.dat", t.filters, "");
  optional("bugs_history.dat", t.bugs_history, "");
  optional("Favorites.dat", t.favorites, "");
  try {
    if (FileExists(f.data + "exceptions.dat"))
      t.exceptions.LoadFromTextFile(f.data + "exceptions.dat");
  } catch (...) {
    t.exceptions.Clear();
  }
  WriteExceptionLogHeader(t.exceptions, st.system);
  SaveSideFile(f.data + "exceptions.dat", t.exceptions.Text());

  // 10-12. Site filter, site list, company and product lists.
  if (!RunHooks(TStartupStep::SiteFilter, options) || !RunHooks(TStartupStep::SiteList, options) ||
      !RunHooks(TStartupStep::RecordLists, options))
    return fail();

  // 13. What sites say when a search finds nothing.
  if (!required("notfound.dat", t.not_found)) return fail();

  // 14. Ratings.
  if (!RunHooks(TStartupStep::Ratings, options)) return fail();
  return true;
}

void SaveSettings() {
  TAppState& st = State();
  ApplySettingsDefaults(st.settings);
  for (auto& hook : SaveHooks()) hook();
  const std::string& data = st.folders.data;
  SaveSideFile(data + "custom_sets.dat", st.tables->custom_sets.Text());
  SaveSideFile(data + "filters.dat", st.tables->filters.Text());
  SaveSideFile(data + "bugs_history.dat", st.tables->bugs_history.Text());
  try {
    ForceDirectories(ExtractFilePath(st.folders.settings_file));
    SaveTextFileSafely(st.folders.settings_file, st.settings.Text());
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

void DoneApplicationData() {
  if (!g_state) return;
  SaveSettings();
  auto& hooks = ShutdownHooks();
  for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) (*it)();
  TAppState& st = *g_state;
  st.monitors->Get("Session").Stop(st.session_start);
  st.monitors->SaveTextReport(st.folders.data + "speed_tests.txt");
  SetGlobalMonitors(nullptr);
  g_state.reset();  // the monitors list writes "speed_tests.dat" as it goes
}

// --- window placements and editor pages

std::string FormatWindowPlacement(const TWindowPlacement& p) {
  const char* state = p.state == TWindowPlacement::State::Maximized       ? "M"
                      : p.state == TWindowPlacement::State::ScreenCenter  ? "SC"
                      : p.state == TWindowPlacement::State::DesktopCenter ? "DC"
                                                                          : "D";
  return std::string("State:") + state + " L:" + std::to_string(p.left) +
         " T:" + std::to_string(p.top) + " W:" + std::to_string(p.width) +
         " H:" + std::to_string(p.height);
}

TWindowPlacement ParseWindowPlacement(const std::string& text) {
  TWindowPlacement p;
  for (int i = 0, n = CountFields(text, ' '); i < n; ++i) {
    std::string field = NthField(text, i, ' ');
    size_t colon = field.find(':');
    if (colon == std::string::npos) continue;
    std::string name = field.substr(0, colon), value = field.substr(colon + 1);
    if (name == "State") {
      p.state = value == "M"    ? TWindowPlacement::State::Maximized
                : value == "SC" ? TWindowPlacement::State::ScreenCenter
                : value == "DC" ? TWindowPlacement::State::DesktopCenter
                                : TWindowPlacement::State::Default;
      continue;
    }
    int v;
    if (!TryStrToInt(value, v)) continue;
    if (name == "L") p.left = v, p.has_left = true;
    if (name == "T") p.top = v, p.has_top = true;
    if (name == "W") p.width = v, p.has_width = true;
    if (name == "H") p.height = v, p.has_height = true;
  }
  return p;
}

void StoreWindowPlacement(TOptionsList& settings, const std::string& window_name,
                          const TWindowPlacement& p) {
  settings.SetString("Window_" + window_name, FormatWindowPlacement(p));
}

std::string StoredWindowPlacement(const TOptionsList& settings, const std::string& window_name) {
  return settings.GetString("Window_" + window_name);
}

void SaveEditorPages(TOptionsList& settings, const std::string& editor_prefix,
                     const std::vector<TEditorPage>& pages) {
  for (const auto& page : pages)
    settings.SetBool(editor_prefix + " Tab " + page.caption, page.visible);
}

void RestoreEditorPages(const TOptionsList& settings, const std::string& editor_prefix,
                        std::vector<TEditorPage>& pages) {
  for (auto& page : pages) {
    std::string v = settings.GetString(editor_prefix + " Tab " + page.caption);
    if (!v.empty()) page.visible = v == "TRUE";
  }
}

void OpenHelp(const std::string& topic) {
  std::string file =
      g_state ? Folders().executable + Settings().GetString("Help FileName") : std::string();
  UI().OpenDocument(topic.empty() ? file : file + "::/" + topic);
}

}  // namespace quillora
