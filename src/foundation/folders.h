// Where the program's files live: the executable, user, data, temporary and dump folders, and the
// rules that find them at start-up.
#pragma once

#include <string>

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

// The user folder: the one given (relative to the working folder), else the registry's
// "UserDir", else the executable's folder as long as we may write there, else
// "~/.config/quillora/".
std::string ResolveUserFolder(const std::string& given, const std::string& registry_value,
                              const std::string& executable_folder);
// The data folder: the one given (relative to the working folder), else the "AppData_Dir" setting
// when it names an existing folder, else the shipped data set: beside the executable when it holds
// the data tables, else "../share/quillora/data/" from the executable's folder when that does.
std::string ResolveDataFolder(const std::string& given, const std::string& setting,
                              const std::string& executable_folder);
// Sets the data folder and the folders inside it (sites, companies, products).
void SetDataFolder(TAppFolders& folders, const std::string& data);

// Absolute: a leading "/" or a second character ":".
std::string ResolveDumpFolder(const std::string& setting, const std::string& data_folder);

}  // namespace quillora
