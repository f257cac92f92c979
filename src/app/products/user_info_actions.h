// The main window's "Backup User Info", "Restore User Info", "Export Rating" and "Import Rating":
// the archive and ratings dialogs with their remembered folders around the core's backup,
// restore and ratings exchange.
#pragma once

namespace quillora::app {

// Asks for the archive ("Enter user info archive") and writes it. False when cancelled or failed.
bool BackupUserInfoCommand();
// Asks for an archive ("Select user info archive") and merges it into the records. False when
// cancelled or failed; what was merged before a failure stays merged.
bool RestoreUserInfoCommand();

// Asks for the ratings file ("Select ratings file", "Ratings.dat") and writes every site's
// rating. False when cancelled or failed.
bool ExportRatingsCommand();
// Asks for a ratings file and sets the ratings of the sites it names. The sites changed, or -1
// when cancelled or failed.
int ImportRatingsCommand();

}  // namespace quillora::app
