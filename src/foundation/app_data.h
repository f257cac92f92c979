// Process-wide state that is not a company, product or site: folders, the settings list with its
// defaults, the shipped data tables, the system description, monitors and the exception log,
// and the start-up / shutdown sequence that creates and releases it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/monitors.h"
#include "foundation/option_list.h"
#include "foundation/sysinfo.h"

namespace quillora {

struct TAppFolders {
  std::string executable;  // every folder ends with "/"
  std::string user;
  std::string settings_file;
  std::string data;
  std::string temp;
  std::string sites;
  std::string companies;
  std::string products;
  std::string dump;  // remote-search dump folder
};

// The read-only tables shipped in the data folder, plus the side files kept there.
struct TDataTables {
  TMultiOptions name_space;
  TOptionsList name_space_flat;  // every line of every NameSpace section, in order
  TOptionsList month_short, country_short, state_short;
  TOptionsList site_info_template;  // "TML/siteinfo.tml"
  TMultiOptions status;
  TMultiOptions aliases;
  TMultiOptions list_vars;
  TOptionsList translate;
  TOptionsList categories;
  TOptionsList os_rules;
  TMultiOptions custom_sets;  // "custom_sets.dat"
  TOptionsList filters;       // "filters.dat"
  TMultiOptions bugs_history;
  TOptionsList favorites;
  TOptionsList exceptions;  // the exception log
  TOptionsList not_found;
  // Value lists the records fill: operating systems, languages and program types of the
  // product editor. (The sites view keeps its known categories and languages with the sites.)
  TOptionsList os_values, language_values, program_type_values;
};

// Where later subsystems plug into the start-up and shutdown order without changing it.
enum class TStartupStep {
  Profile,      // after "status.dat": create the active profile
  SiteFilter,   // create the site filter from the settings
  SiteList,     // create and load the site list (progress through the callback)
  RecordLists,  // create the company and product lists
  Ratings,      // apply "Ratings.dat"
};

using TProgressCallback = std::function<void(int position, int total)>;

struct TStartupOptions {
  std::string data_dir;  // overrides the resolved data folder when not empty
  std::string user_dir;  // overrides the registry and executable folder when not empty
  TProgressCallback progress;
};

// A hook returns false to stop the start-up with failure (after showing its message).
using TStartupHook = std::function<bool(const TStartupOptions&)>;
void RegisterStartupHook(TStartupStep step, TStartupHook hook);
// Called by SaveSettings: step 2 (store the site filter into the settings) and before the side
// files are written; and by DoneApplicationData to release what the hooks created.
void RegisterSaveSettingsHook(std::function<void()> hook);
void RegisterShutdownHook(std::function<void()> hook);

// The start-up data load. False when a required table could not be loaded or the settings file
// named by the registry is missing (the message has been shown); the process should end.
bool InitApplicationData(const TStartupOptions& options = {});
void SaveSettings();
void DoneApplicationData();
bool ApplicationDataReady();

TOptionsList& Settings();
const TAppFolders& Folders();
TDataTables& Tables();
const TSystemDescription& SystemDescription();
TMonitorsList& Monitors();

// Writes the defaults into empty keys (and the "reset" keys whose value is not six characters).
void ApplySettingsDefaults(TOptionsList& settings);
// Inserts the column 25 before column 1 in the sites grid's order and a width of 20 in the widths.
void MigrateSitesColumnOrder(TOptionsList& settings);

void AppendExceptionLog(const std::string& line);
// "dd-mm-yyyy hh:nn:ss: XXXXXXXX message" as the message loop logs an unhandled exception.
std::string ExceptionLogLine(unsigned address, const std::string& message);
// Writes the six header lines of the exception log into the list (keeping older entries).
void WriteExceptionLogHeader(TOptionsList& log, const TSystemDescription& sys);

// Window placement strings ("State:S L:l T:t W:w H:h").
struct TWindowPlacement {
  enum class State { Maximized, ScreenCenter, DesktopCenter, Default };
  State state = State::Default;
  int left = 0, top = 0, width = 0, height = 0;
  bool has_left = false, has_top = false, has_width = false, has_height = false;
};
std::string FormatWindowPlacement(const TWindowPlacement& p);
TWindowPlacement ParseWindowPlacement(const std::string& text);  // non-numbers are skipped
void StoreWindowPlacement(TOptionsList& settings, const std::string& window_name,
                          const TWindowPlacement& p);
// Empty when the window has no stored placement.
std::string StoredWindowPlacement(const TOptionsList& settings, const std::string& window_name);

// Editor page visibility: "Company_Editor Tab <caption>" / "Product_Editor Tab <caption>".
struct TEditorPage {
  std::string caption;
  bool visible = true;
};
void SaveEditorPages(TOptionsList& settings, const std::string& editor_prefix,
                     const std::vector<TEditorPage>& pages);
// Pages whose setting is empty keep their state.
void RestoreEditorPages(const TOptionsList& settings, const std::string& editor_prefix,
                        std::vector<TEditorPage>& pages);

// Opens the help file (executable folder + "Help FileName"), at a topic when one is given.
void OpenHelp(const std::string& topic = {});

// Absolute: a leading "/" or a second character ":".
std::string ResolveDumpFolder(const std::string& setting, const std::string& data_folder);

}  // namespace quillora
