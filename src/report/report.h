// Reports of the submission state: one row per site and a chosen set of the Sites view's columns,
// as an HTML page built from "TML/Report.tml" with statistics and bar graphs, or as
// tab-separated text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/option_list.h"
#include "sites/site_list.h"

namespace quillora {

class TJob;
class TProfile;

enum TReportFormat { rfHtml = 0, rfText = 1 };

inline constexpr int kReportColumnCount = 24;  // the Sites view's columns 0..23

struct TReportColumn {
  std::string caption;
  uint8_t visible = 1;
  std::string cell_template;
  std::vector<std::string> values;
  int32_t id = 0;  // column number + 1
  int32_t position = 0;
};

struct TReportData {
  std::vector<TReportColumn> columns;
  bool total = false;
  TReportColumn* FindByCaption(const std::string& caption);
  TReportColumn* FindById(int id);
  // One column per Sites view column, visible, position = id; then "Report Columns Order"
  // (or "Sites List Order" when that is empty) applied: entry k gives the column |entry| the
  // position k and the visibility entry > 0; entries that do not parse are skipped.
  void Build(const std::string& report_order, const std::string& sites_list_order);
  // The signed ids in position order, as "Report Columns Order" stores them.
  std::string OrderSetting() const;
  // Rebuilds the columns with exactly these (column numbers) shown, in this order, and the others
  // hidden after them in number order.
  void ShowOnly(const std::vector<int>& shown);
};

// Report column numbers (0..23) from a comma-separated list, as ParseColumnNumbers reads them
// (its std::runtime_error "Bad column number in '<list>' (0..23)" included).
std::vector<int> ParseReportColumns(const std::string& list);

std::string FormatCell(TReportFormat format, int column, const std::string& raw);

// Fills the columns from the sites of `order` (positions in `list`) that are included (every
// site with total, else the visible ones), sets the report variables over `profile_values`
// and generates the lines. `template_path` is the HTML page template. False with the message
// shown when the template cannot be loaded or the text report fails.
bool CollectReport(TSiteList& list, const std::vector<int>& order, const TSiteProfile* profile,
                   const TOptionsList& profile_values, TReportData& data, TReportFormat format,
                   const std::string& template_path, std::vector<std::string>& lines);
// The same as a job: a stop between two columns returns false, lines untouched, nothing shown.
bool CollectReport(TSiteList& list, const std::vector<int>& order, const TSiteProfile* profile,
                   const TOptionsList& profile_values, TReportData& data, TReportFormat format,
                   const std::string& template_path, std::vector<std::string>& lines, TJob& job);

// The lines of the exported report for the active profile. With total and the text format it
// covers every product of the active company in product-list order: the product's name, " v."
// and its version on a line, then its report, then an empty line; the settings' active company
// and product are put back afterwards. Otherwise it is CollectReport of the active profile.
// False when a report failed (its message shown) or the job was stopped (lines untouched).
bool CollectExportReport(TSiteList& list, const std::vector<int>& order, TProfile& active,
                         TReportData& data, TReportFormat format, const std::string& template_path,
                         std::vector<std::string>& lines);
bool CollectExportReport(TSiteList& list, const std::vector<int>& order, TProfile& active,
                         TReportData& data, TReportFormat format, const std::string& template_path,
                         std::vector<std::string>& lines, TJob& job);

// The header, cells and rows of the table; the HTML page from its template. False when the
// template cannot be loaded ("Cannot load <path>" shown).
bool GenerateReport(TReportFormat format, std::vector<std::string>& lines, TReportData& data,
                    TOptionsList& variables, const std::string& template_path);

// The 20 table cells of a bar for n out of t (all empty when t is 0).
std::string ReportGraph(int n, int t);
// "Report/..." variables from the statistics; sites_in_list is the size of the whole list.
void SetReportVariables(TOptionsList& vars, const TSiteStatistics& s, int sites_in_list);

}  // namespace quillora
