// The settings list's defaults, the migrations of settings older programs wrote, and the settings
// file.
#pragma once

#include <string>

#include "foundation/option_list.h"

namespace quillora {

// Writes the defaults into empty keys (and the "reset" keys whose value is not six characters).
void ApplySettingsDefaults(TOptionsList& settings);
// Inserts the column 25 before column 1 in the sites grid's order and a width of 20 in the widths.
void MigrateSitesColumnOrder(TOptionsList& settings);
// Older programs kept the parent of the data folder in "User Dir"; it becomes "AppData_Dir".
void MigrateLegacyUserDir(TOptionsList& settings);

// Writes the settings file (and its folder) through a temporary file beside it, so a failed write
// keeps the old file. Throws std::runtime_error with the message the user is shown.
void SaveSettingsFile(const std::string& path, const TOptionsList& settings);

}  // namespace quillora
