// The read-only tables shipped in the data folder and the side files kept beside them: the struct
// that holds them and the rules by which the start-up loads them.
#pragma once

#include <string>

#include "foundation/option_list.h"

namespace quillora {

struct TDataTables {
  TMultiOptions name_space;
  TOptionsList name_space_flat;  // every line of every NameSpace section, in order
  TOptionsList month_short, country_short, state_short;
  TOptionsList site_info_template;  // "TML/siteinfo.tml"
  TMultiOptions status;
  TMultiOptions aliases;
  TMultiOptions smart_guess;  // the smart guesser's vocabulary ("smart_guess.dat")
  TMultiOptions list_vars;
  TOptionsList translate;
  TOptionsList categories;
  TOptionsList os_rules;
  TOptionsList filters;  // "filters.dat"
  TMultiOptions bugs_history;
  TOptionsList favorites;
  TOptionsList exceptions;  // the exception log
  TOptionsList not_found;
  // Value lists the records fill: operating systems, languages and program types of the
  // product editor. (The sites view keeps its known categories and languages with the sites.)
  TOptionsList os_values, language_values, program_type_values;
};

// Loads the tables of one data folder, each failure shown as the start-up shows it.
class TTableLoader {
 public:
  explicit TTableLoader(std::string data_folder) : folder_(std::move(data_folder)) {}

  // A table the program cannot run without: false after "Cannot load <path>\rExiting." was shown.
  bool Required(const std::string& name, TOptionsList& table) const;
  bool Required(const std::string& name, TMultiOptions& table) const;
  // Loaded when present; a failure shows the message (empty: "Cannot load <path>").
  void Optional(const std::string& name, TOptionsList& table, const std::string& message) const;
  void Optional(const std::string& name, TMultiOptions& table, const std::string& message) const;
  // Loaded whether present or not: a failure shows "Cannot load <path>" and the start goes on.
  void Reported(const std::string& name, TOptionsList& table) const;

 private:
  std::string folder_;
};

// Repairs "NameSpace.dat" as loaded (a line without "=" gets "= ") and fills the flat copy.
void PrepareNameSpace(TDataTables& tables);

// Writes one of the data folder's side files through a temporary file; failures are ignored.
void SaveSideFile(const std::string& path, const std::string& text);
// "filters.dat" and "bugs_history.dat", as the settings are saved. ("custom_sets.dat" belongs to
// the sites' custom sets, which the core saves beside them.)
void SaveTableSideFiles(const TDataTables& tables, const std::string& data_folder);

}  // namespace quillora
