#include "foundation/settings.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "foundation/files.h"
#include "foundation/text_utils.h"

namespace quillora {

namespace {

struct TDefault {
  const char* key;
  const char* value;
  bool reset;  // replaced too when its value is not six characters long
};

// In the order they are applied.
const TDefault kDefaults[] = {
    {"Help FileName", "help/index.html", false},
    {"Support_Email", "support@quillora.localhost", false},
    {"Bug report email", "bugs@quillora.localhost", false},
    {"Sites Repository", "http://repository.localhost:8765/", false},
    {"NEW_UPLOAD", "TRUE", false},
    {"SITES_FROM_SQL_DB", "TRUE", false},
    {"RESULTS_SHORT_LENGTH", "45", false},
    {"AutoFill_Enabled", "TRUE", false},
    {"Smart Guessing", "TRUE", false},
    {"Side Panel Width", "150", false},
    {"Show Side Panel", "FALSE", false},
    {"Server Base Exported", "01-01-1900", false},
    {"Sites_Info_Panel_Height", "180", false},
    {"Sites_Info_Panel_Page", "0", false},
    {"Active Company", "Sample_Company", false},
    {"Active Product", "APP-Sample_Product", false},
    {"Use MAPI", "TRUE", false},
    {"Sites List Order",
     "7,24,25,1,2,9,8,-6,-3,-4,-5,-10,-11,-12,-13,14,15,16,18,-19,-20,21,22,-23,17,26", false},
    {"Sites List Width",
     "24,24,20,149,173,102,24,10,21,27,102,10,10,10,10,32,32,66,71,10,10,66,61,132,117,186", false},
    {"Font Name", "MS Sans Serif", false},
    {"Font CharSet", "204", false},
    {"Font Size", "8", false},
    {"Font Color", "FFFFFF", true},
    {"Font Style", "0", false},
    {"Color Default", "000000", true},
    {"Color Found", "000000", true},
    {"Color NF", "000000", true},
    {"Color NS", "000000", true},
    {"Color ER", "000000", true},
    {"BgColor Default", "FFFFFF", true},
    {"BgColor Found", "CDDFCC", true},
    {"BgColor NF", "DBFBFF", true},
    {"BgColor NS", "FFFFDF", true},
    {"BgColor ER", "FDE6E6", true},
    {"Sites List Sort", "-1", false},
    {"Sites List Style", "List", false},
    {"AUTOSEARCH_NUMBER_OF_THREADS", "7", false},
    {"AUTOSEARCH_TIMEOUT", "120", false},
    {"AUTOSEARCH_ATTEMPTS", "3", false},
    {"Hide Bottom Panel", "FALSE", false},
    {"Filter Show All", "TRUE", false},
    {"Filter Status", "ALL", false},
    {"Filter Category", "ALL", false},
    {"Filter Language", "ALL", false},
    {"Filter RatingFrom", "1", false},
    {"Filter RatingTo", "100", false},
    {"Filter ShowDisabled", "FALSE", false},
    {"Filter Show Apply Button", "TRUE", false},
    {"Automatically backup", "FALSE", false},
    {"Skip Images", "FALSE", false},
    {"Open site for submit", "FALSE", false},
    {"Show the Open button menu", "FALSE", false},
    {"DO_NOT_DROP_OVERRIDE", "FALSE", false},
    {"FormEditor_Column_Index", "72", false},
    {"FormEditor_Column_Name", "201", false},
    {"FormEditor_Column_Context", "169", false},
    {"FormEditor_Column_Fill with", "304", false},
    {"FormEditor_Column_TagName", "64", false},
    {"FormEditor_Column_Type", "68", false},
    {"FormEditor_Column_Value", "158", false},
};

const char* const kCompanyEditorPages[] = {"Company", "Private", "ASP", "Accounts", "Comments"};
const char* const kProductEditorPages[] = {"Program Info I",
                                           "Program Info II",
                                           "Descriptions",
                                           "Web Info",
                                           "Permissions",
                                           "Simtel",
                                           "VCL",
                                           "PAD Ring",
                                           "Affiliates",
                                           "Quillora",
                                           "User Defined",
                                           "Passwords",
                                           "Version Listed",
                                           "Version Submitted",
                                           "Date Submitted",
                                           "Search Results",
                                           "Search Flag",
                                           "Category"};

// Parses "a,b,c" into integers; false when an entry is not an integer.
bool ParseIntList(const std::string& text, std::vector<int>& out) {
  out.clear();
  if (text.empty()) return true;
  for (int i = 0, n = CountFields(text, ','); i < n; ++i) {
    int v;
    if (!TryStrToInt(Trim(NthField(text, i, ',')), v)) return false;
    out.push_back(v);
  }
  return true;
}

std::string JoinIntList(const std::vector<int>& values) {
  std::string out;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) out += ',';
    out += std::to_string(values[i]);
  }
  return out;
}

}  // namespace

void ApplySettingsDefaults(TOptionsList& s) {
  for (const TDefault& d : kDefaults) {
    std::string v = s.GetString(d.key);
    if (v.empty() || (d.reset && v.size() != 6)) s.SetString(d.key, d.value);
  }
  for (const char* page : kCompanyEditorPages) {
    std::string key = std::string("Company_Editor Tab ") + page;
    if (s.GetString(key).empty()) s.SetBool(key, true);
  }
  for (const char* page : kProductEditorPages) {
    std::string key = std::string("Product_Editor Tab ") + page;
    if (s.GetString(key).empty()) s.SetBool(key, true);
  }
  if (s.GetString("Autosearch2_Folder").empty()) s.SetString("Autosearch2_Folder", "dump/");
  if (s.GetString("External_Search").empty()) s.SetBool("External_Search", false);
  if (!s.GetBool("External_Search")) s.SetBool("New_Autosearch", true);
}

void MigrateSitesColumnOrder(TOptionsList& s) {
  std::vector<int> order, widths;
  // A list we cannot read is left as it is rather than stopping the start.
  if (!ParseIntList(s.GetString("Sites List Order"), order)) return;
  for (int v : order)
    if (std::abs(v) == 25) return;
  size_t pos = order.size();
  for (size_t i = 0; i < order.size(); ++i)
    if (std::abs(order[i]) == 1) {
      pos = i;
      break;
    }
  if (pos == order.size()) return;
  order.insert(order.begin() + static_cast<long>(pos), 25);
  s.SetString("Sites List Order", JoinIntList(order));
  if (!ParseIntList(s.GetString("Sites List Width"), widths)) return;
  widths.insert(widths.begin() + static_cast<long>(std::min(pos, widths.size())), 20);
  s.SetString("Sites List Width", JoinIntList(widths));
}

void MigrateLegacyUserDir(TOptionsList& s) {
  if (std::string legacy = s.GetString("User Dir"); !legacy.empty()) {
    s.SetString("AppData_Dir", IncludeTrailingPathDelimiter(legacy) + "data/");
    s.SetString("User Dir", "");
  }
}

void SaveSettingsFile(const std::string& path, const TOptionsList& settings) {
  ForceDirectories(ExtractFilePath(path));
  try {
    SaveFileSafely(path, settings.Text());
  } catch (const TSaveFileError& e) {
    // The messages the settings file has always been reported with.
    switch (e.step) {
      case TSaveFileError::Step::Create:
        throw std::runtime_error("Cannot create file " + e.file + ". " + e.reason);
      case TSaveFileError::Step::Write:
        throw std::runtime_error("Error writing file " + e.file + ". " + e.reason);
      case TSaveFileError::Step::Replace:
        break;
    }
    throw std::runtime_error("Cannot write file " + path);
  }
}

}  // namespace quillora
