// The PAD validator: a PAD file's values (or the active product's, as an export would write
// them) checked against the PAD 3.11 or 4.0 field rules, one problem per broken rule.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "foundation/option_list.h"

namespace quillora {

struct TPadProblem {
  std::string path;   // the element path below the root, e.g. "Company_Info/Company_Name"
  std::string rule;   // what the value breaks, e.g. "length 2..40", "required", "enum Program_Type"
  std::string value;  // as read (UTF-8)
  bool operator==(const TPadProblem&) const = default;
};

// The rule tables of the data folder's "pad/" files: "field-rules.tsv" (path, 3.11 rule, 4.0
// rule), "enums.txt" ([Name] blocks of allowed values) and "category-classes.txt".
class TPadRules {
 public:
  // Throws std::runtime_error when a file cannot be read.
  void Load(const std::string& folder);
  struct Field {
    std::string path, rule_311, rule_40;
  };
  std::vector<Field> fields;
  std::map<std::string, std::vector<std::string>> enums;
};

// "3.11" or "4.0"; the version a file's MASTER_PAD_VERSION names ("4..." is 4.0, anything else
// 3.11).
std::string PadVersionOf(const TOptionsList& values);

// values: keys are element paths as ImportXml reads them. Problems in field-rule order; the
// rules for "Program_Descriptions/English/..." apply to every description language present.
std::vector<TPadProblem> ValidatePad(const TOptionsList& values, const std::string& version,
                                     const TPadRules& rules);

}  // namespace quillora
