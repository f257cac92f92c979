#include "foundation/folders.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "foundation/files.h"

namespace quillora {

namespace {

// Folders given on the command line may be relative to where the program was started.
std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  auto abs = std::filesystem::absolute(path, ec);
  return ec ? path : abs.string();
}

std::string DefaultDataFolder(const std::string& exe_folder) {
  std::string beside = exe_folder + "data/";
#ifdef QUILLORA_SOURCE_DATA_DIR
  if (!DirectoryExists(beside) && DirectoryExists(QUILLORA_SOURCE_DATA_DIR))
    return IncludeTrailingPathDelimiter(QUILLORA_SOURCE_DATA_DIR);
#endif
  return beside;
}

std::string DefaultUserFolder(const std::string& exe_folder) {
  // An installed program may not write beside itself.
  if (access(exe_folder.c_str(), W_OK) == 0) return exe_folder;
  return UserConfigFolder() + "quillora/";
}

}  // namespace

std::string ResolveUserFolder(const std::string& given, const std::string& registry_value,
                              const std::string& executable_folder) {
  if (!given.empty()) return IncludeTrailingPathDelimiter(AbsolutePath(given));
  if (!registry_value.empty()) return IncludeTrailingPathDelimiter(registry_value);
  return DefaultUserFolder(executable_folder);
}

std::string ResolveDataFolder(const std::string& given, const std::string& setting,
                              const std::string& executable_folder) {
  if (!given.empty()) return IncludeTrailingPathDelimiter(AbsolutePath(given));
  if (!setting.empty() && DirectoryExists(setting)) return IncludeTrailingPathDelimiter(setting);
  return DefaultDataFolder(executable_folder);
}

void SetDataFolder(TAppFolders& folders, const std::string& data) {
  folders.data = data;
  folders.sites = data + "Sites/";
  folders.companies = data + "Companies/";
  folders.products = data + "Products/";
}

std::string ResolveDumpFolder(const std::string& setting, const std::string& data_folder) {
  if (IsAbsolutePath(setting)) return setting;
  return data_folder + setting;
}

}  // namespace quillora
