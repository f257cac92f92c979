#include "report/report.h"

#include <algorithm>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/dates.h"
#include "foundation/files.h"
#include "foundation/job.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "sites/sites_view.h"
#include "template/template.h"

namespace quillora {

namespace {

// Status marks as character references: they need no symbol font and survive any code page.
constexpr const char* kCheck = "&#x2714;";
// The hourglass (U+231B) exists only in emoji fonts; a quarter-filled clock face renders
// everywhere the other marks do.
constexpr const char* kHourglass = "&#x25F4;";
constexpr const char* kEmptyBox = "&#x2610;";
constexpr const char* kCrossedBox = "&#x2612;";

std::string Two(int n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

// Cell text goes into markup: a site's comments must not become tags of the report page.
std::string HtmlText(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case ' ':
        out += "&nbsp;";
        break;
      case '\r':
        out += "<br>";
        if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        break;
      case '\n':
        out += "<br>";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string TextEscape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '%':
        out += "%25";
        break;
      case '\r':
        out += "%0D";
        break;
      case '\n':
        out += "%0A";
        break;
      case '\t':
        out += "%09";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

TReportColumn* TReportData::FindByCaption(const std::string& caption) {
  for (auto& c : columns)
    if (c.caption == caption) return &c;
  return nullptr;
}

TReportColumn* TReportData::FindById(int id) {
  for (auto& c : columns)
    if (c.id == id) return &c;
  return nullptr;
}

void TReportData::Build(const std::string& report_order, const std::string& sites_list_order) {
  columns.clear();
  for (int i = 0; i < kReportColumnCount; ++i) {
    TReportColumn c;
    c.caption = SiteColumnCaptions()[static_cast<size_t>(i)];
    c.id = c.position = i + 1;
    columns.push_back(std::move(c));
  }
  const std::string order = report_order.empty() ? sites_list_order : report_order;
  const int n = order.empty() ? 0 : CountFields(order, ',');
  for (int k = 0; k < n; ++k) {
    int entry = 0;
    if (!TryStrToInt(NthField(order, k, ','), entry) || entry == 0) continue;
    if (TReportColumn* c = FindById(entry < 0 ? -entry : entry)) {
      c->position = k;
      c->visible = entry > 0;
    }
  }
  std::stable_sort(
      columns.begin(), columns.end(),
      [](const TReportColumn& a, const TReportColumn& b) { return a.position < b.position; });
}

std::string TReportData::OrderSetting() const {
  std::string s;
  for (const auto& c : columns)
    s += (s.empty() ? "" : ",") + std::to_string(c.visible ? c.id : -c.id);
  return s;
}

void TReportData::ShowOnly(const std::vector<int>& shown) {
  std::string order;
  std::vector<bool> used(kReportColumnCount, false);
  for (int c : shown) {
    order += (order.empty() ? "" : ",") + std::to_string(c + 1);
    used.at(static_cast<size_t>(c)) = true;
  }
  for (int c = 0; c < kReportColumnCount; ++c)
    if (!used[static_cast<size_t>(c)]) order += ",-" + std::to_string(c + 1);
  Build(order, "");
}

std::vector<int> ParseReportColumns(const std::string& list) {
  return ParseColumnNumbers(list, kReportColumnCount);
}

std::string FormatCell(TReportFormat format, int column, const std::string& raw) {
  std::string text = raw;
  if (column == 3 || column == 4 || column == 15) {
    TDateTime t;
    if (TryStrToDateTime(raw, t)) {
      const TDateParts p = DecodeDateTime(t);
      text = Two(p.day) + "/" + Two(p.month) + "/" + std::to_string(p.year);
    }
  }
  if (column >= 8 && column <= 11 && text.size() > 20) text = text.substr(0, 20) + "...";
  if (format == rfText) {
    if (column == 6) return text == "3" ? "Complete" : text == "4" ? "Pending" : " ";
    if (column == 18) return text == "2" ? "Protected" : " ";
    return text;
  }
  if (column == 1) {
    std::string address = text;
    if (AnsiLowerCase(address.substr(0, 7)) != "http://") address = "http://" + address;
    return "<a href=\"" + ReplaceAll(HtmlText(address), "&nbsp;", "%20") + "\">" +
           HtmlText(address) + "</a>";
  }
  if (column == 6) {
    if (text == "3") return kCheck;
    if (text == "4") return kHourglass;
    if (text == "5") return kEmptyBox;
    if (text == "6") return kCrossedBox;
    return "&nbsp;";
  }
  if (column == 18) return text == "2" ? kCheck : "&nbsp;";
  return text.empty() ? "&nbsp;" : HtmlText(text);
}

std::string ReportGraph(int n, int t) {
  const int filled = t > 0 ? std::clamp(n * 20 / t, 0, 20) : 0;
  std::string s;
  for (int i = 0; i < 20; ++i)
    s += i < filled ? "        <td width=\"5%\" bgcolor=\"#000080\" style=\"border-style: outset; "
                      "border-width: 1\">&nbsp;</td>\r\n"
                    : "        <td width=\"5%\" style=\"border-style: outset; border-width: "
                      "1\">&nbsp;</td>\r\n";
  return s;
}

void SetReportVariables(TOptionsList& v, const TSiteStatistics& s, int sites_in_list) {
  const std::pair<const char*, int> counts[] = {{"Total", s.Total},
                                                {"Processed", s.Processed},
                                                {"Submitted", s.Submitted},
                                                {"Listed", s.Listed},
                                                {"NotListed", s.NotListed},
                                                {"Complete", s.Complete},
                                                {"Pending", s.Pending},
                                                {"Failed", s.Failed},
                                                {"Skipped", s.Skipped},
                                                {"Found", s.Found},
                                                {"NotFound", s.NotFound},
                                                {"QueryError", s.QueryError},
                                                {"NotSupported", s.NotSupported}};
  auto percent = [](int n, int t) { return t > 0 ? n * 100 / t : 0; };
  for (const auto& [name, n] : counts) {
    v.SetString(std::string("Report/") + name, std::to_string(n));
    if (std::string(name) == "Total")
      v.SetString("Report/Percent/Total", std::to_string(percent(n, sites_in_list)));
    else if (std::string(name) != "Submitted" && std::string(name) != "NotListed")
      v.SetString(std::string("Report/Percent/") + name, std::to_string(percent(n, s.Total)));
  }
  v.SetString("Report/Graph/Total", ReportGraph(s.Total, sites_in_list));
  for (const auto& [name, n] : counts) {
    const std::string w = name;
    if (w == "Processed" || w == "Complete" || w == "Listed" || w == "Pending" || w == "Failed" ||
        w == "Skipped" || w == "Found")
      v.SetString("Report/Graph/" + w, ReportGraph(n, s.Total));
  }
  v.SetString("Now/Date", DateToStr(Now()));
  v.SetString("Now/Time", TimeToStr(Now()));
  v.SetString("Quillora/Version", "3.0");
  v.SetString("Quillora/Build", QUILLORA_BUILD);
}

bool GenerateReport(TReportFormat format, std::vector<std::string>& lines, TReportData& data,
                    TOptionsList& variables, const std::string& template_path) {
  const bool html = format == rfHtml;
  auto shown = [&](const TReportColumn& c) { return data.total || c.visible; };
  std::string header = html ? " <tr>\r\n" : "";
  for (auto& c : data.columns) {
    c.cell_template = !html                       ? "|Data|\t"
                      : (c.id == 7 || c.id == 19) ? "  <td align=center>|Data|</td>\r\n"
                                                  : "  <td>|Data|</td>\r\n";
    if (shown(c)) header += html ? "  <th>" + c.caption + "</th>\r\n" : c.caption + "\t";
  }
  if (html) header += " </tr>";
  const std::string row_template =
      html ? " <tr |IF(RowOdd){\"class='rowodd'\"}ELSE{\"class='roweven'\"}|>\r\n|Cells| </tr>"
           : "|Cells|";

  TOptionsList scratch;
  size_t rows = 0;
  for (size_t c = 0; c < data.columns.size(); ++c) {
    TReportColumn& col = data.columns[c];
    rows = std::max(rows, col.values.size());
    if (!shown(col)) continue;
    scratch.SetString("CellOdd", c % 2 == 0 ? "TRUE" : "FALSE");
    for (size_t r = 0; r < col.values.size(); ++r) {
      scratch.SetString("Data", col.values[r]);
      scratch.SetString("RowOdd", r % 2 == 0 ? "TRUE" : "FALSE");
      std::string cell = col.cell_template;
      ExpandTemplate(scratch, '|', cell, "");
      col.values[r] = std::move(cell);
    }
  }
  std::vector<std::string> out;
  out.push_back(header);
  TOptionsList row_values;
  for (size_t r = 0; r < rows; ++r) {
    std::string cells;
    for (const auto& col : data.columns)
      if (shown(col) && r < col.values.size()) cells += col.values[r];
    row_values.SetString("Cells", cells);
    row_values.SetString("RowOdd", r % 2 == 0 ? "TRUE" : "FALSE");
    std::string row = row_template;
    ExpandTemplate(row_values, '|', row, "");
    out.push_back(std::move(row));
  }
  if (!html) {
    lines = std::move(out);
    return true;
  }
  variables.SetString("Report", JoinLines(out));
  TOptionsList page;
  try {
    page.LoadFromTextFile(template_path);
  } catch (const std::exception&) {
    ShowError("Cannot load " + template_path);
    return false;
  }
  lines = page.Lines();
  ExpandTemplateLines(variables, '|', lines, "");
  return true;
}

bool CollectReport(TSiteList& list, const std::vector<int>& order, const TSiteProfile* profile,
                   const TOptionsList& profile_values, TReportData& data, TReportFormat format,
                   const std::string& template_path, std::vector<std::string>& lines) {
  TJob job;
  return CollectReport(list, order, profile, profile_values, data, format, template_path, lines,
                       job);
}

bool CollectReport(TSiteList& list, const std::vector<int>& order, const TSiteProfile* profile,
                   const TOptionsList& profile_values, TReportData& data, TReportFormat format,
                   const std::string& template_path, std::vector<std::string>& lines, TJob& job) {
  std::vector<TWebSite*> included;
  for (int pos : order) {
    TWebSite* s = list.SiteAt(pos);
    if (data.total || s->Visible) included.push_back(s);
  }
  TBusyWindow busy("Generating report");
  int done = 0;
  for (TReportColumn& col : data.columns) {
    if (job.StopRequested()) return false;
    col.values.clear();
    col.values.reserve(included.size());
    const int column = col.id - 1;
    for (TWebSite* s : included) {
      std::string cell = FormatCell(format, column, s->ColumnText(column, profile));
      col.values.push_back(format == rfText ? TextEscape(cell) : std::move(cell));
    }
    job.Progress(++done, static_cast<long long>(data.columns.size()));
  }
  std::stable_sort(
      data.columns.begin(), data.columns.end(),
      [](const TReportColumn& a, const TReportColumn& b) { return a.position < b.position; });
  list.ResetStatistics();
  for (TWebSite* s : included) list.CountStatistics(s, profile);
  TOptionsList vars = profile_values;
  SetReportVariables(vars, list.statistics, list.Count());
  if (!GenerateReport(format, lines, data, vars, template_path)) return false;
  return true;
}

bool CollectExportReport(TSiteList& list, const std::vector<int>& order, TProfile& active,
                         TReportData& data, TReportFormat format, const std::string& template_path,
                         std::vector<std::string>& lines) {
  TJob job;
  return CollectExportReport(list, order, active, data, format, template_path, lines, job);
}

bool CollectExportReport(TSiteList& list, const std::vector<int>& order, TProfile& active,
                         TReportData& data, TReportFormat format, const std::string& template_path,
                         std::vector<std::string>& lines, TJob& job) {
  if (!data.total || format != rfText)
    return CollectReport(list, order, &active, active, data, format, template_path, lines, job);
  // Loading each product's profile makes it the active one in the settings; the user's choice
  // comes back however the loop ends.
  struct KeepActive {
    TOptionsList& settings = Settings();
    const std::string company = settings.GetString("Active Company");
    const std::string product = settings.GetString("Active Product");
    ~KeepActive() {
      settings.SetString("Active Company", company);
      settings.SetString("Active Product", product);
    }
  } keep;
  const std::string company = active.ActiveCompanyUin;
  TProductList& products = active.products ? *active.products : ProductList();
  std::vector<std::string> out;
  for (int i = 0; i < products.Count(); ++i) {
    if (job.StopRequested()) return false;
    TProduct* product = products.At(i);
    if (product->GetString("Quillora/Company_UIN") != company) continue;
    TProfile profile;
    profile.companies = active.companies;
    profile.products = active.products;
    profile.Activate(company, product->Uin());
    out.push_back(profile.GetString("Program_Info/Program_Name") + " v." +
                  profile.GetString("Program_Info/Program_Version"));
    std::vector<std::string> part;
    TReportData copy = data;
    if (!CollectReport(list, order, &profile, profile, copy, format, template_path, part, job))
      return false;
    out.insert(out.end(), part.begin(), part.end());
    out.emplace_back();
  }
  lines = std::move(out);
  return true;
}

}  // namespace quillora
