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

bool HoldsDataSet(const std::string& folder) {
  return FileExists(folder + "NameSpace.dat");
}

// The shipped data set: beside the executable when the tables are there (a copy of the program
// that carries its data), else where an installation puts it, "share/quillora/data/" beside the
// "bin/" the program runs from (the build tree has the same layout). When neither holds the
// tables, the folder beside the executable, whose missing tables the start-up then reports.
// The folder beside the executable is also where the settings go when the user folder is the
// executable's own, so its mere existence does not make it the data folder.
std::string DefaultDataFolder(const std::string& exe_folder) {
  const std::string beside = exe_folder + "data/";
  if (HoldsDataSet(beside)) return beside;
  const std::string installed =
      std::filesystem::path(exe_folder + "../share/quillora/data/").lexically_normal().string();
  if (HoldsDataSet(installed)) return installed;
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
