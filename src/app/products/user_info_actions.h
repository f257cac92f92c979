// The main window's "Backup User Info" and "Restore User Info": the archive dialogs with their
// remembered folders around the core's backup and restore.
#pragma once

namespace quillora::app {

// Asks for the archive ("Enter user info archive") and writes it. False when cancelled or failed.
bool BackupUserInfoCommand();
// Asks for an archive ("Select user info archive") and merges it into the records. False when
// cancelled or failed; what was merged before a failure stays merged.
bool RestoreUserInfoCommand();

}  // namespace quillora::app
