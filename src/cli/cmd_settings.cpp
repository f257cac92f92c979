#include "cli/cmd_settings.h"

#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include "foundation/app_data.h"
#include "foundation/codepage.h"
#include "pad/product_data.h"
#include "pad/records.h"
#include "sites/site_list.h"

namespace quillora::cli {

void SetupSettingsCommands(CLI::App& root, CliContext& ctx) {
  auto* settings = root.add_subcommand("settings", "Read and change the settings list");
  settings->require_subcommand(1);

  // Option values live as long as the callbacks that read them.
  auto key = std::make_shared<std::string>();
  auto value = std::make_shared<std::string>();
  auto* get = settings->add_subcommand("get", "Print one setting's value");
  get->add_option("KEY", *key)->required();
  get->callback([&ctx, key] {
    ctx.EnsureStarted();
    ctx.out << Settings().GetString(*key) << '\n';
  });

  auto* set = settings->add_subcommand("set", "Change one setting (an empty value removes it)");
  set->add_option("KEY", *key)->required();
  set->add_option("VALUE", *value)->required();
  set->callback([&ctx, key, value] {
    ctx.EnsureStarted();
    Settings().SetString(*key, *value);
  });

  auto* list = settings->add_subcommand("list", "Print every setting as stored");
  list->callback([&ctx] {
    ctx.EnsureStarted();
    for (const std::string& line : Settings().Lines()) ctx.out << line << '\n';
  });

  auto* summary = root.add_subcommand(
      "summary", "Show the folders, the settings and the data tables loaded at start-up");
  summary->callback([&ctx] {
    ctx.EnsureStarted();
    const TAppFolders& f = Folders();
    std::ostream& o = ctx.out;
    o << "Quillora " << QUILLORA_VERSION << " (build " << QUILLORA_BUILD << ")\n";
    o << "System:      " << SystemDescription().operating_system << ", "
      << SystemDescription().memory << "\n";
    o << "Code page:   " << SystemCodePage() << "\n";
    o << "User folder: " << f.user << "\n";
    o << "Settings:    " << f.settings_file << " (" << Settings().Count() << " values)\n";
    o << "Data folder: " << f.data << "\n";
    TDataTables& t = Tables();
    auto tree = [&](const char* name, const TMultiOptions& m) {
      int lines = 0;
      for (int i = 0; i < m.Count(); ++i) lines += m.SectionAt(i).Count();
      o << "  " << name << ": " << m.Count() << " sections, " << lines << " lines\n";
    };
    auto flat = [&](const char* name, const TOptionsList& l) {
      o << "  " << name << ": " << l.Count() << " lines\n";
    };
    o << "Data tables:\n";
    tree("NameSpace.dat", t.name_space);
    flat("month_short.dat", t.month_short);
    flat("country_short.dat", t.country_short);
    flat("state_short.dat", t.state_short);
    flat("TML/siteinfo.tml", t.site_info_template);
    tree("status.dat", t.status);
    tree("aliases.dat", t.aliases);
    tree("listvars.dat", t.list_vars);
    flat("Translate.dat", t.translate);
    flat("categories.dat", t.categories);
    flat("OS_rules.dat", t.os_rules);
    flat("Favorites.dat", t.favorites);
    flat("notfound.dat", t.not_found);
    tree("custom_sets.dat", t.custom_sets);
    flat("filters.dat", t.filters);
    o << "Exception log: " << t.exceptions.Count() << " lines\n";
    if (SiteListReady()) o << "Sites: " << SiteList().Count() << "\n";
    if (RecordListsReady()) {
      o << "Companies: " << CompanyList().Count() << ", products: " << ProductList().Count()
        << "\n";
      o << "Active product: " << Settings().GetString("Active Product") << "\n";
    }
  });
}

}  // namespace quillora::cli
