#include "core/startup_summary.h"

#include "core/core_context.h"
#include "foundation/codepage.h"
#include "pad/records.h"
#include "sites/site_list.h"

namespace quillora {

namespace {

TStartupSummary::Table Tree(const char* name, const TMultiOptions& m) {
  TStartupSummary::Table t{name, true, m.Count(), 0};
  for (int i = 0; i < m.Count(); ++i) t.lines += m.SectionAt(i).Count();
  return t;
}

TStartupSummary::Table Flat(const char* name, const TOptionsList& l) {
  return {name, false, 0, l.Count()};
}

}  // namespace

TStartupSummary MakeStartupSummary(const TCoreContext& core) {
  const TAppState& app = core.App();
  const TDataTables& t = app.tables;
  TStartupSummary s;
  s.version = QUILLORA_VERSION;
  s.build = QUILLORA_BUILD;
  s.operating_system = app.system.operating_system;
  s.memory = app.system.memory;
  s.code_page = SystemCodePage();
  s.user_folder = app.folders.user;
  s.settings_file = app.folders.settings_file;
  s.settings_count = app.settings.Count();
  s.data_folder = app.folders.data;
  s.tables = {Tree("NameSpace.dat", t.name_space),
              Flat("month_short.dat", t.month_short),
              Flat("country_short.dat", t.country_short),
              Flat("state_short.dat", t.state_short),
              Flat("TML/siteinfo.tml", t.site_info_template),
              Tree("status.dat", t.status),
              Tree("aliases.dat", t.aliases),
              Tree("listvars.dat", t.list_vars),
              Flat("Translate.dat", t.translate),
              Flat("categories.dat", t.categories),
              Flat("OS_rules.dat", t.os_rules),
              Flat("Favorites.dat", t.favorites),
              Flat("notfound.dat", t.not_found),
              Tree("custom_sets.dat", core.Sites().custom_sets),
              Flat("filters.dat", t.filters)};
  s.exception_log_lines = t.exceptions.Count();
  if (core.Sites().list) s.sites = core.Sites().list->Count();
  const TProductData& records = core.Records();
  if (records.companies && records.products) {
    s.companies = records.companies->Count();
    s.products = records.products->Count();
    s.active_product = app.settings.GetString("Active Product");
  }
  return s;
}

std::string StartupSummaryText(const TStartupSummary& s) {
  std::string o;
  o += "Quillora " + s.version + " (build " + s.build + ")\n";
  o += "System:      " + s.operating_system + ", " + s.memory + "\n";
  o += "Code page:   " + std::to_string(s.code_page) + "\n";
  o += "User folder: " + s.user_folder + "\n";
  o += "Settings:    " + s.settings_file + " (" + std::to_string(s.settings_count) + " values)\n";
  o += "Data folder: " + s.data_folder + "\n";
  o += "Data tables:\n";
  for (const TStartupSummary::Table& t : s.tables) {
    o += "  " + t.name + ": ";
    if (t.tree) o += std::to_string(t.sections) + " sections, ";
    o += std::to_string(t.lines) + " lines\n";
  }
  o += "Exception log: " + std::to_string(s.exception_log_lines) + " lines\n";
  if (s.sites) o += "Sites: " + std::to_string(*s.sites) + "\n";
  if (s.companies && s.products) {
    o += "Companies: " + std::to_string(*s.companies) +
         ", products: " + std::to_string(*s.products) + "\n";
    o += "Active product: " + s.active_product + "\n";
  }
  return o;
}

}  // namespace quillora
