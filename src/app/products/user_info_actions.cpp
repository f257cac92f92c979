#include "app/products/user_info_actions.h"

#include <string>

#include "backup/backup.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/ui_port.h"
#include "sites/site_list.h"

namespace quillora::app {

namespace {

constexpr const char* kArchiveFilter = "User info archive|*.uibk|All files|*.*";
constexpr const char* kRatingsFilter = "Data files|*.dat|All files|*.*";

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

bool ExportRatingsCommand() {
  if (!SiteListReady()) return false;
  std::string path = ExtractFilePath(Settings().GetString("Rating_Export_Path")) + "Ratings.dat";
  if (!UI().SaveFileDialog("Select ratings file", kRatingsFilter, path)) return false;
  if (ExtractFileExt(path).empty()) path += ".dat";
  Settings().SetString("Rating_Export_Path", ExtractFilePath(path));
  return ExportRatings(SiteList(), path);
}

int ImportRatingsCommand() {
  if (!SiteListReady()) return -1;
  std::string path = ExtractFilePath(Settings().GetString("Rating_Import_Path"));
  if (!UI().OpenFileDialog("Select ratings file", kRatingsFilter, path)) return -1;
  Settings().SetString("Rating_Import_Path", ExtractFilePath(path));
  return ImportRatings(SiteList(), path);
}

}  // namespace quillora::app
