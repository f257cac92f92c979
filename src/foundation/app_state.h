// The program's own state that is not a company, product or site: its folders, settings, data
// tables, system description and timing monitors. The core context owns it and installs it while
// it lives; the accessors read the installed one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/data_tables.h"
#include "foundation/folders.h"
#include "foundation/monitors.h"
#include "foundation/option_list.h"
#include "foundation/sysinfo.h"

namespace quillora {

struct TAppState {
  TAppFolders folders;
  TOptionsList settings;
  TDataTables tables;
  TSystemDescription system;
  std::unique_ptr<TMonitorsList> monitors;  // from the start-up's seventh step on
  uint32_t session_start = 0;               // the "Session" timing
};

// Makes state the one the accessors read; nullptr leaves none.
void InstallAppState(TAppState* state);

// Whether a state is installed. The accessors throw std::logic_error when none is.
bool ApplicationDataReady();
TOptionsList& Settings();
const TAppFolders& Folders();
TDataTables& Tables();
const TSystemDescription& SystemDescription();
TMonitorsList& Monitors();

// Opens the help file (executable folder + "Help FileName"), at a topic when one is given.
void OpenHelp(const std::string& topic = {});

}  // namespace quillora
