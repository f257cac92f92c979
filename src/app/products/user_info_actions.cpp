#include "app/products/user_info_actions.h"

#include <string>

#include "backup/backup.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/ui_port.h"

namespace quillora::app {

namespace {

constexpr const char* kArchiveFilter = "User info archive|*.uibk|All files|*.*";

}  // namespace

bool BackupUserInfoCommand() {
  std::string path = Settings().GetString("Backup_Path");
  if (!UI().SaveFileDialog("Enter user info archive", kArchiveFilter, path)) return false;
  Settings().SetString("Backup_Path", ExtractFilePath(path));
  return BackupUserInfo(path);
}

bool RestoreUserInfoCommand() {
  std::string path = Settings().GetString("Restore_Path");
  if (!UI().OpenFileDialog("Select user info archive", kArchiveFilter, path)) return false;
  Settings().SetString("Restore_Path", ExtractFilePath(path));
  return RestoreUserInfo(path);
}

}  // namespace quillora::app
