// What the start-up data load found: the program's version, the machine, the folders, the settings
// and every data table with its size, the sites and the records. The command line prints it as
// text; the desktop program can show the same data.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillora {

class TCoreContext;

struct TStartupSummary {
  struct Table {
    std::string name;   // the file's name in the data folder
    bool tree = false;  // an option tree: counted in sections and lines
    int sections = 0;
    int lines = 0;
  };
  std::string version, build;
  std::string operating_system, memory;
  int code_page = 0;
  std::string user_folder, settings_file, data_folder;
  int settings_count = 0;
  std::vector<Table> tables;  // in the order they are reported
  int exception_log_lines = 0;
  std::optional<int> sites;  // when there is a site list
  // When there are record lists.
  std::optional<int> companies, products;
  std::string active_product;
};

TStartupSummary MakeStartupSummary(const TCoreContext& core);
// The summary as "quillora-cli summary" prints it, one "\n"-ended line per fact.
std::string StartupSummaryText(const TStartupSummary& summary);

}  // namespace quillora
